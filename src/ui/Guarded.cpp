// Running a slot's work with its errors shown.
#include "ui/Guarded.h"

#include "data/Sql.h"
#include "ui/Seams.h"

#include <exception>

std::optional<QString> errorOf(const std::function<void()>& action) {
    try {
        action();
        return std::nullopt;
    } catch (const DbError& e) {
        return e.message;
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Неизвестная ошибка");
    }
}

bool runGuarded(const std::function<void()>& action, const QString& caption) {
    const std::optional<QString> error = errorOf(action);
    if (error)
        seams::errorBox(*error, caption);
    return !error;
}
