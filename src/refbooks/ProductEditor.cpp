// Product editor "Изделие": enters a new product or changes the mark, value and group of one.
#include "refbooks/ProductEditor.h"

#include "data/Database.h"
#include "data/Format.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

ProductEditor* g_productEditor = nullptr;

ProductEditor::ProductEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ProductEditor"));
    setWindowTitle(QStringLiteral("Изделие"));

    GroupBox1 = new QGroupBox(QStringLiteral("Данные об изделии"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMinimumWidth(300);
    Edit2 = new QLineEdit(GroupBox1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->installEventFilter(this);
    cb_item = new QComboBox(GroupBox1);
    cb_item->setObjectName(QStringLiteral("cb_item"));
    cb_item->setMinimumContentsLength(30);
    cb_item->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    auto* form = new QFormLayout(GroupBox1);
    form->addRow(QStringLiteral("Марка"), Edit1);
    form->addRow(QStringLiteral("Расценка"), Edit2);
    form->addRow(QStringLiteral("Номенклатурная группа"), cb_item);

    layOutEditor(this, GroupBox1, Button1, Button2);

    item.setSql(
        QStringLiteral("select id, s_caption from cmn_classifier.item where id_level=2 order by s_caption"));

    connect(Button1, &QPushButton::clicked, this, &ProductEditor::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &ProductEditor::Button2Click);
}

ProductEditor::~ProductEditor() {
    if (g_productEditor == this)
        g_productEditor = nullptr;
}

void ProductEditor::openGroups() {
    const qint64 keep = chosenGroup();
    item.close();
    item.open();
    cb_item->clear();
    for (int row = 0; row < item.recordCount(); ++row)
        cb_item->addItem(item.valueAt(row, QStringLiteral("s_caption")).toString(),
                         QVariant::fromValue<qint64>(item.valueAt(row, QStringLiteral("id")).toLongLong()));
    selectGroup(keep);
}

void ProductEditor::closeGroups() {
    item.close();
}

void ProductEditor::selectGroup(qint64 id) {
    cb_item->setCurrentIndex(id ? cb_item->findData(QVariant::fromValue<qint64>(id)) : -1);
}

qint64 ProductEditor::chosenGroup() const {
    return cb_item->currentIndex() < 0 ? 0 : cb_item->currentData().toLongLong();
}

QString ProductEditor::massaForStatement(bool throughSeparatorFix) const {
    double value = 0;
    const QString typed = Edit2->text().trimmed();
    if (!parseNumber(typed, &value))
        return QString();
    const QString plain = formatGeneral(value);
    if (!throughSeparatorFix)
        return plain;
    // The mass goes through the database separator; the column is a number, so the result
    // is used only when it still reads as the same plain number (separator "."). A comma
    // would split the value list and an empty separator would multiply the value.
    static const QRegularExpression sqlNumber(QStringLiteral("^[0-9]+(\\.[0-9]*)?$"));
    const QString fixed = g_database->separatorFix(typed);
    return sqlNumber.match(fixed).hasMatch() && fixed.toDouble() == value ? fixed : plain;
}

void ProductEditor::FormActivate() {
    Edit1->setFocus();
}

void ProductEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    FormActivate();
}

// Value field: digits and Backspace are typed as usual, "," and "." become ".", every other
// character is dropped. Keys that type nothing (arrows, Delete, Tab, Enter) work as usual.
bool ProductEditor::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Edit2 && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const QString t = k->text();
        if (k->key() == Qt::Key_Backspace || t.isEmpty() || !t.at(0).isPrint() ||
            (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        if (t.size() == 1 && t.at(0) >= u'0' && t.at(0) <= u'9')
            return false;
        if (t == QLatin1String(",") || t == QLatin1String(".")) {
            Edit2->insert(QStringLiteral("."));
            return true;
        }
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void ProductEditor::Button1Click() {
    const QString mark = Edit1->text().trimmed();
    if (mark.isEmpty() || Edit2->text().trimmed().isEmpty() || chosenGroup() == 0) {
        seams::errorBox(QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    const QString massa = massaForStatement(Tag == 2);
    if (massa.isEmpty()) {
        seams::errorBox(QStringLiteral("Расценка должна быть числом, например 12.5"));
        Edit2->setFocus();
        return;
    }
    Database* dm = g_database;
    const QString id = QString::number(dm->products().fieldByName(QStringLiteral("id")).asLargeInt());
    QString check = QStringLiteral("select count(*) as cnt from accounts_dep.izdel where upper(marka)=") +
                    sqlQuote(mark.toUpper());
    if (Tag == 2)
        check += QStringLiteral("and id<>") + id;
    if (refuseIfFound(*dm, check, QStringLiteral("Такая марка изделия уже заведена!")))
        return;

    const QString group = QString::number(chosenGroup());
    if (Tag == 1)
        dm->SQL_exec.setSql(
            QStringLiteral("INSERT INTO cmn_gds_and_srv.gds_and_srv(s_caption, s_description, "
                           "id_msm_bs, massa, id_class_item)VALUES(") +
            sqlQuote(mark) + QStringLiteral(", '', 6, ") + massa + QStringLiteral(",") + group +
            QStringLiteral(")"));
    else
        dm->SQL_exec.setSql(QStringLiteral("UPDATE cmn_gds_and_srv.gds_and_srv SET s_caption=") +
                            sqlQuote(mark) + QStringLiteral(", s_description='', id_msm_bs=6, massa=") +
                            massa + QStringLiteral(", id_class_item=") + group +
                            QStringLiteral(" where id=") + id);
    dm->SQL_exec.execute();
    dm->products().close();
    dm->products().open();
    accept();
}

void ProductEditor::Button2Click() {
    reject();
}
