// The database: the one connection, the queries that several windows share, one way to run a
// statement and to read a single value, the duplicate (count) check and the separator fix.
#pragma once

#include "data/Connection.h"
#include "data/Dataset.h"

#include <QObject>
#include <span>

// The largest number of hours a day column of the timesheet (accounts_dep.h_tabel, smallint)
// holds.
inline constexpr int kMaxDayHours = 32767;

class Database : public QObject {
    Q_OBJECT
public:
    // connectionName names the connection; a second one (a test's second workstation) takes a
    // name of its own. The shared queries always run on the program's connection.
    explicit Database(QObject* parent = nullptr, const QString& connectionName = kConnectionName);

    // The program's one connection.
    Connection& connection() { return m_connection; }

    // Reads the four shifts' journals (shifts 1..4, in that order) anew, for the day and the
    // acceptance mark to leave out that the first one's "data" and "ok" parameters hold: one
    // statement on the program's session reads the day's records of all four shifts, and each
    // journal gets its shift's rows with the columns and in the order its own statement
    // (journalSql) gives them.
    void openJournals(std::span<Dataset, 4> journals);

    // Decimal separator of the database (accounts_dep.ver.delim); set by the version check.
    QString decimalSeparator;

    // Runs one statement with its :name parameters bound as values; returns the number of rows
    // it touched. Throws DbError with the database's text.
    int execute(const QString& sql, const Params& values = {});
    // The first column of the first row of a statement (null when it gives no row).
    QVariant readValue(const QString& sql, const Params& values = {});
    // Whether a newer program than the build (date and time as the build stamp counts them) has
    // run against the database: its stamp in accounts_dep.ver is later.
    bool newerProgramHasRun(int buildDate, int buildTime);
    // Whether the statement's one row has a column cnt above 0 (the duplicate check).
    bool countCheck(const QString& sql, const Params& values = {});
    // A user text as a string literal for a statement whose text is composed: made by the
    // client library for this connection, so that no quote or backslash ends it early.
    QString quote(const QString& text);

    // The number text as typed, with its first "," (or else its first ".") replaced by the
    // database separator.
    QString separatorFix(const QString& text) const;

    // The statement texts of the shared queries and of the reference books' lists, as the
    // windows and tests compare them.
    // One shift's journal, parameters "data" (the day) and "ok" (an acceptance mark to leave out).
    static QString journalSql(int shift);
    // The columns of a shift's journal in their order.
    static QStringList journalColumnNames(int shift);
    // The day's journal of all four shifts in one, in no order: the first shift's columns and the
    // ranks of the names, marks and operation types to sort the records by.
    static QString journalDaySql();
    static QString hoursSheetSql(int shift);
    static QString workersSql();
    static QString productsSql();
    static QString operationPricesSql();
    static QString operationTypesSql();

private:
    Connection m_connection;
    // The day's journal of all four shifts, prepared once a session.
    PgStatement m_journalDay;
};
