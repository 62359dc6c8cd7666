// Product editor "Изделие": enters a new product or changes the mark, rate and group of one.
#include "refbooks/ProductEditor.h"

#include "data/Database.h"
#include "data/Format.h"
#include "records/ProductStore.h"
#include "refbooks/StoreCall.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

ProductEditor::ProductEditor(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("ProductEditor"));
    makeFixedDialog(this);
    setWindowTitle(QStringLiteral("Изделие"));

    m_productGroup = new QGroupBox(QStringLiteral("Данные об изделии"), this);
    m_productGroup->setObjectName(QStringLiteral("productGroup"));
    m_markEdit = new QLineEdit(m_productGroup);
    m_markEdit->setObjectName(QStringLiteral("markEdit"));
    m_markEdit->setMinimumWidth(300);
    m_rateEdit = new QLineEdit(m_productGroup);
    m_rateEdit->setObjectName(QStringLiteral("rateEdit"));
    m_rateEdit->installEventFilter(this);
    m_groupBox = new QComboBox(m_productGroup);
    m_groupBox->setObjectName(QStringLiteral("groupBox"));
    m_groupBox->setMinimumContentsLength(30);
    m_groupBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    auto* form = new QFormLayout(m_productGroup);
    form->addRow(QStringLiteral("Марка"), m_markEdit);
    form->addRow(QStringLiteral("Расценка"), m_rateEdit);
    form->addRow(QStringLiteral("Номенклатурная группа"), m_groupBox);

    layOutEditor(this, m_productGroup, m_saveButton, m_cancelButton);

    m_groups.setSql(
        QStringLiteral("select id, s_caption from cmn_classifier.item where id_level=2 order by s_caption"));

    connect(m_saveButton, &QPushButton::clicked, this, &ProductEditor::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &ProductEditor::reject);
}

bool ProductEditor::addProduct() {
    m_adding = true;
    m_productId = 0;
    m_markEdit->clear();
    m_rateEdit->clear();
    setWindowTitle(QStringLiteral("Заведение нового изделия (7)"));
    openGroups();
    return showEditor();
}

bool ProductEditor::changeProduct(const Product& product, std::optional<double> rate, qint64 groupId) {
    m_adding = false;
    m_productId = product.id;
    setWindowTitle(QStringLiteral("Изменение данных изделия (7)"));
    m_markEdit->setText(product.mark);
    m_rateEdit->setText(rate ? formatGeneral(*rate) : QString());
    openGroups();
    selectGroup(groupId);
    return showEditor();
}

bool ProductEditor::showEditor() {
    setResult(QDialog::Rejected);
    seams::showModal(this);
    m_groups.close();
    return result() == QDialog::Accepted;
}

void ProductEditor::openGroups() {
    const qint64 keep = chosenGroup();
    m_groups.close();
    m_groups.open();
    m_groupBox->clear();
    for (int row = 0; row < m_groups.recordCount(); ++row)
        m_groupBox->addItem(
            m_groups.valueAt(row, QStringLiteral("s_caption")).toString(),
            QVariant::fromValue<qint64>(m_groups.valueAt(row, QStringLiteral("id")).toLongLong()));
    selectGroup(keep);
}

void ProductEditor::selectGroup(qint64 id) {
    m_groupBox->setCurrentIndex(id ? m_groupBox->findData(QVariant::fromValue<qint64>(id)) : -1);
}

qint64 ProductEditor::chosenGroup() const {
    return m_groupBox->currentIndex() < 0 ? 0 : m_groupBox->currentData().toLongLong();
}

void ProductEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    m_markEdit->setFocus();
}

// Rate field: digits and Backspace are typed as usual, "," and "." become ".", every other
// character is dropped. Keys that type nothing (arrows, Delete, Tab, Enter) work as usual.
bool ProductEditor::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_rateEdit && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const QString t = k->text();
        if (k->key() == Qt::Key_Backspace || t.isEmpty() || !t.at(0).isPrint() ||
            (k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        if (t.size() == 1 && t.at(0) >= u'0' && t.at(0) <= u'9')
            return false;
        if (t == QLatin1String(",") || t == QLatin1String(".")) {
            m_rateEdit->insert(QStringLiteral("."));
            return true;
        }
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void ProductEditor::save() {
    const ProductEntry product{m_adding ? 0 : m_productId, m_markEdit->text().trimmed(), m_rateEdit->text(),
                               chosenGroup()};
    // A product deleted at another workstation meanwhile closes the editor too.
    if (runStoreCall([&] { saveProduct(m_db, product); },
                     {{QStringLiteral("mark"), m_markEdit}, {QStringLiteral("rate"), m_rateEdit}}) !=
        StoreOutcome::Refused)
        accept();
}
