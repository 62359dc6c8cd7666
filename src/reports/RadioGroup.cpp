#include "reports/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString& title, const QStringList& items, const QList<int>& values,
                         QWidget* parent)
    : QGroupBox(title, parent), group(new QButtonGroup(this)), indexes(values), current(values.value(0)) {
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        b->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        group->addButton(b, i);
        buttons << b;
        layout->addWidget(b);
    }
    if (!buttons.isEmpty())
        buttons.first()->setChecked(true);
    connect(group, &QButtonGroup::idToggled, this, [this](int position, bool checked) {
        const int index = indexes.value(position, position);
        if (checked && index != current) {
            current = index;
            emit itemIndexChanged(index);
        }
    });
}

void TRadioGroup::setItemIndex(int index) {
    if (QRadioButton* b = button(index))
        b->setChecked(true);
}

QRadioButton* TRadioGroup::button(int index) const {
    const int position = indexes.indexOf(index);
    return position < 0 ? nullptr : buttons.value(position);
}
