// The program's connection: the connection string and the QPSQL connection made from it.
#include "data/Connection.h"

#include "data/Sql.h"

#include <QSqlError>
#include <cstdio>

QString positionalArgumentsProblem(const QStringList& positionalArgs) {
    if (positionalArgs.size() > 2)
        return QStringLiteral("лишние параметры: %1").arg(positionalArgs.mid(2).join(u' '));
    if (positionalArgs.size() == 2 && positionalArgs.at(0).trimmed().isEmpty())
        return QStringLiteral("пустое имя базы данных");
    return {};
}

void printError(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

QString buildConnectionString(const QStringList& positionalArgs) {
    QString database = kDefaultDatabase;
    QString server = kDefaultServer;
    if (positionalArgs.size() >= 2 && !positionalArgs.at(1).isEmpty()) {
        database = positionalArgs.at(0);
        server = positionalArgs.at(1);
    }
    return QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=") + database + QStringLiteral(";SERVER=") +
           server + QStringLiteral(";PORT=5432;UID=sys;PWD=") + QStringLiteral("wemblox") +
           QStringLiteral(";SSLmode=allow;") +
           QStringLiteral("ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;"
                          "ShowSystemTables=0;Fetch=100;UnknownSizes=0;MaxVarcharSize=255;"
                          "MaxLongVarcharSize=8190;") +
           QStringLiteral("Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;"
                          "BoolsAsChar=1;Parse=0;ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;") +
           QStringLiteral("TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;"
                          "LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1");
}

ConnectionSettings parseConnectionString(const QString& connectionString) {
    ConnectionSettings s;
    const QStringList parts = connectionString.split(u';');
    for (const QString& part : parts) {
        const qsizetype eq = part.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = part.left(eq).trimmed().toUpper();
        const QString value = part.mid(eq + 1);
        if (key == u"DATABASE")
            s.database = value;
        else if (key == u"SERVER")
            s.server = value;
        else if (key == u"PORT")
            s.port = value.toInt();
        else if (key == u"UID")
            s.user = value;
        else if (key == u"PWD")
            s.password = value;
        else if (key == u"SSLMODE")
            s.sslMode = value;
    }
    return s;
}

Connection::Connection(const QString& name) : m_name(name) {}

Connection::~Connection() {
    close();
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

void Connection::open() {
    close();
    const ConnectionSettings s = parseConnectionString(m_connectionString);
    // Without a name the client library would pick a database named after the user.
    if (s.database.trimmed().isEmpty())
        throw DbError(QStringLiteral("Не указано имя базы данных"));
    QSqlDatabase db = QSqlDatabase::contains(m_name)
                          ? QSqlDatabase::database(m_name, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
    if (!db.isValid())
        throw DbError(QStringLiteral("Драйвер PostgreSQL (QPSQL) не найден"));
    db.setDatabaseName(s.database);
    db.setHostName(s.server);
    db.setPort(s.port);
    db.setUserName(s.user);
    db.setPassword(s.password);
    // The statements write dates as day.month.year texts: the session must read them day first.
    // Backslashes in string literals are plain characters whatever the server's default is.
    QString options =
        QStringLiteral("options='-c DateStyle=ISO,DMY -c standard_conforming_strings=on';connect_timeout=10");
    if (!s.sslMode.isEmpty())
        options += QStringLiteral(";sslmode=") + s.sslMode;
    db.setConnectOptions(options);
    if (!db.open())
        throw DbError(db.lastError().text().trimmed());
    noteNewSession(m_name);
}

void Connection::close() {
    if (QSqlDatabase::contains(m_name)) {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen())
            db.close();
    }
    noteClosed(m_name);
}

bool Connection::isOpen() const {
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase Connection::database() const {
    return QSqlDatabase::database(m_name, false);
}

bool openCompanion(const QString& mainName, const QString& companionName) {
    const QSqlDatabase main = QSqlDatabase::database(mainName, false);
    if (!main.isOpen())
        return false;
    if (QSqlDatabase::contains(companionName)) {
        {
            QSqlDatabase c = QSqlDatabase::database(companionName, false);
            if (c.isOpen() && c.databaseName() == main.databaseName() && c.hostName() == main.hostName() &&
                c.port() == main.port() && c.userName() == main.userName() &&
                c.password() == main.password() && c.connectOptions() == main.connectOptions())
                return true;
            c.close();
        }
        QSqlDatabase::removeDatabase(companionName);
    }
    QSqlDatabase c = QSqlDatabase::cloneDatabase(main, companionName);
    if (!c.open())
        return false;
    noteNewSession(companionName);
    return true;
}
