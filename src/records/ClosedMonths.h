// Closed months: a paid month is closed so that its work records, maintenance entries and
// timesheet rows stay as they were paid. Every write of those rows asks here first.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <vector>

class Database;
class QSqlDatabase;
class Transaction;

// A month of a year, as the closing counts it.
struct YearMonth {
    int year = 0;
    int month = 0;

    static YearMonth of(const QDate& day) { return {day.year(), day.month()}; }
    // 03.2024
    QString text() const;
    // year * 100 + month: the key of the month's lock and of the server's check.
    int key() const { return year * 100 + month; }
    auto operator<=>(const YearMonth&) const = default;
};

// A month with records, or one that was closed once, and its closing.
struct MonthClosing {
    YearMonth month;
    bool closed = false;
    QDateTime closedAt; // when it was closed (when closed)
    QString closedBy;   // the workstation that closed it, or that reopened it
    QString note;       // the reason of the last reopening
};

// The message of a write refused because its month is closed.
QString closedMonthText(const YearMonth& month);

// Whether the database holds the closed months (the administrator applied db/closing.sql).
bool closingInstalled(Database& db);
bool closingInstalled(const QSqlDatabase& connection);

// Those of the months that are closed, oldest first (none without db/closing.sql). The check
// itself, on any connection to the database; writes call refuseClosedMonths, which holds the
// months first.
std::vector<YearMonth> closedAmong(const QSqlDatabase& connection, std::vector<YearMonth> months);

// The one check of every write into work records, maintenance entries and timesheet rows: holds
// the months for the rest of the transaction (a month being closed at another workstation is
// waited for, and closing waits for this transaction), then throws Refusal naming the first of
// the months that is closed. Nothing is checked without db/closing.sql.
void refuseClosedMonths(Transaction& transaction, Database& db, std::vector<YearMonth> months);
// The same for the months of the days (invalid days are left out).
void refuseClosedDays(Transaction& transaction, Database& db, std::initializer_list<QDate> days);

// Whether the month is closed now (false without db/closing.sql); for the windows, which show it.
bool isMonthClosed(Database& db, const YearMonth& month);

// The closed months, oldest first (empty without db/closing.sql).
std::vector<MonthClosing> closedMonths(Database& db);
std::vector<MonthClosing> closedMonths(const QSqlDatabase& connection);
// The months with work records, maintenance entries or timesheet rows, and the months closed or
// reopened once, newest first, with their closing. Throws DbError without db/closing.sql.
std::vector<MonthClosing> monthsWithClosing(Database& db);

// Closes the month in one statement; false when it was closed already (at another workstation,
// perhaps at the same moment). by names who closes it.
bool closeMonth(Database& db, const YearMonth& month, const QString& by);
// Opens a closed month again in one statement, keeping the reason; false when it was not closed
// (opened at another workstation meanwhile). Throws Refusal when the reason is empty.
bool reopenMonth(Database& db, const YearMonth& month, const QString& by, const QString& reason);

// Who this workstation is, for the closing's "by whom": the name of the user logged in by a code
// of its own and the host name, or else the computer's user and host name.
QString workstationName();
