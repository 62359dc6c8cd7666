#include "Roles.h"

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
    {"Form1", "Button1", false, true, true},
    {"Form1", "Button2", true, true, true},
    {"Form1", "Button3", true, true, true},
    {"Form1", "RadioButton1", false, false, true},
    {"Form1", "RadioButton2", false, false, true},
    {"Form1", "RadioButton3", false, false, true},
    {"Form1", "RadioButton4", false, false, true},
    {"Form1", "CBox1", false, false, true},
    {"Form1", "Button8", false, false, true},
    {"Form1", "DateT", false, false, true},
    {"Form1", "DBGrid2", false, false, true},
    {"Form1", "N2", true, true, true},
    {"Form1", "N11", true, true, true},
    {"Form18", "Button1", true, true, false},
    {"Form18", "Button2", true, true, false},
    {"Form18", "Button4", true, true, false},
    {"Form18", "Button6", true, true, false},
    {"Form18", "RadioGroup1", false, true, false},
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
        if (QWidget* reports = window("Form18"))
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
