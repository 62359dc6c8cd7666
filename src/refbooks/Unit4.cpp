#include "Unit4.h"

#include "ExcelHelper.h"
#include "Format.h"
#include "ListSearch.h"
#include "MainMembers.h"
#include "Seams.h"
#include "Unit10.h"
#include "Unit22.h"
#include "Unit6.h"

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

TForm4* Form4 = nullptr;

namespace {

QString kindText(int naimen) {
    return naimen == 0 ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки");
}

QString trimmedText(const QVariant& v) {
    return v.isNull() ? QString() : v.toString().trimmed();
}

} // namespace

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form4"));
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
    DataModule6->Oper.setColumns({
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
    DataModule6->Oper.attachView(DBGrid1);
    connect(DBGrid1, &QTableView::doubleClicked, this, &TForm4::DBGrid1DblClick);

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
    connect(Edit1, &QLineEdit::textChanged, this, &TForm4::Edit1Change);
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TForm4::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TForm4::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm4::Button5Click);

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

TForm4::~TForm4() {
    if (Form4 == this)
        Form4 = nullptr;
}

void TForm4::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (Edit1->isVisible())
        Edit1->setFocus();
}

void TForm4::openFromMainMenu() {
    Tag = 0;
    DataModule6->Oper.open();
    Button2->setDefault(false);
    Button2->setText(QStringLiteral("Изменить"));
    Button1->setVisible(true);
    Button3->setVisible(true);
    // The filter of an earlier search still applies to the fresh rows.
    Edit1Change();
    seams::showModal(this);
    DataModule6->Oper.close();
}

bool TForm4::openAsPicker(int operId) {
    TDataModule6* dm = DataModule6;
    Tag = 1;
    Picked = false;
    dm->Oper.close();
    dm->Oper.open();
    Button2->setText(QStringLiteral("Выбрать"));
    Button2->setDefault(true);
    Button1->setVisible(false);
    Button3->setVisible(false);
    Edit1->setVisible(true);
    Edit1->clear();
    dm->Oper.setFiltered(false);
    if (operId == 0 || !dm->Oper.locate(QStringLiteral("id"), operId))
        dm->Oper.first();
    seams::showModal(this);
    Button2->setDefault(false);
    Edit1->setVisible(false);
    dm->Oper.setFiltered(false);
    return Picked;
}

void TForm4::Edit1Change() {
    Dataset& oper = DataModule6->Oper;
    const QString text = Edit1->text();
    applySearch(oper, QStringLiteral("marka"), text.trimmed().isEmpty() ? QString() : text, true);
    oper.first();
}

bool TForm4::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Edit1 && searchFieldKey(e, DataModule6->Oper))
        return true;
    return QDialog::eventFilter(watched, e);
}

void TForm4::DBGrid1DblClick() {
    if (Tag != 0 || !CheckBox1->isChecked()) {
        Button2Click();
        return;
    }
    if (DataModule6->Oper.isEmpty())
        return;
    Form22->openNorms(DataModule6->Oper.fieldByName(QStringLiteral("id")).asInteger());
}

void TForm4::Button2Click() {
    if (Tag == 0)
        change();
    else
        pick();
}

void TForm4::pick() {
    TDataModule6* dm = DataModule6;
    Dataset& oper = dm->Oper;
    if (oper.isEmpty()) {
        close();
        return;
    }
    PickedProductId = oper.fieldByName(QStringLiteral("i_id")).asInteger();
    PickedOperId = oper.fieldByName(QStringLiteral("id")).asInteger();
    double price = oper.fieldByName(QStringLiteral("cena")).asFloat();
    TForm1Members* main = Form1Members;
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

void TForm4::change() {
    Dataset& oper = DataModule6->Oper;
    Form10->setWindowTitle(QStringLiteral("Изменение данных о цене за операцию"));
    Form10->Tag = 2;
    Form10->Edit1->setText(oper.fieldByName(QStringLiteral("MARKA")).asString().trimmed());
    Form10->Edit2->setText(oper.fieldByName(QStringLiteral("VID")).asString().trimmed());
    Form10->ComboBox1->setCurrentIndex(oper.fieldByName(QStringLiteral("NAIMEN")).asInteger() == 0 ? 0 : 1);
    Form10->productId = oper.fieldByName(QStringLiteral("i_id")).asInteger();
    Form10->operTypeId = oper.fieldByName(QStringLiteral("oper_vid")).asInteger();
    seams::showModal(Form10);
}

void TForm4::Button1Click() {
    Form10->Edit1->clear();
    Form10->Edit2->clear();
    Form10->ComboBox1->setCurrentIndex(0);
    Form10->setWindowTitle(QStringLiteral("Заведение новой цены за операцию"));
    Form10->Tag = 1;
    seams::showModal(Form10);
}

void TForm4::Button3Click() {
    Dataset& oper = DataModule6->Oper;
    if (oper.isEmpty())
        return;
    if (!seams::askYesNo(QStringLiteral("Удаление"), QStringLiteral("Удалить операцию?")))
        return;
    DataModule6->Oper_del.setParam(QStringLiteral("id"), oper.fieldByName(QStringLiteral("id")).asInteger());
    DataModule6->Oper_del.execute();
    oper.close();
    oper.open();
}

void TForm4::Button4Click() {
    close();
}

void TForm4::Button5Click() {
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
