// A titled group of radio buttons with one chosen item, addressed by its index.
#pragma once

#include <QGroupBox>
#include <QList>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)
public:
    // values[i] is the index that item i stands for; the items are shown in the given order.
    TRadioGroup(const QString& title, const QStringList& items, const QList<int>& values,
                QWidget* parent = nullptr);

    int itemIndex() const { return current; }
    void setItemIndex(int index);
    QRadioButton* button(int index) const;

signals:
    void itemIndexChanged(int index);

private:
    QButtonGroup* group;
    QList<QRadioButton*> buttons;
    QList<int> indexes;
    int current;
};
