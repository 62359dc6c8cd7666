// The search field of the list windows: the client-side filter from the typed text, and the
// keys that move the list from inside the search field.
#pragma once

#include <QString>

class Dataset;
class QEvent;

// Shows only the rows whose field begins with the text (or contains it, with anywhere); an
// empty text shows every row. An apostrophe typed in the text stays a letter to look for.
void applySearch(Dataset& list, const QString& field, const QString& text, bool anywhere = false);

// Up and Down in a search field move the list. With swallowEditing, the keys that act on
// key-down (Delete, Left, Right, Home, End) do nothing there either. True when the key was
// taken.
bool searchFieldKey(const QEvent* e, Dataset& list, bool swallowEditing = true);
