// The build stamp: the build date and time of the program as whole numbers, computed
// character by character from the compiler's build texts ("Feb 27 2024", "15:11:03").
#pragma once

#include <QString>

// YYYYMMDD; question marks give 19000101.
int computeBuildDate(const QString& dateText);
// Seconds since midnight.
int computeBuildTime(const QString& timeText);

// The build stamp of this program: the compiler's build texts and the numbers made of them, as
// the version check writes and compares them.
struct BuildStamp {
    QString dateText;         // "Feb 27 2024"
    QString timeText;         // "15:11:03"
    int date = 0;             // YYYYMMDD
    int time = 0;             // seconds since midnight
    QString commit;           // the commit built (empty when the tree had no history)
    bool uncommitted = false; // the tree had changes beyond that commit

    static BuildStamp fromTexts(const QString& dateText, const QString& timeText) {
        return {dateText, timeText, computeBuildDate(dateText), computeBuildTime(timeText), {}, false};
    }
};
