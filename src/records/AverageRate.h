// The average piece rate: prices the average-rate entries of a month at the worker's piece-work
// earnings per hour in that month.
#pragma once

class Database;
class Transaction;

// Sets the price of every average-rate entry of the month (of every worker, whatever its day)
// to the worker's journal earnings of the month divided by the worker's journal hours, each
// record's earnings raised by the entry's day-off (twice) and night (1.2 times, 2.2 times on a
// day off) factors, rounded to kopecks; 0 for a worker without journal hours in the month.
// Maintenance entries keep their prices. Returns the number of entries priced. Runs in the
// caller's transaction; throws Refusal, pricing nothing, when the month is closed.
int computeAverageRates(Transaction& transaction, Database& db, int year, int month);
