// The program's connection: the connection string and the QPSQL connection made from it.
#include "data/Connection.h"

#include "data/Sql.h"

#include <QFileInfo>
#include <QSettings>
#include <QSqlError>
#include <QStandardPaths>

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

ConnectionSettings builtInSettings() {
    return parseConnectionString(buildConnectionString({}));
}

QStringList settingsFiles() {
    return {QStringLiteral("/etc/tabel/tabel.conf"),
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                QStringLiteral("/tabel/tabel.conf")};
}

namespace {

const QStringList kSslModes = {QStringLiteral("disable"),   QStringLiteral("allow"),
                               QStringLiteral("prefer"),    QStringLiteral("require"),
                               QStringLiteral("verify-ca"), QStringLiteral("verify-full")};

// Reads the keys a settings file sets into s; returns what is wrong with the file, empty when
// nothing is.
QString readSettingsFile(const QString& path, ConnectionSettings& s, bool& dropsPassword) {
    if (!QFileInfo(path).isFile())
        return {};
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return QStringLiteral("%1: файл настроек не читается").arg(path);
    file.beginGroup(QStringLiteral("database"));
    const auto text = [&](const char* key, QString& into) {
        if (file.contains(QLatin1String(key)))
            into = file.value(QLatin1String(key)).toString().trimmed();
    };
    text("server", s.server);
    text("database", s.database);
    text("user", s.user);
    text("password", s.password);
    text("sslmode", s.sslMode);
    text("service", s.service);
    text("passfile", s.passFile);
    if (file.contains(QStringLiteral("port"))) {
        bool ok = false;
        const int port = file.value(QStringLiteral("port")).toString().trimmed().toInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return QStringLiteral("%1: port=%2 — не номер порта")
                .arg(path, file.value(QStringLiteral("port")).toString());
        s.port = port;
    }
    if (!s.sslMode.isEmpty() && !kSslModes.contains(s.sslMode))
        return QStringLiteral("%1: sslmode=%2 — допустимы %3")
            .arg(path, s.sslMode, kSslModes.join(QStringLiteral(", ")));
    // The service and the password file travel in the client library's option text, where a
    // semicolon would end the value.
    for (const QString* value : {&s.service, &s.passFile})
        if (value->contains(u';'))
            return QStringLiteral("%1: значение «%2» не может содержать «;»").arg(path, *value);
    if (file.contains(QStringLiteral("user")) || file.contains(QStringLiteral("service")) ||
        file.contains(QStringLiteral("passfile")))
        dropsPassword = !file.contains(QStringLiteral("password"));
    return {};
}

// A value in the client library's option text: quoted, with its quotes and backslashes escaped.
QString optionValue(const QString& value) {
    QString v = value;
    v.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + v + u'\'';
}

} // namespace

QString settingsFileProblem(const QString& path) {
    ConnectionSettings s;
    bool dropsPassword = false;
    return readSettingsFile(path, s, dropsPassword);
}

ConnectionSettings connectionSettings(const QStringList& positionalArgs, const QStringList& files) {
    ConnectionSettings s = builtInSettings();
    for (const QString& path : files) {
        bool dropsPassword = false;
        const QString problem = readSettingsFile(path, s, dropsPassword);
        if (!problem.isEmpty())
            throw DbError(problem);
        if (dropsPassword)
            s.password.clear();
    }
    if (positionalArgs.size() >= 2 && !positionalArgs.at(1).isEmpty()) {
        s.database = positionalArgs.at(0);
        s.server = positionalArgs.at(1);
    }
    return s;
}

Connection::Connection(const QString& name) : m_name(name) {}

void Connection::setConnectionString(const QString& s) {
    m_connectionString = s;
    m_settings = parseConnectionString(s);
}

void Connection::setSettings(const ConnectionSettings& settings) {
    m_settings = settings;
    m_connectionString.clear();
}

Connection::~Connection() {
    close();
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

void Connection::open() {
    close();
    const ConnectionSettings& s = m_settings;
    // Without a name the client library would pick a database named after the user (a service
    // may name it).
    if (s.database.trimmed().isEmpty() && s.service.isEmpty())
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
    // The server names the program in its list of sessions and in the change log.
    QString options =
        QStringLiteral("options='-c DateStyle=ISO,DMY -c standard_conforming_strings=on';connect_timeout=10;"
                       "application_name=tabel");
    if (!s.sslMode.isEmpty())
        options += QStringLiteral(";sslmode=") + s.sslMode;
    if (!s.service.isEmpty())
        options += QStringLiteral(";service=") + optionValue(s.service);
    if (!s.passFile.isEmpty())
        options += QStringLiteral(";passfile=") + optionValue(s.passFile);
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

void closeCompanion(const QString& companionName) {
    if (!QSqlDatabase::contains(companionName))
        return;
    {
        QSqlDatabase c = QSqlDatabase::database(companionName, false);
        c.close();
    }
    QSqlDatabase::removeDatabase(companionName);
}
