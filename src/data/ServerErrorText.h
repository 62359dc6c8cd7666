// The server's error texts as the user reads them: the causes the user can act on are named in
// Russian, with the server's own text below.
#pragma once

#include <QString>

// The text of a statement whose sums do not fit the columns it casts them to (the server's
// "numeric field overflow", SQLSTATE 22003): it names the cause, with the server's text below.
QString sumOverflowText(const QString& serverText);
// The server's error text of a failed statement with its SQLSTATE: a sum that does not fit is
// explained, any other text is kept as it is.
QString serverErrorText(const QString& sqlState, const QString& serverText);
// Whether a statement's SQLSTATE says that the server ended the session (a restart, a killed
// session, a connection failure), which the client library may not have noticed yet.
bool endsSession(const QString& sqlState);
