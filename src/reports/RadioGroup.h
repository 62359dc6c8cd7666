// A titled group of radio buttons, one of which is chosen; each button stands for a value.
#pragma once

#include <QGroupBox>
#include <QList>

class QButtonGroup;
class QRadioButton;

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    struct Item {
        int value;
        QString text;
    };

    // The buttons are shown in the given order; the first one is chosen.
    RadioGroup(const QString& title, const QList<Item>& items, QWidget* parent = nullptr);

    // The value of the chosen button.
    int value() const { return m_value; }
    // Chooses the button of the value; a value no button stands for changes nothing.
    void setValue(int value);
    // The button of the value, or nullptr.
    QRadioButton* button(int value) const;

private:
    QButtonGroup* m_buttonGroup;
    QList<QRadioButton*> m_buttons;
    QList<int> m_values; // m_values[i] is the value of m_buttons[i]
    int m_value;
};
