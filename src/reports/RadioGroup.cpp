// A titled group of radio buttons, one of which is chosen.
#include "reports/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& title, const QList<Item>& items, QWidget* parent)
    : QGroupBox(title, parent), m_buttonGroup(new QButtonGroup(this)),
      m_value(items.isEmpty() ? 0 : items.first().value) {
    auto* layout = new QVBoxLayout(this);
    for (const Item& item : items) {
        auto* b = new QRadioButton(item.text, this);
        m_buttonGroup->addButton(b, int(m_buttons.size()));
        m_buttons << b;
        m_values << item.value;
        layout->addWidget(b);
    }
    if (!m_buttons.isEmpty())
        m_buttons.first()->setChecked(true);
    connect(m_buttonGroup, &QButtonGroup::idToggled, this, [this](int position, bool checked) {
        if (checked)
            m_value = m_values.value(position, m_value);
    });
}

void RadioGroup::setValue(int value) {
    if (QRadioButton* b = button(value))
        b->setChecked(true);
}

QRadioButton* RadioGroup::button(int value) const {
    const qsizetype position = m_values.indexOf(value);
    return position < 0 ? nullptr : m_buttons.value(position);
}
