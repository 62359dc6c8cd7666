#include "app/Roles.h"

#include "ui/Permissions.h"

#include <QAction>
#include <QApplication>
#include <QWidget>

namespace {

struct Rule {
    const char* window;
    const char* control;
    bool foreman, storekeeper, analyst;
};

// Controls disabled per role; everything not listed stays enabled.
const Rule kRules[] = {
    {"MainWindow", "Button1", false, true, true},
    {"MainWindow", "Button2", true, true, true},
    {"MainWindow", "Button3", true, true, true},
    {"MainWindow", "RadioButton1", false, false, true},
    {"MainWindow", "RadioButton2", false, false, true},
    {"MainWindow", "RadioButton3", false, false, true},
    {"MainWindow", "RadioButton4", false, false, true},
    {"MainWindow", "CBox1", false, false, true},
    {"MainWindow", "Button8", false, false, true},
    {"MainWindow", "DateT", false, false, true},
    {"MainWindow", "DBGrid2", false, false, true},
    {"MainWindow", "N2", true, true, true},
    {"MainWindow", "N11", true, true, true},
    {"ReportsDialog", "Button1", true, true, false},
    {"ReportsDialog", "Button2", true, true, false},
    {"ReportsDialog", "Button4", true, true, false},
    {"ReportsDialog", "Button6", true, true, false},
    {"ReportsDialog", "RadioGroup1", false, true, false},
};

QWidget* window(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name))
            return w;
    return nullptr;
}

void disable(QWidget* win, const char* control) {
    // Menu items are actions; everything else is a widget.
    if (auto* a = win->findChild<QAction*>(QLatin1String(control)))
        a->setEnabled(false);
    else if (auto* w = win->findChild<QWidget*>(QLatin1String(control)))
        w->setEnabled(false);
}

} // namespace

Role roleOfCode(const QString& code) {
    if (code == u"73516280" || code == u"0471")
        return Role::Full;
    if (code == kForemanCode)
        return Role::Foreman;
    if (code == u"wirbo")
        return Role::Storekeeper;
    if (code == u"plutvi")
        return Role::Analyst;
    return Role::None;
}

void applyRole(Role role) {
    if (role == Role::Storekeeper) {
        // The storekeeper reports on finished products only.
        if (QWidget* reports = window("ReportsDialog"))
            if (auto* kind = reports->findChild<QObject*>(QStringLiteral("RadioGroup1")))
                kind->setProperty("itemIndex", 0);
    }
    for (const Rule& r : kRules) {
        const bool off = (role == Role::Foreman && r.foreman) ||
                         (role == Role::Storekeeper && r.storekeeper) || (role == Role::Analyst && r.analyst);
        if (!off)
            continue;
        if (QWidget* win = window(r.window))
            disable(win, r.control);
    }
}
