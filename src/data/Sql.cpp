// Running one statement with typed named parameters, the SQL trace and error texts.
#include "data/Sql.h"

#include "data/PgDriverHandles.h"
#include "data/ServerErrorText.h"

#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSysInfo>
#include <libpq-fe.h>
#include <poll.h>

namespace sqltrace {
namespace {
Hook hook;
}
void setHook(Hook h) {
    hook = std::move(h);
}
void record(const QString& sql) {
    if (hook)
        hook(sql);
}
} // namespace sqltrace

StaleRowError::StaleRowError() : DbError(staleRowText()) {}

QString staleRowText() {
    return QStringLiteral("Запись изменена или удалена на другом рабочем месте. Список будет прочитан "
                          "заново.");
}

namespace {

// Connections of several threads (a benchmark's workstations, a test's second workstation) note
// their sessions here at once.
QMutex sessionsMutex;
QHash<QString, quint64> sessions;
// Connections whose session was lost and is to be opened again at the next statement.
QSet<QString> lostSessions;
// Connections the program opened and has not closed. The driver marks a connection closed by
// itself when its session is lost inside a statement; such a connection is opened again too.
QSet<QString> openedSessions;
// The name of the user logged in at this workstation (setSessionUser).
QString currentUser;

bool isOpened(const QString& connectionName) {
    QMutexLocker lock(&sessionsMutex);
    return openedSessions.contains(connectionName);
}

bool isLost(const QString& connectionName) {
    QMutexLocker lock(&sessionsMutex);
    return lostSessions.contains(connectionName);
}

void noteLost(const QString& connectionName) {
    QMutexLocker lock(&sessionsMutex);
    lostSessions.insert(connectionName);
}

QString withServerText(const QString& text, const QString& serverText) {
    return serverText.isEmpty() ? text : text + QStringLiteral("\n\n") + serverText;
}

// The error of a failed statement; a statement that failed because the session is gone says
// so in Russian, with the server's text below.
DbError statementError(const QSqlQuery& q) {
    const QString text = errorText(q.lastError());
    const QString state = q.lastError().nativeErrorCode();
    PGconn* pg = pgConnection(q.driver());
    return DbError((pg && PQstatus(pg) == CONNECTION_BAD) || endsSession(state)
                       ? lostSessionText(text)
                       : serverErrorText(state, text));
}

// Whether the server has closed an idle session: it sends its last message and closes the socket,
// and reading what is waiting there (the message, then the end) marks the session as gone.
bool serverClosed(PGconn* pg) {
    // An idle session gets nothing from the server unless it is being closed (the termination
    // message, then the end of the stream). Once something came, wait a moment for the end,
    // which follows the message closely; a healthy idle session costs no waiting at all.
    for (int reads = 0; reads < 4 && PQstatus(pg) == CONNECTION_OK; ++reads) {
        pollfd waiting{PQsocket(pg), POLLIN, 0};
        if (poll(&waiting, 1, reads == 0 ? 0 : 200) <= 0 || PQconsumeInput(pg) == 0)
            break;
    }
    return PQstatus(pg) != CONNECTION_OK;
}

} // namespace

QString sessionErrorText(const QSqlDatabase& db, const QSqlError& e) {
    PGconn* pg = pgConnection(db);
    return pg && PQstatus(pg) == CONNECTION_BAD ? lostSessionText(errorText(e)) : errorText(e);
}

QString lostSessionText(const QString& serverText) {
    return withServerText(QStringLiteral("Соединение с сервером базы данных потеряно. Действие не выполнено; "
                                         "повторите его, когда сервер будет доступен."),
                          serverText);
}

QString sumOverflowText(const QString& serverText) {
    return withServerText(
        QStringLiteral(
            "Сумма не помещается в графу отчёта (не больше 99 999 999,99): в записях этого периода "
            "есть слишком большое количество, время или цена. Исправьте такие записи в журнале "
            "или в работах по обслуживанию."),
        serverText);
}

QString serverErrorText(const QString& sqlState, const QString& serverText) {
    return sqlState == QLatin1String("22003") ? sumOverflowText(serverText) : serverText;
}

bool endsSession(const QString& sqlState) {
    // Class 08: connection exceptions; 57P01 to 57P03: the server shut down, crashed or is starting.
    return sqlState.startsWith(QLatin1String("08")) || sqlState == QLatin1String("57P01") ||
           sqlState == QLatin1String("57P02") || sqlState == QLatin1String("57P03");
}

quint64 sessionNumber(const QString& connectionName) {
    QMutexLocker lock(&sessionsMutex);
    return sessions.value(connectionName);
}

namespace {
// Sets the session settings tabel.user and tabel.workstation of one session (bound values; the
// settings last for the session). Outside a transaction only: inside one a failed statement
// would abort it, and a reopened session is never inside one.
void tellWhoWorks(PGconn* pg) {
    if (!pg || PQstatus(pg) != CONNECTION_OK || PQtransactionStatus(pg) != PQTRANS_IDLE)
        return;
    const QByteArray user = sessionUser().toUtf8();
    const QByteArray host = workstationHostName().toUtf8();
    const char* values[2] = {user.constData(), host.constData()};
    PQclear(PQexecParams(pg,
                         "select set_config('tabel.user', $1, false), "
                         "set_config('tabel.workstation', $2, false)",
                         2, nullptr, values, nullptr, nullptr, 0));
}
} // namespace

void noteNewSession(const QString& connectionName) {
    {
        QMutexLocker lock(&sessionsMutex);
        ++sessions[connectionName];
        lostSessions.remove(connectionName);
        openedSessions.insert(connectionName);
    }
    // No compiling of statements to machine code: the server would do it for every large
    // statement (the year's reports, the timesheet rebuild), and the compiling takes longer than
    // it saves (0.7 s of the year's report by workers). Servers before 11 have no such setting.
    PGconn* pg = pgConnection(QSqlDatabase::database(connectionName, false));
    if (pg && PQstatus(pg) == CONNECTION_OK && PQserverVersion(pg) >= 110000)
        PQclear(PQexec(pg, "set jit = off"));
    tellWhoWorks(pg);
}

void setSessionUser(const QString& userName) {
    QSet<QString> open;
    {
        QMutexLocker lock(&sessionsMutex);
        currentUser = userName;
        open = openedSessions;
    }
    for (const QString& name : std::as_const(open))
        if (QSqlDatabase::contains(name))
            tellWhoWorks(pgConnection(QSqlDatabase::database(name, false)));
}

QString sessionUser() {
    QMutexLocker lock(&sessionsMutex);
    return currentUser;
}

QString workstationHostName() {
    return QSysInfo::machineHostName();
}

void noteClosed(const QString& connectionName) {
    QMutexLocker lock(&sessionsMutex);
    lostSessions.remove(connectionName);
    openedSessions.remove(connectionName);
}

void ensureSession(QSqlDatabase db) {
    const QString name = db.connectionName();
    PGconn* pg = pgConnection(db);
    if (db.isOpen() && pg) {
        if (PQstatus(pg) == CONNECTION_OK && PQtransactionStatus(pg) != PQTRANS_IDLE)
            return; // inside a transaction or a statement: it stands or falls with its session
        if (PQstatus(pg) == CONNECTION_OK && !serverClosed(pg))
            return;
    } else if (!isLost(name) && !(isOpened(name) && !db.isOpen())) {
        // Closed by the program, or not PostgreSQL: the statement reports it. A connection the
        // driver closed by itself (its session was lost inside a statement or a transaction) is
        // opened again.
        return;
    }
    db.close();
    if (!db.open()) {
        noteLost(name);
        throw DbError(withServerText(
            QStringLiteral("Нет соединения с сервером базы данных. Повторите действие, когда сервер будет "
                           "доступен; введённые данные сохранены в окне."),
            errorText(db.lastError())));
    }
    noteNewSession(name);
}

QString quoteLiteral(const QSqlDatabase& db, const QString& text) {
    PGconn* pg = pgConnection(db);
    if (!pg)
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    const QByteArray utf8 = text.toUtf8();
    char* quoted = PQescapeLiteral(pg, utf8.constData(), size_t(utf8.size()));
    if (!quoted)
        throw DbError(QString::fromUtf8(PQerrorMessage(pg)).trimmed());
    const QString out = QString::fromUtf8(quoted);
    PQfreemem(quoted);
    return out;
}

QString errorText(const QSqlError& e) {
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Ошибка базы данных");
    return text;
}

namespace {

// Calls found(start, end, name) for every :name placeholder of a statement, outside quoted
// literals and :: casts; start and end delimit the placeholder with its colon.
template <class Found> void forEachPlaceholder(const QString& sql, Found found) {
    bool inQuote = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c == u'\'') {
            inQuote = !inQuote;
            continue;
        }
        if (inQuote || c != u':')
            continue;
        if (i + 1 < sql.size() && sql[i + 1] == u':') {
            ++i; // a cast
            continue;
        }
        if (i > 0 && sql[i - 1] == u':')
            continue;
        qsizetype j = i + 1;
        while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == u'_'))
            ++j;
        if (j > i + 1)
            found(i, j, sql.mid(i + 1, j - i - 1));
        i = j - 1;
    }
}

QStringList placeholderNames(const QString& sql) {
    QStringList names;
    forEachPlaceholder(sql, [&](qsizetype, qsizetype, const QString& name) { names << name; });
    return names;
}

} // namespace

QString numberedPlaceholders(const QString& sql, QStringList* names) {
    QString out;
    qsizetype done = 0;
    forEachPlaceholder(sql, [&](qsizetype start, qsizetype end, const QString& name) {
        qsizetype n = names->indexOf(name);
        if (n < 0) {
            names->append(name);
            n = names->size() - 1;
        }
        out += QStringView(sql).mid(done, start - done);
        out += u'$' + QString::number(n + 1);
        done = end;
    });
    out += QStringView(sql).mid(done);
    return out;
}

QVariant paramValue(const Params& params, const QString& name) {
    auto it = params.constFind(name);
    if (it != params.constEnd())
        return it.value();
    // Parameter names are matched without regard to case, as the statements mix them.
    for (auto p = params.constBegin(); p != params.constEnd(); ++p)
        if (p.key().compare(name, Qt::CaseInsensitive) == 0)
            return p.value();
    throw DbError(QStringLiteral("Не задан параметр :%1").arg(name));
}

QSqlQuery runStatement(const QSqlDatabase& db, const QString& sql, const Params& params) {
    ensureSession(db);
    if (!db.isOpen()) {
        sqltrace::record(sql);
        throw DbError(QStringLiteral("Нет соединения с базой данных"));
    }
    QSqlQuery q(db);
    runStatement(q, sql, params, false);
    return q;
}

void runStatement(QSqlQuery& q, const QString& sql, const Params& params, bool prepared) {
    sqltrace::record(sql);
    // Not forward-only: rows are read by their number.
    q.setForwardOnly(false);
    q.setNumericalPrecisionPolicy(QSql::HighPrecision);
    const QStringList names = placeholderNames(sql);
    if (names.isEmpty()) {
        if (!q.exec(sql))
            throw statementError(q);
        return;
    }
    if (!prepared && !q.prepare(sql))
        throw statementError(q);
    for (const QString& name : names)
        q.bindValue(u':' + name, paramValue(params, name));
    if (!q.exec())
        throw statementError(q);
}

void readLocalTimeZoneOnce() {
    // Without TZ the C library takes /etc/localtime and looks at the file on every conversion;
    // naming the same file stops the looking (Qt reads the zone's name from the same file).
#if defined(Q_OS_UNIX)
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
#endif
}
