// What a user may do, by the access code typed at login.
#include "ui/Permissions.h"

std::optional<Permissions> permissionsForCode(const QString& code) {
    Permissions p;
    if (code == u"73516280" || code == u"0471")
        return p;
    // Every other role keeps away from the reference books, the timesheets, the changes and
    // deletions of the journal and the changes of the maintenance works.
    p.changeRecords = false;
    p.deleteRecords = false;
    p.changeMaintenance = false;
    p.referenceBooks = false;
    p.timesheets = false;
    p.legacyImport = false;
    p.payrollSummary = false;
    p.closeMonths = false;
    p.restoreRecords = false;
    if (code == kForemanCode) {
        p.acceptRecords = false;
        p.workersReports = false;
        p.productsReport = false;
        p.excelSummary = false;
        return p;
    }
    // The storekeeper and the analyst only look.
    p.addRecords = false;
    if (code == u"wirbo") {
        p.workersReports = false;
        p.productsReport = false;
        p.excelSummary = false;
        p.chooseProductKind = false;
        p.productKind = 0;
        return p;
    }
    if (code == u"plutvi") {
        p.chooseDay = false;
        // The analyst hands the month to payroll.
        p.payrollSummary = true;
        return p;
    }
    return std::nullopt;
}
