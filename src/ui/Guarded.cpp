// Running a slot's work with its errors shown.
#include "ui/Guarded.h"

#include "data/Sql.h"
#include "ui/Seams.h"

#include <exception>

bool runGuarded(const std::function<void()>& action, const QString& caption) {
    try {
        action();
        return true;
    } catch (const DbError& e) {
        seams::errorBox(e.message, caption);
    } catch (const std::exception& e) {
        seams::errorBox(QString::fromUtf8(e.what()), caption);
    } catch (...) {
        seams::errorBox(QStringLiteral("Неизвестная ошибка"), caption);
    }
    return false;
}
