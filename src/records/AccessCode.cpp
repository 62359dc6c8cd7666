// Access codes of the named users kept as salted slow hashes.
#include "records/AccessCode.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <future>
#include <thread>
#include <vector>

namespace {

const QString kScheme = QStringLiteral("pbkdf2-sha256");
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;
// A stored count above this is taken for a damaged or planted row: checking it would hold the
// login for minutes.
constexpr int kMostIterations = 10'000'000;

QByteArray derive(const QString& code, const QByteArray& salt, int iterations, int bytes) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, code.toUtf8(), salt, iterations,
                                              quint64(bytes));
}

// Compares every byte whatever the earlier ones were, so that the time taken tells nothing about
// how much of the hash matched.
bool sameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

} // namespace

QString hashAccessCode(const QString& code, int iterations) {
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(salt.begin(), salt.end());
    const QByteArray hash = derive(code, salt, iterations, kHashBytes);
    return QStringList{kScheme, QString::number(iterations), QString::fromLatin1(salt.toBase64()),
                       QString::fromLatin1(hash.toBase64())}
        .join(QLatin1Char('$'));
}

bool accessCodeMatches(const QString& code, const QString& storedHash) {
    const QStringList parts = storedHash.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != kScheme)
        return false;
    bool numeric = false;
    const int iterations = parts[1].toInt(&numeric);
    if (!numeric || iterations < 1 || iterations > kMostIterations)
        return false;
    const auto salt =
        QByteArray::fromBase64Encoding(parts[2].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    const auto hash =
        QByteArray::fromBase64Encoding(parts[3].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!salt || !hash || salt.decoded.isEmpty() || hash.decoded.size() < 16 || hash.decoded.size() > 64)
        return false;
    return sameBytes(derive(code, salt.decoded, iterations, int(hash.decoded.size())), hash.decoded);
}

int firstMatchingHash(const QString& code, const QStringList& storedHashes) {
    const int count = int(storedHashes.size());
    std::vector<char> matches(size_t(count), 0);
    const int workers = std::clamp(int(std::thread::hardware_concurrency()), 1, std::max(count, 1));
    std::vector<std::future<void>> running;
    for (int w = 0; w < workers; ++w)
        running.push_back(std::async(std::launch::async, [&, w] {
            for (int i = w; i < count; i += workers)
                matches[size_t(i)] = accessCodeMatches(code, storedHashes[i]) ? 1 : 0;
        }));
    for (std::future<void>& f : running)
        f.get();
    const auto first = std::find(matches.begin(), matches.end(), 1);
    return first == matches.end() ? -1 : int(first - matches.begin());
}
