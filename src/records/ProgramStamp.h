// The stamp of the newest program that has run against the database (accounts_dep.ver).
#pragma once

class Database;

// Writes the build stamp (date YYYYMMDD, seconds of the day) when it is newer than the stored one,
// or when none is stored, in one statement that only ever moves the stamp forward: two
// workstations starting at once neither take it back nor fail on each other's write.
void advanceProgramStamp(Database& db, int buildDate, int buildTime);
