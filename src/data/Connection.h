// The program's one database connection: the connection string built from the command line,
// and the QPSQL connection that honours its settings.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Server used when the command line names none.
inline const QString kDefaultServer = QStringLiteral("localhost");
inline const QString kDefaultDatabase = QStringLiteral("kor_erp");

// Builds the ODBC-style connection string from the positional command-line parameters
// (parameter 1 the database, parameter 2 the server; both are used only when the server
// is given and not empty).
QString buildConnectionString(const QStringList& positionalArgs);
// The settings of a connection string that the PostgreSQL client needs.
struct ConnectionSettings {
    QString database;
    QString server;
    int port = 5432;
    QString user;
    QString password;
    QString sslMode;
    // A service of the client library's service file (pg_service.conf) that supplies the
    // settings not given here, and the password file the client library reads the password from
    // (its own default is ~/.pgpass or PGPASSFILE). Empty when not set.
    QString service;
    QString passFile;
};

// The built-in target: the database kor_erp on this computer, as the role sys with the
// program's own password.
ConnectionSettings builtInSettings();

// The settings files, in the order they are read: the administrator's for the whole computer
// (/etc/tabel/tabel.conf), then the user's own (tabel/tabel.conf in the user's configuration
// folder), which overrides it key by key.
QStringList settingsFiles();

// What is wrong with a settings file (an unknown SSL mode, a port that is no number, a value the
// client library cannot take); empty when it is fine or missing.
QString settingsFileProblem(const QString& path);

// The settings the program connects with: the built-in target, then each settings file's keys
// of the group [database] (server, port, database, user, password, sslmode, service, passfile),
// then the command line (parameter 1 the database, parameter 2 the server, both used only when
// the server is given). A file that names a user, a service or a password file drops the
// program's built-in password, so that the client library finds the password itself (the
// password file, the service); the password is never needed in the file. Throws DbError naming
// the file and the key when a file is wrong.
ConnectionSettings connectionSettings(const QStringList& positionalArgs,
                                      const QStringList& files = settingsFiles());

// Reads DATABASE, SERVER, PORT, UID, PWD and SSLmode from a connection string (keys are
// matched without regard to case; the rest are driver settings that PostgreSQL needs not).
ConnectionSettings parseConnectionString(const QString& connectionString);

// The connection object of the data module.
class Connection {
public:
    explicit Connection(const QString& name);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The settings are taken from the connection string's keys.
    void setConnectionString(const QString& s);
    QString connectionString() const { return m_connectionString; }
    // The settings, each passed to the client library as a value of its own, never re-read from
    // one text.
    void setSettings(const ConnectionSettings& settings);
    ConnectionSettings settings() const { return m_settings; }
    // Opens the connection; throws DbError with the client's text when it fails.
    void open();
    void close();
    bool isOpen() const;
    QSqlDatabase database() const;
    QString name() const { return m_name; }

private:
    QString m_name;
    QString m_connectionString;
    ConnectionSettings m_settings;
};

// Opens a second session on the database of the open connection mainName, under companionName,
// for statements that stream for a while without holding up the program's other statements. An
// open companion is kept; it is opened anew when the main connection now points elsewhere.
// Returns false when it cannot be opened.
bool openCompanion(const QString& mainName, const QString& companionName);
// Ends the session of a companion opened by openCompanion, so that the workstation holds its one
// session again. Whatever reads on it must be gone already.
void closeCompanion(const QString& companionName);
