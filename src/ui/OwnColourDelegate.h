// Cells that have a text colour of their own (an acceptance mark in green or red) keep it when
// their row is selected, instead of taking the selection's text colour.
#pragma once

#include <QStyledItemDelegate>

class OwnColourDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
