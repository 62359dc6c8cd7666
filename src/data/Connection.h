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
// What is wrong with the positional parameters of a command-line mode (more than the database
// and the server, or an empty database name); empty when they are fine.
QString positionalArgumentsProblem(const QStringList& positionalArgs);
// Writes a line of a command-line mode to standard error at once.
void printError(const QString& text);

// The settings of a connection string that the PostgreSQL client needs.
struct ConnectionSettings {
    QString database;
    QString server;
    int port = 5432;
    QString user;
    QString password;
    QString sslMode;
};

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

    void setConnectionString(const QString& s) { m_connectionString = s; }
    QString connectionString() const { return m_connectionString; }
    // Opens the connection; throws DbError with the client's text when it fails.
    void open();
    void close();
    bool isOpen() const;
    QSqlDatabase database() const;
    QString name() const { return m_name; }

private:
    QString m_name;
    QString m_connectionString;
};

// Opens a second session on the database of the open connection mainName, under companionName,
// for statements that stream for a while without holding up the program's other statements. An
// open companion is kept; it is opened anew when the main connection now points elsewhere.
// Returns false when it cannot be opened.
bool openCompanion(const QString& mainName, const QString& companionName);
