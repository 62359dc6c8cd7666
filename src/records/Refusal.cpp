// A write the store refuses: its text and field.
#include "records/Refusal.h"

Refusal::Refusal(const QString& text, const QString& refusedField) : DbError(text), field(refusedField) {}
