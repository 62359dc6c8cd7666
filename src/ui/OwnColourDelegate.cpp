// Selected cells keep their own text colour.
#include "ui/OwnColourDelegate.h"

#include <QBrush>

void OwnColourDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant colour = index.data(Qt::ForegroundRole);
    if (!colour.isValid())
        return;
    const QBrush brush =
        colour.canConvert<QBrush>() ? colour.value<QBrush>() : QBrush(colour.value<QColor>());
    option->palette.setBrush(QPalette::HighlightedText, brush);
}
