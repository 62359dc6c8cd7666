// The search field of the list windows: the filter from the typed text and the keys that
// move the list.
#include "ui/ListSearch.h"

#include "data/Dataset.h"
#include "data/Format.h"

#include <QKeyEvent>

void applySearch(Dataset& list, const QString& field, const QString& text, bool anywhere) {
    if (text.isEmpty()) {
        list.setFiltered(false);
        return;
    }
    const QString pattern = (anywhere ? QStringLiteral("%") : QString()) + text + QStringLiteral("%");
    list.setFilter(field + QStringLiteral(" like ") + sqlQuote(pattern));
    list.setFiltered(true);
}

bool searchFieldKey(const QEvent* e, Dataset& list, bool swallowEditing) {
    if (e->type() != QEvent::KeyPress)
        return false;
    switch (static_cast<const QKeyEvent*>(e)->key()) {
    case Qt::Key_Up:
        list.prior();
        return true;
    case Qt::Key_Down:
        list.next();
        return true;
    case Qt::Key_Delete:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        return swallowEditing;
    default:
        return false;
    }
}
