// How the reference books' windows run a store function from a slot and show what comes back.
#pragma once

#include <QHash>
#include <QString>
#include <functional>

class QWidget;

// What became of a store call.
enum class StoreOutcome {
    Written, // the store wrote what it was given
    Stale,   // the row was changed or deleted at another workstation: shown; the list is read again
    Refused, // a refusal or a database error: shown, nothing written
};

// Runs the store call with every error shown through the message seam. A refusal puts the focus
// on the box its field names in fieldBoxes (after the message); a row found changed at another
// workstation is shown with its own text.
StoreOutcome runStoreCall(const std::function<void()>& call, const QHash<QString, QWidget*>& fieldBoxes = {});
