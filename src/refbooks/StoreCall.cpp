// Running a store function from a slot of a reference-book window.
#include "refbooks/StoreCall.h"

#include "records/Refusal.h"
#include "ui/Guarded.h"
#include "ui/Seams.h"

#include <QWidget>

StoreOutcome runStoreCall(const std::function<void()>& call, const QHash<QString, QWidget*>& fieldBoxes) {
    StoreOutcome outcome = StoreOutcome::Refused;
    runGuarded([&] {
        try {
            call();
            outcome = StoreOutcome::Written;
        } catch (const StaleRowError& stale) {
            seams::errorBox(stale.message);
            outcome = StoreOutcome::Stale;
        } catch (const Refusal& refusal) {
            seams::errorBox(refusal.message);
            if (QWidget* box = fieldBoxes.value(refusal.field))
                box->setFocus();
        }
    });
    return outcome;
}
