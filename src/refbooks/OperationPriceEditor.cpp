// Price editor: adds or changes one operation price (product, operation type, kind).
#include "refbooks/OperationPriceEditor.h"

#include "data/Database.h"
#include "records/OperationPriceStore.h"
#include "refbooks/StoreCall.h"
#include "ui/Seams.h"
#include "ui/WindowParts.h"

#include <QComboBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

OperationPriceEditor::OperationPriceEditor(Database& db, ProductsDialog& productPicker,
                                           OperationTypesDialog& operationTypePicker, QWidget* parent)
    : QDialog(parent), m_db(db), m_productPicker(productPicker), m_operationTypePicker(operationTypePicker) {
    setObjectName(QStringLiteral("OperationPriceEditor"));
    makeFixedDialog(this);
    m_priceGroup = new QGroupBox(QStringLiteral("Цена операции"), this);
    m_priceGroup->setObjectName(QStringLiteral("priceGroup"));
    QFont bold = m_priceGroup->font();
    bold.setBold(true);
    m_priceGroup->setFont(bold);
    // The fields inside the bold group box are written in the normal font.
    auto plain = [](QWidget* w, const char* name) {
        w->setObjectName(QLatin1String(name));
        QFont f = w->font();
        f.setBold(false);
        w->setFont(f);
    };
    m_productEdit = new QLineEdit;
    plain(m_productEdit, "productEdit");
    m_operationTypeEdit = new QLineEdit;
    plain(m_operationTypeEdit, "operationTypeEdit");
    for (QLineEdit* e : {m_productEdit, m_operationTypeEdit}) {
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setMinimumWidth(260);
    }
    m_productButton = new QPushButton(QStringLiteral("..."));
    plain(m_productButton, "productButton");
    m_operationTypeButton = new QPushButton(QStringLiteral("..."));
    plain(m_operationTypeButton, "operationTypeButton");
    for (QPushButton* b : {m_productButton, m_operationTypeButton}) {
        b->setFixedWidth(28);
        // Enter on a focused "..." opens its picker; Enter elsewhere saves.
        b->setAutoDefault(true);
    }
    m_kindBox = new QComboBox;
    plain(m_kindBox, "kindBox");
    m_kindBox->addItems({QStringLiteral("Готовая продукция"), QStringLiteral("Заготовки")});
    auto label = [&plain](const QString& text, const char* name) {
        auto* l = new QLabel(text);
        plain(l, name);
        return l;
    };
    auto* grid = new QGridLayout(m_priceGroup);
    grid->addWidget(label(QStringLiteral("Марка изделия"), "productLabel"), 0, 0);
    grid->addWidget(m_productEdit, 0, 1);
    grid->addWidget(m_productButton, 0, 2);
    grid->addWidget(label(QStringLiteral("Операция"), "operationTypeLabel"), 1, 0);
    grid->addWidget(m_operationTypeEdit, 1, 1);
    grid->addWidget(m_operationTypeButton, 1, 2);
    grid->addWidget(label(QStringLiteral("Вид"), "kindLabel"), 2, 0);
    grid->addWidget(m_kindBox, 2, 1);
    layOutEditor(this, m_priceGroup, m_saveButton, m_cancelButton);
    connect(m_saveButton, &QPushButton::clicked, this, &OperationPriceEditor::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &OperationPriceEditor::reject);
    connect(m_productButton, &QPushButton::clicked, this, &OperationPriceEditor::pickProduct);
    connect(m_operationTypeButton, &QPushButton::clicked, this, &OperationPriceEditor::pickOperationType);
}

bool OperationPriceEditor::addOperationPrice() {
    m_adding = true;
    m_priceId = 0;
    m_productId = 0;
    m_operationTypeId = 0;
    m_productEdit->clear();
    m_operationTypeEdit->clear();
    m_kindBox->setCurrentIndex(0);
    setWindowTitle(QStringLiteral("Заведение новой цены за операцию"));
    return showEditor();
}

bool OperationPriceEditor::changeOperationPrice(const OperationPriceRecord& record) {
    m_adding = false;
    m_priceId = record.id;
    setWindowTitle(QStringLiteral("Изменение данных о цене за операцию"));
    m_productEdit->setText(record.product.mark);
    m_operationTypeEdit->setText(record.operationType.name);
    m_kindBox->setCurrentIndex(record.kind);
    m_productId = record.product.id;
    m_operationTypeId = record.operationType.id;
    return showEditor();
}

bool OperationPriceEditor::showEditor() {
    setResult(QDialog::Rejected);
    seams::showModal(this);
    return result() == QDialog::Accepted;
}

void OperationPriceEditor::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    m_productButton->setFocus();
}

void OperationPriceEditor::pickProduct() {
    if (const std::optional<Product> product = m_productPicker.pickProduct()) {
        m_productEdit->setText(product->mark);
        m_productId = product->id;
    }
}

void OperationPriceEditor::pickOperationType() {
    if (const std::optional<OperationType> type = m_operationTypePicker.pickOperationType()) {
        m_operationTypeEdit->setText(type->name);
        m_operationTypeId = type->id;
    }
}

void OperationPriceEditor::save() {
    if (m_productEdit->text().trimmed().isEmpty() || m_operationTypeEdit->text().trimmed().isEmpty()) {
        seams::errorBox(QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    const OperationPriceEntry price{m_adding ? 0 : m_priceId, m_productId, m_operationTypeId,
                                    m_kindBox->currentIndex()};
    int saved = 0;
    // An operation price deleted at another workstation meanwhile closes the editor too.
    if (runStoreCall([&] { saved = saveOperationPrice(m_db, price); }) == StoreOutcome::Refused)
        return;
    m_priceId = saved != 0 ? saved : m_priceId;
    accept();
}
