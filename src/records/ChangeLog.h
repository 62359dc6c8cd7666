// The change log: who changed which work record, maintenance entry, norm or operation price, when
// and at which workstation; the versions of one record, the changes of a period, and the
// restoring of a deleted work record or maintenance entry.
#pragma once

#include "data/Sql.h"

#include <QDate>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <vector>

class Database;
class QSqlDatabase;

// The kinds of a row of the log, as the server writes them.
namespace changekind {
inline const QString kAdded = QStringLiteral("added");
inline const QString kChanged = QStringLiteral("changed");
inline const QString kAccepted = QStringLiteral("accepted");
inline const QString kDeleted = QStringLiteral("deleted");
inline const QString kImported = QStringLiteral("imported"); // a table replaced by the import
inline const QString kRebuilt = QStringLiteral("rebuilt");   // a month's timesheet rows rebuilt
} // namespace changekind

// The logged tables the windows show.
inline const QString kWorkRecordsTable = QStringLiteral("smena");
inline const QString kMaintenanceTable = QStringLiteral("fatigue");

// One row of the log.
struct ChangeLogEntry {
    qint64 id = 0;
    QDateTime at;
    QString userName;
    QString workstation;
    QString table;
    qint64 rowId = 0;
    QString action;
    QJsonObject oldRow; // empty for an added row
    QJsonObject newRow; // empty for a deleted row
};

// One field of a version: its title as the windows name it, the value before and after (empty
// when the row did not exist on that side).
struct FieldChange {
    QString title;
    QString before;
    QString after;
};

// Whether the database holds the change log (the administrator applied db/history.sql).
bool historyInstalled(Database& db);
bool historyInstalled(const QSqlDatabase& connection);
// What the windows say when it does not.
QString historyMissingText();

// The kind of a log row in Russian ("добавлена", "изменена", ...).
QString changeKindTitle(const QString& action);

// The versions of one record of the table (smena, fatigue, ...), oldest first.
std::vector<ChangeLogEntry> recordHistory(Database& db, const QString& table, qint64 rowId);
// The fields a version added, changed or deleted, with the titles the grids give them; for a
// change only the fields that differ. Workers are named by their names where the database
// still knows them.
std::vector<FieldChange> changedFields(Database& db, const ChangeLogEntry& entry);
// The same as one line: "Кол-во: 10 → 12; Брак: 0 → 1".
QString changesText(const std::vector<FieldChange>& changes);

// The filters of the change list: a period (both days included) and, when set, one worker, one
// user's name and one kind.
struct ChangeListFilter {
    QDate from;
    QDate to;
    int workerId = 0;
    QString userName;
    QString action;
};

// The statement of the change list and its parameters, reading only what the list shows: when,
// who, workstation, kind, place, worker, record and what changed; newest first. Its first columns
// are the log row's id, table and kind as the server names them.
QString changeListSql(const ChangeListFilter& filter);
Params changeListParams(const ChangeListFilter& filter);
// The names of the users found in the log, for the user filter.
QStringList changeLogUsers(Database& db);

// Brings back the deleted work record or maintenance entry the log row recorded, with its own id
// and values, and writes the worker's hours of its day into the timesheet, in one transaction.
// Throws Refusal when the log row is no deletion of such a record, when its month is closed,
// when the record (or one with its key) is there already, or when the day's hours do not fit.
// The restored row is logged as added.
void restoreDeleted(Database& db, qint64 logId);

// A bulk write (the import replacing a table, the rebuild of a month's timesheet rows) asks the
// log's row triggers to leave its rows out for the rest of its transaction and then writes one
// summary row itself: the table, the kind, what was before and after. Both do nothing without
// db/history.sql.
void beginBulkWrite(const QSqlDatabase& connection);
void logBulkWrite(const QSqlDatabase& connection, const QString& table, const QString& action,
                  const QJsonObject& before, const QJsonObject& after);
