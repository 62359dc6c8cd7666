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

    // Reads the four shifts' journals (the journalSql of shifts 1..4, in that order) anew, each
    // for the day its "data" parameter holds. The first shift, the largest, is read on a second
    // session of the database while the program's session reads the other three, so that the
    // server answers both at once. Without a second session (the server refuses one) all four
    // are read on the program's session.
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
    static QString journalSql(int shift);
    static QString hoursSheetSql(int shift);
    static QString workersSql();
    static QString productsSql();
    static QString operationPricesSql();
    static QString operationTypesSql();

private:
    Connection m_connection;
    // The program's session in which the journals' second session could not be opened; it is
    // tried again only in a new session.
    quint64 m_journalSessionRefusedIn = 0;
};
