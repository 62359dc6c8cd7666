// The version check: the build stamp of this program against the newest one that has run on
// the database. A newer program there refuses this one, which then ends.
#pragma once

#include "data/Dataset.h"

#include <QObject>
#include <QTimer>

class Database;

class VersionCheck : public QObject {
    Q_OBJECT
public:
    // The build texts in the compiler's form ("Dec  9 2026", "22:22:09"). The check repeats
    // every 30 s from now on, whatever window is open.
    VersionCheck(Database& db, const QString& buildDateText, const QString& buildTimeText,
                 QObject* parent = nullptr);

    int buildDate() const { return m_buildDate; } // YYYYMMDD
    int buildTime() const { return m_buildTime; } // seconds since midnight

    // The repetition, and the delay after which a refused program ends even while the
    // refusal message is still open.
    QTimer& repeatTimer() { return m_repeatTimer; }
    QTimer& endTimer() { return m_endTimer; }

public slots:
    // Writes this program's stamp when it is the newest, hands the database's decimal
    // separator to the database object, and refuses an outdated program.
    void run();

private slots:
    // The check of the repeat timer.
    void repeat();

private:
    void check();

    Database& m_db;
    EditTable m_ver;
    int m_buildDate = 0;
    int m_buildTime = 0;
    QTimer m_repeatTimer;
    QTimer m_endTimer;
    // A repeated check is running (its message may be open), and the last one failed.
    bool m_repeating = false;
    bool m_failing = false;
};
