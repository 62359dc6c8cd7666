// The one way a slot that reaches the database runs its work: every error it raises is shown
// through the message seam and the program goes on. No exception may leave a slot, because
// Qt's own frames, which signals pass through, are built without exception support.
#pragma once

#include <QString>
#include <functional>
#include <optional>

// Runs the action; a DbError (the database's own text, or a store's refusal) or any other
// exception is shown as an error box with that text. True when the action ran to its end.
bool runGuarded(const std::function<void()>& action, const QString& caption = QStringLiteral("Ошибка"));

// Runs the action and gives the text of the error it raised, or nothing when it ran to its end:
// for work that reports its errors its own way.
std::optional<QString> errorOf(const std::function<void()>& action);
