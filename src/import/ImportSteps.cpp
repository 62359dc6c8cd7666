// The tables the legacy import copies and how their columns are carried over.
#include "import/ImportSteps.h"

namespace {

std::vector<ImportColumn> columns(const QStringList& names, ValueKind kind) {
    std::vector<ImportColumn> out;
    for (const QString& n : names)
        out.push_back({n, kind});
    return out;
}

std::vector<ImportColumn> hoursSheetColumns() {
    std::vector<ImportColumn> out = columns(
        {QStringLiteral("id"), QStringLiteral("w_id"), QStringLiteral("month"), QStringLiteral("year")},
        ValueKind::WholeNumber);
    // The hours sheet's shift is never empty: 0 is its "no shift".
    out.push_back({QStringLiteral("smena"), ValueKind::WholeNumberOrZero});
    for (int day = 1; day <= 31; ++day)
        out.push_back({QStringLiteral("d%1").arg(day), ValueKind::WholeNumber});
    return out;
}

std::vector<ImportStep> buildSteps() {
    using K = ValueKind;
    const auto id = QStringLiteral("id");
    std::vector<ImportStep> steps;
    steps.push_back({QStringLiteral("H_TABEL"), QStringLiteral("accounts_dep.h_tabel"), false, true,
                     QStringLiteral("accounts_dep.h_tabel"), hoursSheetColumns()});
    // Products are written through the view over the enterprise goods, which hands out their keys.
    steps.push_back({QStringLiteral("IZDEL"),
                     QStringLiteral("accounts_dep.izdel"),
                     false,
                     true,
                     QStringLiteral("cmn_gds_and_srv.gds_and_srv"),
                     {{id, K::WholeNumber},
                      {QStringLiteral("marka"), K::Text},
                      {QStringLiteral("nom"), K::Text},
                      {QStringLiteral("massa"), K::FloatNumber}}});
    steps.push_back({QStringLiteral("NOMENKL"),
                     QStringLiteral("accounts_dep.nomenkl"),
                     false,
                     false,
                     {},
                     columns({QStringLiteral("marka"), QStringLiteral("nom")}, K::Text)});
    steps.push_back({QStringLiteral("OPER"),
                     QStringLiteral("accounts_dep.oper"),
                     false,
                     true,
                     QStringLiteral("accounts_dep.oper"),
                     {{id, K::WholeNumber},
                      {QStringLiteral("vid"), K::WholeNumber},
                      {QStringLiteral("naimen"), K::WholeNumber},
                      {QStringLiteral("cena"), K::FloatNumber},
                      {QStringLiteral("i_id"), K::WholeNumber}}});
    steps.push_back({QStringLiteral("VID_OPER"),
                     QStringLiteral("accounts_dep.vid_oper"),
                     false,
                     true,
                     QStringLiteral("accounts_dep.vid_oper"),
                     {{id, K::WholeNumber}, {QStringLiteral("vid"), K::Text}}});
    steps.push_back(
        {QStringLiteral("WORKERS"),
         QStringLiteral("accounts_dep.workers"),
         false,
         true,
         QStringLiteral("accounts_dep.workers"),
         {{id, K::WholeNumber}, {QStringLiteral("fio"), K::Text}, {QStringLiteral("addr"), K::Text}}});
    std::vector<ImportColumn> journal =
        columns({id, QStringLiteral("w_id"), QStringLiteral("i_id"), QStringLiteral("o_id"),
                 QStringLiteral("kol_vo"), QStringLiteral("brak"), QStringLiteral("smena")},
                K::WholeNumber);
    journal.push_back({QStringLiteral("cena"), K::FloatNumber});
    journal.push_back({QStringLiteral("color"), K::WholeNumber});
    for (const char* name : {"ok", "data", "time", "vvod"})
        journal.push_back({QLatin1String(name), K::Typed});
    // The journal's source is the table "smena" that the search path of the program's own
    // connection finds.
    steps.push_back({QStringLiteral("smena"), QStringLiteral("accounts_dep.smena"), true, true,
                     QStringLiteral("accounts_dep.smena"), journal});
    return steps;
}

} // namespace

QStringList ImportStep::columnNames() const {
    QStringList names;
    for (const ImportColumn& c : columns)
        names << c.name;
    return names;
}

const std::vector<ImportStep>& importSteps() {
    static const std::vector<ImportStep> steps = buildSteps();
    return steps;
}

QStringList importTargetTables() {
    QStringList names;
    for (const ImportStep& s : importSteps())
        names << s.targetTable;
    return names;
}
