// One transaction on the program's connection (or another open connection): begun on
// construction, rolled back on destruction unless committed. Actions that write more than one statement run
// inside one, so that they are written whole or not at all.
#pragma once

#include <QSqlDatabase>
#include <QtGlobal>

class Database;

// Lock spaces for transaction-level advisory locks: each kind of write that several
// workstations may do at the same moment serializes on its own space.
enum class LockSpace : int {
    DayHours = 7101,         // one timesheet row of a month (h_tabel), of either kind
    TimesheetRebuild = 7102, // a month's rebuild of the timesheet rows of one kind
    LegacyImport = 7104,     // one target table of the import from the earlier database
    ClosedMonth = 7105,      // a month being closed (the key year * 100 + month); the database's
                             // triggers take the same lock
};

class Transaction {
public:
    // Begins the transaction; throws DbError when the server refuses.
    explicit Transaction(Database& db);
    explicit Transaction(const QSqlDatabase& connection);
    // Rolls back when commit() was not reached (an exception on the way, for example).
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Takes a transaction-level advisory lock on (space, key), waiting while another session
    // holds it; released at commit or rollback.
    void lock(LockSpace space, qint64 key);
    // The same lock shared: any number of sessions hold it together, while one holding it
    // exclusively (lock()) waits for them all, and they for it.
    void lockShared(LockSpace space, qint64 key);
    // Commits; throws DbError with the server's text when it fails (then nothing was written).
    void commit();

private:
    QSqlDatabase m_connection;
    bool m_open = false;
};

// A lock key from a worker (or other id) and a month: distinct for distinct pairs.
qint64 monthKey(qint64 id, int year, int month);

// The two kinds of timesheet rows a month's rebuild writes again: the rows of maintenance works
// and work at the average rate (shift 0), and the shift rows from the journal (shifts 1 to 4).
enum class TimesheetRowsKind : int { Maintenance = 0, Shifts = 1 };
// The rebuild of a month's rows of one kind holds this key exclusively; the day-hours upkeep of
// a save holds it shared, so a save waits for a rebuild of its month under way (and a rebuild for
// the saves under way) instead of having its day overwritten by the rebuild.
qint64 rebuildLockKey(TimesheetRowsKind kind, int year, int month);
