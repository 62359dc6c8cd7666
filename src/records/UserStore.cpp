// Named users: the login's lookup of a code and the writes of the users window.
#include "records/UserStore.h"

#include "data/Database.h"
#include "data/Transaction.h"
#include "records/AccessCode.h"
#include "records/ReferenceChecks.h"
#include "records/Refusal.h"

#include <QSqlQuery>

namespace {

QString loggedInName;

const QString kNameField = QStringLiteral("name");
const QString kCodeField = QStringLiteral("code");
const QString kRoleField = QStringLiteral("role");

// A user of a query's columns id, name, role, active. A role the program does not know is read
// as the analyst's, the role that changes nothing.
User userOf(const QSqlQuery& q) {
    return {q.value(0).toInt(), q.value(1).toString(),
            roleFromKey(q.value(2).toString()).value_or(UserRole::Analyst), q.value(3).toBool()};
}

struct Credential {
    User user;
    QString hash;
};

// The users with their hashes: the active ones only or all, but the one of exceptId.
std::vector<Credential> credentials(Database& db, bool activeOnly, int exceptId = 0) {
    std::vector<Credential> found;
    QSqlQuery q =
        runStatement(db.connection().database(),
                     QStringLiteral("select id, name, role, active, code_hash from accounts_dep.tabel_user "
                                    "where (active or :activeOnly=0) and id<>:id order by id"),
                     {{QStringLiteral("activeOnly"), int(activeOnly)}, {QStringLiteral("id"), exceptId}});
    while (q.next())
        found.push_back({userOf(q), q.value(4).toString()});
    return found;
}

QStringList hashesOf(const std::vector<Credential>& credentials) {
    QStringList hashes;
    for (const Credential& c : credentials)
        hashes << c.hash;
    return hashes;
}

// Holds the table against the other writers until the transaction ends; plain reads (the
// logins) go on.
void lockUsers(Database& db) {
    db.execute(QStringLiteral("lock table accounts_dep.tabel_user in share row exclusive mode"));
}

QString checkedName(Database& db, const QString& typed, int id) {
    const QString name = typed.trimmed();
    if (name.isEmpty())
        throw Refusal(QStringLiteral("Имя пользователя нужно заполнить!"), kNameField);
    refuseIfTooLong(db, QStringLiteral("accounts_dep.tabel_user"), QStringLiteral("name"),
                    QStringLiteral("Имя"), name, kNameField);
    refuseIfCounted(db,
                    QStringLiteral("select count(*) as cnt from accounts_dep.tabel_user "
                                   "where upper(name)=upper(:name) and id<>:id"),
                    {{QStringLiteral("name"), name}, {QStringLiteral("id"), id}},
                    QStringLiteral("Пользователь с таким именем уже есть."), kNameField);
    return name;
}

// Refuses the code when another user (any but id) has it. Inactive users count too: their hashes
// cannot be compared with each other (each has its own salt), so this is what keeps a user
// activated again from sharing a code with an active one.
void refuseCodeOfAnotherUser(Database& db, const QString& code, int id) {
    if (firstMatchingHash(code, hashesOf(credentials(db, false, id))) >= 0)
        throw Refusal(QStringLiteral("Такой код уже есть у другого пользователя: выберите другой."),
                      kCodeField);
}

// The code as it is stored and typed at the login; refused when short, printed in the manual
// or the code of another active user.
QString checkedCode(Database& db, const QString& typed, int id) {
    const QString code = typed.trimmed();
    if (code.size() < kLeastCodeLength)
        throw Refusal(QStringLiteral("Код должен быть не короче %1 знаков.").arg(kLeastCodeLength),
                      kCodeField);
    // The built-in codes are printed in the manual of every installation: they are no secret.
    if (roleOfBuiltInCode(code))
        throw Refusal(QStringLiteral("Этот код напечатан в руководстве программы: выберите другой."),
                      kCodeField);
    refuseCodeOfAnotherUser(db, code, id);
    return code;
}

// After the write, inside its transaction: an active user must have full access, or nobody could
// manage the users once the built-in codes stop opening the program (the first user has full
// access, and the last active one with full access stays).
void refuseWithoutFullAccess(Database& db, const QString& message, const QString& field) {
    refuseIfCounted(db,
                    QStringLiteral("select cast(not exists (select 1 from accounts_dep.tabel_user "
                                   "where active and role='full') as integer) as cnt"),
                    {}, message, field);
}

User storedUser(Database& db, int id) {
    QSqlQuery q = runStatement(
        db.connection().database(),
        QStringLiteral("select id, name, role, active from accounts_dep.tabel_user where id=:id"),
        {{QStringLiteral("id"), id}});
    if (!q.next())
        throw StaleRowError();
    return userOf(q);
}

} // namespace

bool usersInstalled(Database& db) {
    return db.readValue(QStringLiteral("select to_regclass('accounts_dep.tabel_user') is not null")).toBool();
}

std::vector<User> listUsers(Database& db) {
    std::vector<User> users;
    if (!usersInstalled(db))
        return users;
    QSqlQuery q = runStatement(db.connection().database(),
                               QStringLiteral("select id, name, role, active from accounts_dep.tabel_user "
                                              "order by upper(name), id"));
    while (q.next())
        users.push_back(userOf(q));
    return users;
}

CodeOwner findCodeOwner(Database& db, const QString& code) {
    CodeOwner owner;
    if (!usersInstalled(db))
        return owner;
    const std::vector<Credential> active = credentials(db, true);
    owner.namedUsers = !active.empty();
    const int found = firstMatchingHash(code, hashesOf(active));
    if (found >= 0)
        owner.user = active[size_t(found)].user;
    return owner;
}

int addUser(Database& db, const QString& name, UserRole role, const QString& code) {
    Transaction transaction(db);
    lockUsers(db);
    const QString checked = checkedName(db, name, 0);
    const QString hash = hashAccessCode(checkedCode(db, code, 0));
    const int id =
        db.readValue(QStringLiteral("insert into accounts_dep.tabel_user (name, role, code_hash, active) "
                                    "values (:name, :role, :hash, true) returning id"),
                     {{QStringLiteral("name"), checked},
                      {QStringLiteral("role"), roleKey(role)},
                      {QStringLiteral("hash"), hash}})
            .toInt();
    refuseWithoutFullAccess(db, QStringLiteral("Первым заводится пользователь с полным доступом."),
                            kRoleField);
    transaction.commit();
    return id;
}

void changeUser(Database& db, int id, const QString& name, UserRole role) {
    Transaction transaction(db);
    lockUsers(db);
    storedUser(db, id);
    const QString checked = checkedName(db, name, id);
    requireRowTouched(
        db.execute(QStringLiteral("update accounts_dep.tabel_user set name=:name, role=:role where id=:id"),
                   {{QStringLiteral("name"), checked},
                    {QStringLiteral("role"), roleKey(role)},
                    {QStringLiteral("id"), id}}));
    refuseWithoutFullAccess(
        db, QStringLiteral("Это последний действующий пользователь с полным доступом: его роль не меняется."),
        kRoleField);
    transaction.commit();
}

void setUserCode(Database& db, int id, const QString& code) {
    Transaction transaction(db);
    lockUsers(db);
    storedUser(db, id);
    const QString hash = hashAccessCode(checkedCode(db, code, id));
    requireRowTouched(
        db.execute(QStringLiteral("update accounts_dep.tabel_user set code_hash=:hash where id=:id"),
                   {{QStringLiteral("hash"), hash}, {QStringLiteral("id"), id}}));
    transaction.commit();
}

void setUserActive(Database& db, int id, bool active) {
    Transaction transaction(db);
    lockUsers(db);
    const User user = storedUser(db, id);
    if (user.active == active) {
        // Done at another workstation meanwhile: nothing to write.
        transaction.commit();
        return;
    }
    requireRowTouched(
        db.execute(QStringLiteral("update accounts_dep.tabel_user set active=(:active=1) where id=:id"),
                   {{QStringLiteral("active"), int(active)}, {QStringLiteral("id"), id}}));
    refuseWithoutFullAccess(
        db,
        active
            ? QStringLiteral("Первым действующим пользователем должен быть пользователь с полным доступом.")
            : QStringLiteral("Это последний действующий пользователь с полным доступом: он не отключается."),
        active ? kRoleField : QString());
    transaction.commit();
}

void setLoggedInUser(const QString& name) {
    loggedInName = name;
}

QString loggedInUser() {
    return loggedInName;
}
