// What a user may do, by the role its login grants: handed to the main window, the journal and
// the reports dialog, which enable their controls by it.
#pragma once

#include "records/UserRole.h"

#include <QString>
#include <optional>

struct Permissions {
    // The journal.
    bool addRecords = true;    // "Добавить"
    bool changeRecords = true; // "Изменить"
    bool deleteRecords = true; // "Удалить"
    bool acceptRecords = true; // a double click on a record toggles its acceptance mark
    bool chooseDay = true;     // the shifts, the date, "Выходной", "Обновить" and the grid
    // The maintenance works window: add, change, delete and the average-rate calculation (read
    // only without it).
    bool changeMaintenance = true;
    // The main menu.
    bool referenceBooks = true; // "Справочники"
    bool timesheets = true;     // the timesheets of the menu "Табель"
    bool payrollSummary = true; // "Итоги месяца для расчета" of the menu "Табель"
    bool legacyImport = true; // "Импорт", where the workstation has the earlier database's data source
    bool closeMonths = true; // "Закрытие месяца" closes and reopens months (the others see the list)
    bool manageUsers = true; // "Пользователи" of the menu "Справочники"
    bool restoreRecords = true; // "Журнал изменений" restores deleted records (the others see the list)
    // The reports dialog.
    bool workersReports = true; // "Отчет по рабочим" and "Детальный отчет по рабочим"
    bool productsReport = true; // "Отчет по продукции"
    bool excelSummary = true;   // the Excel summary
    bool chooseProductKind = true;
    // The product kind the reports are limited to from the login on (0 finished products).
    std::optional<int> productKind;
};

// What the role permits.
Permissions permissionsForRole(UserRole role);

// The permissions of a built-in access code; no value for an unknown code.
std::optional<Permissions> permissionsForCode(const QString& code);
