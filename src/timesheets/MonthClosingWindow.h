// Month closing window "Закрытие месяца": the months with records and whether each is closed (by
// whom, when, why it was reopened); with full access it closes a paid month and reopens one.
#pragma once

#include "records/ClosedMonths.h"

#include <QDialog>
#include <optional>
#include <vector>

class Database;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

class MonthClosingWindow : public QDialog {
    Q_OBJECT
public:
    // mayClose: the user may close and reopen months (full access); otherwise the list only.
    MonthClosingWindow(Database& db, bool mayClose, QWidget* parent = nullptr);

    // Reads the months and shows the window modally.
    void showMonths();

    // The months as last read, in the order of the list (newest first).
    const std::vector<MonthClosing>& months() const { return m_months; }

public slots:
    // Reads the months again.
    void refresh();
    // Closes the month of the current row after the user's yes.
    void closeCurrent();
    // Opens the month of the current row again, with the reason typed.
    void reopenCurrent();

private:
    void createWidgets();
    // The month of the current row, when there is one.
    std::optional<MonthClosing> currentMonth() const;
    void fillGrid();
    // The buttons as the current row, the access and the database allow.
    void enableButtons();

    Database& m_db;
    bool m_mayClose;
    bool m_installed = false;
    std::vector<MonthClosing> m_months;

    QLabel* m_noteLabel;
    QTableWidget* m_monthsGrid;
    QLabel* m_reasonLabel;
    QLineEdit* m_reasonEdit;
    QPushButton* m_closeButton;
    QPushButton* m_reopenButton;
    QPushButton* m_refreshButton;
    QPushButton* m_exitButton;
};
