// What the main window shares with the other windows: the current shift, the login code,
// the build stamp, the current journal query and the journal's day controls.
#pragma once

#include <QString>

class Dataset;
class QCheckBox;
class QDateEdit;

struct MainWindowState {
    int currentShift = 0;            // 1..4; set to 1 by the login
    QString loginCode;               // the access code typed at login, trimmed
    int buildDate = 0;               // YYYYMMDD
    int buildTime = 0;               // seconds since midnight
    Dataset* currentQuery = nullptr; // the journal query of the last add, change or toggle
    QCheckBox* CBox1 = nullptr;      // "Выходной": the journal day is a day off
    QDateEdit* DateT = nullptr;      // the journal date
};

// The main window's members; null until the main window exists.
extern MainWindowState* g_mainWindowState;
