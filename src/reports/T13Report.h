// Printed hours timesheet on the unified form T-13: the header block of the organisation, the
// document and the period, per worker a code line and an hours line for each half of the
// month, the days and hours worked per half and for the month, and the signature lines; A4
// landscape. The columns of the payroll office (pay codes, accounts, absences) stay empty.
#pragma once

#include "reports/ReportLayoutBase.h"

#include <QDate>

// The texts of the form's header block.
struct T13Header {
    QString organisation;
    QString department;
    QString number; // of the document
    QDate date;     // the document was made
};

// The organisation and department as the settings files give them (key organisation and
// department of the group [t13], the user's file over the machine's), otherwise as the user
// typed them last; number is the month's number and date the given day.
T13Header t13HeaderFromSettings(int month, int year, const QDate& date);
// The organisation and department of the settings files only; empty where they name none.
T13Header t13HeaderOfSettingsFiles();
// Remembers the texts the user typed, for the next time the settings files name none.
void rememberT13Texts(const QString& organisation, const QString& department);

class T13Report : public ReportLayoutBase {
    Q_OBJECT
public:
    // The statement runs on the database's connection.
    explicit T13Report(Database& db, QObject* parent = nullptr);

    void setHeader(const T13Header& header);
    // Opens the rows of the month (1..12) of the year, one per worker with records in the month,
    // ordered by name, and puts the period into the header.
    void openMonth(int month, int year);
    // Opens the month, shows the preview modally, zoomed to the whole page, and closes the rows.
    void previewMonth(int month, int year, QWidget* parent = nullptr);

    // The work of a day and its code: Я hours by day (shifts 1 and 2, maintenance and average-rate
    // entries by day), Н night hours (shift 3, night entries), С overtime (shift 4), РВ the hours
    // of an entry marked as a day off; a Saturday or Sunday without hours is В. Several codes of a
    // day are written "Я/С" over their hours "8/2".
    static QString reportSql();
};
