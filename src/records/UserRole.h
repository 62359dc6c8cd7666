// The four roles a login grants, as the named users' table stores them and as the windows name them.
#pragma once

#include <QString>
#include <array>
#include <optional>

enum class UserRole { Full, Foreman, Storekeeper, Analyst };

inline constexpr std::array<UserRole, 4> kUserRoles{UserRole::Full, UserRole::Foreman, UserRole::Storekeeper,
                                                    UserRole::Analyst};

// The role as the column accounts_dep.tabel_user.role holds it.
inline QString roleKey(UserRole role) {
    switch (role) {
    case UserRole::Full:
        return QStringLiteral("full");
    case UserRole::Foreman:
        return QStringLiteral("foreman");
    case UserRole::Storekeeper:
        return QStringLiteral("storekeeper");
    case UserRole::Analyst:
        return QStringLiteral("analyst");
    }
    return {};
}

// The role of a stored key; none for a key the program does not know.
inline std::optional<UserRole> roleFromKey(const QString& key) {
    for (UserRole role : kUserRoles)
        if (roleKey(role) == key)
            return role;
    return std::nullopt;
}

// The role's name in the windows (and the user's name in the change log after a login by a
// built-in code).
inline QString roleTitle(UserRole role) {
    switch (role) {
    case UserRole::Full:
        return QStringLiteral("Полный доступ");
    case UserRole::Foreman:
        return QStringLiteral("Мастер");
    case UserRole::Storekeeper:
        return QStringLiteral("Кладовщик");
    case UserRole::Analyst:
        return QStringLiteral("Аналитик");
    }
    return {};
}

// The role of a built-in access code ("73516280" and "0471" full access, "fendrok" foreman,
// "wirbo" storekeeper, "plutvi" analyst; compared exactly); no value for any other text. The
// built-in codes open the program only while no named user is active.
inline std::optional<UserRole> roleOfBuiltInCode(const QString& code) {
    if (code == u"73516280" || code == u"0471")
        return UserRole::Full;
    if (code == u"fendrok")
        return UserRole::Foreman;
    if (code == u"wirbo")
        return UserRole::Storekeeper;
    if (code == u"plutvi")
        return UserRole::Analyst;
    return std::nullopt;
}
