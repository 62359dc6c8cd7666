// A write the store refuses on its own rules (a limit, a duplicate, a row in use, a row changed
// at another workstation): the Russian text the window shows, and the field it concerns.
#pragma once

#include "data/Sql.h"

#include <QString>

// Thrown by the store functions before anything is written, or with their transaction rolled
// back, so that a refusal never leaves half a change behind. It is a DbError, so that a window
// that shows every database error shows a refusal the same way.
class Refusal : public DbError {
public:
    // field names the value the refusal is about (empty when it concerns the whole value), so
    // that the window can put the focus there.
    explicit Refusal(const QString& text, const QString& field = {});
    QString field;
};
