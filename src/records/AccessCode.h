// Access codes of the named users kept as salted slow hashes, never in clear.
#pragma once

#include <QString>
#include <QStringList>

// Iterations of PBKDF2-HMAC-SHA256 for a new hash: one check costs some 20 to 25 ms on an idle
// core here, so a login that tries the code against some thirty users (on the computer's cores at
// once) stays well under a second. Each hash names its own count, so a later release may raise
// this without touching the stored hashes.
inline constexpr int kAccessCodeIterations = 10000;

// The code's hash as stored: "pbkdf2-sha256$ITERATIONS$SALT$HASH", salt (16 random bytes) and
// hash (32 bytes) in base64.
QString hashAccessCode(const QString& code, int iterations = kAccessCodeIterations);

// Whether the code is the one the stored hash was made of. The hashes are compared in constant
// time; a stored text in another form (or with an absurd iteration count) matches nothing.
bool accessCodeMatches(const QString& code, const QString& storedHash);

// The first of the stored hashes the code was made of (-1 for none). Every hash is tried, on the
// computer's cores at once, so the time taken does not tell which one matched.
int firstMatchingHash(const QString& code, const QStringList& storedHashes);
