// A calendar month of the timesheets and the colours of their grids.
#include "timesheets/TimesheetMonth.h"

#include <QApplication>
#include <QPalette>

bool TimesheetMonth::isWeekend(int day) const {
    return QDate(year, month, day).dayOfWeek() >= Qt::Saturday;
}

QString TimesheetMonth::title() const {
    return monthNames().value(month - 1) + u' ' + QString::number(year);
}

QStringList monthNames() {
    return {QStringLiteral("Январь"),  QStringLiteral("Февраль"), QStringLiteral("Март"),
            QStringLiteral("Апрель"),  QStringLiteral("Май"),     QStringLiteral("Июнь"),
            QStringLiteral("Июль"),    QStringLiteral("Август"),  QStringLiteral("Сентябрь"),
            QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"),  QStringLiteral("Декабрь")};
}

namespace timesheetcolors {
QColor weekend() {
    return QColor(255, 0, 0);
}
QColor silver() {
    return QColor(192, 192, 192);
}
QColor totals() {
    return QColor(225, 228, 255);
}
QColor overtime() {
    return QColor(192, 220, 192);
}
QColor normalText() {
    return QApplication::palette().color(QPalette::WindowText);
}
QColor background() {
    return QApplication::palette().color(QPalette::Base);
}
} // namespace timesheetcolors
