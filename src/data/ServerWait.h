// Waiting for the server without freezing a window: what a streaming statement does while the
// server works on it, and the error of a statement the user stopped.
#pragma once

#include "data/Sql.h"

#include <functional>

// A statement the user stopped while it waited for the server.
class StatementCancelled : public DbError {
public:
    StatementCancelled();
};

// What a streaming statement (PgStatement::stream, Dataset::openStreaming and the rows fetched
// after) does while it waits for the server's next answer. Without a wait it blocks. A window that
// wants to stay responsive installs one for a while: it is called with the session's socket and
// returns once the socket has something to read (running the event loop meanwhile), or false when
// the user cancelled; the server is then asked to stop the statement, which ends with
// StatementCancelled.
using ServerWait = std::function<bool(int socket)>;

class ServerWaitScope {
public:
    explicit ServerWaitScope(ServerWait wait);
    ~ServerWaitScope();
    ServerWaitScope(const ServerWaitScope&) = delete;
    ServerWaitScope& operator=(const ServerWaitScope&) = delete;

private:
    ServerWait m_previous;
};
