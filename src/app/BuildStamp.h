// The build stamp: the build date and time of the program as whole numbers, computed
// character by character from the compiler's build texts ("Feb 27 2024", "15:11:03").
#pragma once

#include <QString>

// YYYYMMDD; question marks give 19000101.
int computeBuildDate(const QString& dateText);
// Seconds since midnight.
int computeBuildTime(const QString& timeText);
