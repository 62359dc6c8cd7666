// What a user may do, by the role its login grants.
#include "ui/Permissions.h"

Permissions permissionsForRole(UserRole role) {
    Permissions p;
    if (role == UserRole::Full)
        return p;
    // Every other role keeps away from the reference books, the timesheets, the changes and
    // deletions of the journal, the changes of the maintenance works and the users.
    p.changeRecords = false;
    p.deleteRecords = false;
    p.changeMaintenance = false;
    p.referenceBooks = false;
    p.timesheets = false;
    p.legacyImport = false;
    p.payrollSummary = false;
    p.closeMonths = false;
    p.manageUsers = false;
    p.restoreRecords = false;
    if (role == UserRole::Foreman) {
        p.acceptRecords = false;
        p.workersReports = false;
        p.productsReport = false;
        p.excelSummary = false;
        return p;
    }
    // The storekeeper and the analyst only look.
    p.addRecords = false;
    if (role == UserRole::Storekeeper) {
        p.workersReports = false;
        p.productsReport = false;
        p.excelSummary = false;
        p.chooseProductKind = false;
        p.productKind = 0;
        return p;
    }
    // The analyst hands the month to payroll.
    p.chooseDay = false;
    p.payrollSummary = true;
    return p;
}

std::optional<Permissions> permissionsForCode(const QString& code) {
    const std::optional<UserRole> role = roleOfBuiltInCode(code);
    if (!role)
        return std::nullopt;
    return permissionsForRole(*role);
}
