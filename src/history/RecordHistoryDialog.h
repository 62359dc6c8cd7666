// "История" of one work record or maintenance entry: its versions, oldest first, each with when,
// who, at which workstation, what was done and the fields it changed (old → new).
#pragma once

#include <QDialog>

class Database;
class QLabel;
class QPushButton;
class QTableWidget;

class RecordHistoryDialog : public QDialog {
    Q_OBJECT
public:
    RecordHistoryDialog(Database& db, QWidget* parent = nullptr);

    // Reads the versions of the record of the table (smena or fatigue) and shows the window
    // modally; without db/history.sql it says what the administrator must do.
    void showRecord(const QString& table, qint64 rowId, const QString& title);
    // Reads the versions again (shown in the grid).
    void readVersions(const QString& table, qint64 rowId);

    QTableWidget* grid() const { return m_versionsGrid; }

private:
    Database& m_db;
    QLabel* m_noteLabel;
    QTableWidget* m_versionsGrid;
    QPushButton* m_exitButton;
};
