#include "refbooks/OperationPricesDialog.h"
#include "ui/DatasetGrid.h"

#include "data/Database.h"
#include "data/Format.h"
#include "data/MainMembers.h"
#include "export/ExcelHelper.h"
#include "refbooks/NormsDialog.h"
#include "refbooks/OperationPriceEditor.h"
#include "ui/ListSearch.h"
#include "ui/Seams.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

OperationPricesDialog* g_operationPricesDialog = nullptr;

namespace {

QString kindText(int naimen) {
    return naimen == 0 ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки");
}

QString trimmedText(const QVariant& v) {
    return v.isNull() ? QString() : v.toString().trimmed();
}

} // namespace

OperationPricesDialog::OperationPricesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("OperationPricesDialog"));
    setWindowTitle(QStringLiteral("Операции"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->setVisible(false);
    DBGrid1->verticalHeader()->setDefaultSectionSize(18);
    QFont bold = DBGrid1->horizontalHeader()->font();
    bold.setBold(true);
    DBGrid1->horizontalHeader()->setFont(bold);
    DBGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    g_database->operationPrices().setColumns({
        {QStringLiteral("MARKA"), QStringLiteral("Марка"), 180, trimmedText},
        {QStringLiteral("VID"), QStringLiteral("Опреция"), 243, trimmedText},
        {QStringLiteral("cena"), QStringLiteral("Цена (min)"), 90,
         [](const QVariant& v) {
             double d = 0;
             return parseNumber(v.toString(), &d) ? formatScreen(d) : QString();
         }},
        {QStringLiteral("nmn"), QStringLiteral("Вид"), 139},
        {QStringLiteral("norma"), QStringLiteral("Нормы (шт.)"), 96},
    });
    showInGrid(g_database->operationPrices(), DBGrid1);
    connect(DBGrid1, &QTableView::doubleClicked, this, &OperationPricesDialog::DBGrid1DblClick);

    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    Button1 = button("Button1", QStringLiteral("Добавить"));
    Button1->setDefault(true);
    Button2 = button("Button2", QStringLiteral("Изменить"));
    Button3 = button("Button3", QStringLiteral("Удалить"));
    Button5 = button("Button5", QStringLiteral("Excel"));
    Button4 = button("Button4", QStringLiteral("Выход"));
    CheckBox1 = new QCheckBox(QStringLiteral("Цены"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setFont(bold);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->installEventFilter(this);
    connect(Edit1, &QLineEdit::textChanged, this, &OperationPricesDialog::Edit1Change);
    connect(Button1, &QPushButton::clicked, this, &OperationPricesDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &OperationPricesDialog::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &OperationPricesDialog::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &OperationPricesDialog::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &OperationPricesDialog::Button5Click);

    auto* bottom = new QHBoxLayout;
    for (QWidget* w :
         {static_cast<QWidget*>(Button1), static_cast<QWidget*>(Button2), static_cast<QWidget*>(Button3),
          static_cast<QWidget*>(Button5), static_cast<QWidget*>(CheckBox1)})
        bottom->addWidget(w);
    bottom->addWidget(Edit1, 1);
    bottom->addWidget(Button4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DBGrid1, 1);
    layout->addLayout(bottom);
    resize(800, 520);

    XLS_Rep.setSql(QStringLiteral(
        "select izdel.MARKA, vid_oper.VID, oper.NAIMEN,(SELECT (CASE naimen WHEN 0 THEN "
        "'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.CENA_new as cena, oper.id, "
        "oper.i_id,\n"
        " oper.VID as oper_vid from accounts_dep.OPER,accounts_dep.IZDEL,accounts_dep.VID_OPER "
        "where OPER.i_id=IZDEL.id \n"
        "and oper.vid=vid_oper.id order by izdel.marka, vid_oper.vid, oper.naimen"));
}

OperationPricesDialog::~OperationPricesDialog() {
    if (g_operationPricesDialog == this)
        g_operationPricesDialog = nullptr;
}

void OperationPricesDialog::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (Edit1->isVisible())
        Edit1->setFocus();
}

void OperationPricesDialog::openFromMainMenu() {
    Tag = 0;
    g_database->operationPrices().open();
    Button2->setDefault(false);
    Button2->setText(QStringLiteral("Изменить"));
    Button1->setVisible(true);
    Button3->setVisible(true);
    // The filter of an earlier search still applies to the fresh rows.
    Edit1Change();
    seams::showModal(this);
    g_database->operationPrices().close();
}

bool OperationPricesDialog::openAsPicker(int operId) {
    Database* dm = g_database;
    Tag = 1;
    Picked = false;
    dm->operationPrices().close();
    dm->operationPrices().open();
    Button2->setText(QStringLiteral("Выбрать"));
    Button2->setDefault(true);
    Button1->setVisible(false);
    Button3->setVisible(false);
    Edit1->setVisible(true);
    Edit1->clear();
    dm->operationPrices().setFiltered(false);
    if (operId == 0 || !dm->operationPrices().locate(QStringLiteral("id"), operId))
        dm->operationPrices().first();
    seams::showModal(this);
    Button2->setDefault(false);
    Edit1->setVisible(false);
    dm->operationPrices().setFiltered(false);
    return Picked;
}

void OperationPricesDialog::Edit1Change() {
    Dataset& oper = g_database->operationPrices();
    const QString text = Edit1->text();
    applySearch(oper, QStringLiteral("marka"), text.trimmed().isEmpty() ? QString() : text, true);
    oper.first();
}

bool OperationPricesDialog::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Edit1 && searchFieldKey(e, g_database->operationPrices()))
        return true;
    return QDialog::eventFilter(watched, e);
}

void OperationPricesDialog::DBGrid1DblClick() {
    if (Tag != 0 || !CheckBox1->isChecked()) {
        Button2Click();
        return;
    }
    if (g_database->operationPrices().isEmpty())
        return;
    g_normsDialog->openNorms(g_database->operationPrices().fieldByName(QStringLiteral("id")).asInteger());
}

void OperationPricesDialog::Button2Click() {
    if (Tag == 0)
        change();
    else
        pick();
}

void OperationPricesDialog::pick() {
    Database* dm = g_database;
    Dataset& oper = dm->operationPrices();
    if (oper.isEmpty()) {
        close();
        return;
    }
    PickedProductId = oper.fieldByName(QStringLiteral("i_id")).asInteger();
    PickedOperId = oper.fieldByName(QStringLiteral("id")).asInteger();
    double price = oper.fieldByName(QStringLiteral("cena")).asFloat();
    PickedBasePrice = price;
    MainWindowState* main = g_mainWindowState;
    if (main && main->CBox1 && main->CBox1->isChecked())
        price *= 2;
    const int shift = main ? main->currentShift : 1;
    if (shift == 3)
        price *= 1.2;
    else if (shift == 4)
        price *= 1.5;
    PickedPrice = price;
    dm->Control.close();
    dm->Control.setSql(QStringLiteral("select marka from accounts_dep.izdel where id=") +
                       QString::number(PickedProductId));
    dm->Control.open();
    QString text =
        dm->Control.fieldByName(QStringLiteral("marka")).asString().trimmed() + QStringLiteral("; ");
    dm->Control.close();
    text += oper.fieldByName(QStringLiteral("vid")).asString().trimmed() + QStringLiteral("; ");
    text += kindText(oper.fieldByName(QStringLiteral("naimen")).asInteger());
    PickedText = text;
    Picked = true;
    close();
}

void OperationPricesDialog::change() {
    Dataset& oper = g_database->operationPrices();
    g_operationPriceEditor->setWindowTitle(QStringLiteral("Изменение данных о цене за операцию"));
    g_operationPriceEditor->Tag = 2;
    g_operationPriceEditor->Edit1->setText(oper.fieldByName(QStringLiteral("MARKA")).asString().trimmed());
    g_operationPriceEditor->Edit2->setText(oper.fieldByName(QStringLiteral("VID")).asString().trimmed());
    g_operationPriceEditor->ComboBox1->setCurrentIndex(
        oper.fieldByName(QStringLiteral("NAIMEN")).asInteger() == 0 ? 0 : 1);
    g_operationPriceEditor->productId = oper.fieldByName(QStringLiteral("i_id")).asInteger();
    g_operationPriceEditor->operTypeId = oper.fieldByName(QStringLiteral("oper_vid")).asInteger();
    seams::showModal(g_operationPriceEditor);
}

void OperationPricesDialog::Button1Click() {
    g_operationPriceEditor->Edit1->clear();
    g_operationPriceEditor->Edit2->clear();
    g_operationPriceEditor->ComboBox1->setCurrentIndex(0);
    g_operationPriceEditor->setWindowTitle(QStringLiteral("Заведение новой цены за операцию"));
    g_operationPriceEditor->Tag = 1;
    seams::showModal(g_operationPriceEditor);
}

void OperationPricesDialog::Button3Click() {
    Dataset& oper = g_database->operationPrices();
    if (oper.isEmpty())
        return;
    if (!seams::askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить операцию?")))
        return;
    g_database->Oper_del.setParam(QStringLiteral("id"), oper.fieldByName(QStringLiteral("id")).asInteger());
    g_database->Oper_del.execute();
    oper.close();
    oper.open();
}

void OperationPricesDialog::Button4Click() {
    close();
}

void OperationPricesDialog::Button5Click() {
    XLS_Rep.close();
    XLS_Rep.open();
    if (ExcelOpen(QString()) == -1) {
        QApplication::restoreOverrideCursor();
        return;
    }
    XLS_Rep.first();
    const QStringList header{QStringLiteral("Марка"), QStringLiteral("Операция"), QStringLiteral("Цена"),
                             QStringLiteral("Вид")};
    for (int c = 0; c < header.size(); ++c)
        ExcelPutCell(1, c + 1, 1, header[c], true);
    for (int r = 0; r < XLS_Rep.recordCount(); ++r) {
        XLS_Rep.setRecNo(r + 1);
        const int row = r + 2;
        ExcelPutCell(1, 1, row, XLS_Rep.fieldByName(QStringLiteral("MARKA")).asString(), true);
        ExcelPutCell(1, 2, row, XLS_Rep.fieldByName(QStringLiteral("VID")).asString(), true);
        ExcelPutCell(1, 3, row, formatScreen(XLS_Rep.fieldByName(QStringLiteral("cena")).asFloat()), true);
        ExcelPutCell(1, 4, row, kindText(XLS_Rep.fieldByName(QStringLiteral("NAIMEN")).asInteger()), true);
    }
    ExcelSetVisible(true);
    XLS_Rep.close();
}

std::optional<OperationPrice> OperationPricesDialog::pickOperationPrice(int startAtId) {
    if (!openAsPicker(startAtId))
        return std::nullopt;
    return OperationPrice{PickedOperId, PickedProductId, PickedBasePrice, PickedText};
}
