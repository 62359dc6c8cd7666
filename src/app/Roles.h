// Access codes and roles: which code selects which role, and which controls of the main
// window and of the reports dialog each role disables for the rest of the run.
#pragma once

#include "data/MainMembers.h"

#include <QString>

enum class Role { None, Full, Foreman, Storekeeper, Analyst };

// The role of a trimmed access code (case matters); Role::None for an unknown code.
Role roleOfCode(const QString& code);

// Disables the role's controls in every window that exists (found by window and control
// names); the reports dialog's product kind is set to its first item for the storekeeper.
void applyRole(Role role);
