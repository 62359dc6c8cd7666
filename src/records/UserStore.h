// Named users: who may log in, with which role, by which code. The login finds the user of a code;
// the users window adds, renames, moves, deactivates and activates users and sets their codes.
#pragma once

#include "records/UserRole.h"

#include <QString>
#include <optional>
#include <vector>

class Database;

// One user of accounts_dep.tabel_user.
struct User {
    int id = 0;
    QString name;
    UserRole role = UserRole::Full;
    bool active = true;
};

// The least length of a code, in characters.
inline constexpr int kLeastCodeLength = 6;

// Whether the database holds the named users' table (the administrator applied db/history.sql).
bool usersInstalled(Database& db);

// Every user, active or not, by name. Empty without the table.
std::vector<User> listUsers(Database& db);

// What the login learns of a code.
struct CodeOwner {
    // The table holds active users: only their codes open the program.
    bool namedUsers = false;
    // The active user whose code it is (with namedUsers only).
    std::optional<User> user;
};
// Looks for the active user whose code it is. Every active user's hash is tried (none is found by
// the code itself), so the time taken does not tell which user, if any, matched.
CodeOwner findCodeOwner(Database& db, const QString& code);

// Each write below is one transaction that first locks the users' table against the other
// writers (readers go on), so that two workstations writing at the same moment never leave two
// active users with one code, two users with one name, or active users without an active
// full-access user. Refusals (Refusal, with the field "name", "code" or "role") leave nothing
// written; a user changed away at another workstation meanwhile throws StaleRowError.
//
// Names are trimmed, not empty, at most 100 characters, unique regardless of letter case. Codes
// are trimmed (the login trims what is typed), at least kLeastCodeLength characters, not one
// of the built-in codes, and not the code of another user, active or not (so that a user
// activated again never shares a code with an active one).

// Adds an active user; returns its id. While there is no active user, the first must have full
// access, so that somebody can manage the users once the built-in codes stop opening the program.
int addUser(Database& db, const QString& name, UserRole role, const QString& code);
// Renames the user and gives it the role; the last active full-access user keeps full access.
void changeUser(Database& db, int id, const QString& name, UserRole role);
// Gives the user a new code.
void setUserCode(Database& db, int id, const QString& code);
// Deactivates the user (it no longer logs in) or activates it again. The last active full-access
// user is not deactivated.
void setUserActive(Database& db, int id, bool active);

// The user logged in at this workstation by a code of its own (empty after a login by a built-in
// code): the month closing records this name.
void setLoggedInUser(const QString& name);
QString loggedInUser();
