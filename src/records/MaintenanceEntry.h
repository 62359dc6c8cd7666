// One entry of maintenance works or of work at the average piece rate: who worked how many
// hours of which kind on which day, at what price per hour. Saving and deleting an entry keep
// the worker's hours of that day in the timesheet.
#pragma once

#include <QDate>
#include <QString>

class Database;

// The two operation types paid by the hour.
inline constexpr int kMaintenanceWork = 7777;
inline constexpr int kAverageRateWork = 7778;

struct MaintenanceEntry {
    int id = 0; // 0 for an entry not saved yet
    int workerId = 0;
    QString workerName;
    qint64 groupId = 0; // the nomenclature group the work was done for
    QString groupName;
    int type = 0; // kMaintenanceWork or kAverageRateWork
    QDate date;
    int hours = 0;
    double price = 0; // roubles per hour
    bool dayOff = false;
    bool night = false;
};

// The price per hour of an entry: the type's norm price, twice on a day off, and then 1.2
// times for night work.
double hourlyPrice(double normPrice, bool dayOff, bool night);

// Writes the entry (a new row when its id is 0, else the row of that id; a change keeps the
// row's date) and then the worker's hours of that day into the timesheet, in one transaction.
// For a change, `before` is the entry as it stood: when the change moved it to another worker
// or type, the day it came from is recomputed as well. Throws DbError (a Refusal when the day's
// hours do not fit the timesheet, or when the entry's month is closed); then nothing is written.
void saveMaintenanceEntry(Database& db, const MaintenanceEntry& entry,
                          const MaintenanceEntry* before = nullptr);

// Deletes the entry and writes the hours that remain for its day, in one transaction. Throws
// Refusal when the entry's month is closed.
void deleteMaintenanceEntry(Database& db, const MaintenanceEntry& entry);
