// Shared test fixtures: seam recorders, fresh databases cloned from the template, clicks.
#include "support/TestSupport.h"

#include <QDialog>
#include <QTest>

MessageRecorder::MessageRecorder() {
    seams::setMessageHandler([this](const seams::Message& m) {
        shown.append(m);
        if (!answers.isEmpty())
            return answers.takeFirst();
        if (m.buttons.testFlag(QMessageBox::Yes))
            return QMessageBox::Yes;
        return QMessageBox::Ok;
    });
}

MessageRecorder::~MessageRecorder() {
    seams::setMessageHandler({});
}

QStringList MessageRecorder::texts() const {
    QStringList out;
    for (const auto& m : shown)
        out << m.text;
    return out;
}

void ModalScript::install() {
    seams::setModalHandler([this](QDialog* w) {
        shown << w->objectName();
        if (onScreen) {
            w->show();
            w->activateWindow();
            if (!QTest::qWaitForWindowActive(w))
                qWarning("%s did not become the active window", qPrintable(w->objectName()));
        }
        if (auto action = actions.value(w->objectName()))
            action();
        if (onScreen)
            w->hide();
        return w->result();
    });
}

EndRecorder::EndRecorder() {
    seams::setEndHandler([this](int code) {
        ++count;
        lastCode = code;
    });
}

EndRecorder::~EndRecorder() {
    seams::setEndHandler({});
}

FixedClock::FixedClock(const QDateTime& at) : current(at) {
    seams::setClock([this] { return current; });
}

FixedClock::~FixedClock() {
    seams::setClock({});
}

#include "data/Connection.h"
#include "data/Database.h"
#include "data/Sql.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <cstdio>
#include <unistd.h>

namespace {

// Reads the KEY='value' lines the cluster script writes.
QHash<QString, QString> clusterInfo() {
    QHash<QString, QString> info;
    const QString path = qEnvironmentVariable("TABEL_PG_INFO");
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("test cluster info %s not found: run the tests through ctest", qPrintable(path));
    const QRegularExpression re(QStringLiteral("^(\\w+)='?([^']*)'?$"));
    for (const QByteArray& line : f.readAll().split('\n')) {
        const auto m = re.match(QString::fromUtf8(line).trimmed());
        if (m.hasMatch())
            info.insert(m.captured(1), m.captured(2));
    }
    return info;
}

int counter = 0;

void adminExec(const QString& host, const QString& password, const QString& sql) {
    const QString conn = QStringLiteral("test_admin");
    {
        QSqlDatabase db = QSqlDatabase::contains(conn)
                              ? QSqlDatabase::database(conn, false)
                              : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), conn);
        db.setHostName(host);
        db.setDatabaseName(QStringLiteral("postgres"));
        db.setUserName(QStringLiteral("postgres"));
        db.setPassword(password);
        if (!db.isOpen() && !db.open())
            qFatal("cannot reach the test cluster: %s", qPrintable(db.lastError().text()));
        QSqlQuery q(db);
        if (!q.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
}

} // namespace

TestDatabase::TestDatabase(const QString& fixedName) {
    const auto info = clusterInfo();
    sockDir = info.value(QStringLiteral("PGC_HOST"));
    superPassword = info.value(QStringLiteral("PGC_SUPERPASSWORD"));
    dbName = fixedName.isEmpty()
                 ? QStringLiteral("t_%1_%2").arg(QCoreApplication::applicationPid()).arg(++counter)
                 : fixedName;
    if (!fixedName.isEmpty())
        adminExec(sockDir, superPassword,
                  QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(dbName));
    adminExec(sockDir, superPassword,
              QStringLiteral("CREATE DATABASE %1 TEMPLATE tabel_template").arg(dbName));
    fixtureConn = QStringLiteral("fixture_") + dbName;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), fixtureConn);
    db.setHostName(sockDir);
    db.setDatabaseName(dbName);
    // Fixtures set up rows, triggers and server settings the program's role may not touch: they
    // run as the cluster's superuser, while the program itself connects as sys.
    db.setUserName(QStringLiteral("postgres"));
    db.setPassword(superPassword);
    db.setConnectOptions(QStringLiteral("options='-c DateStyle=ISO,DMY'"));
    if (!db.open())
        qFatal("cannot open the test database: %s", qPrintable(db.lastError().text()));
}

TestDatabase::~TestDatabase() {
    delete module;
    QSqlDatabase::database(fixtureConn, false).close();
    QSqlDatabase::removeDatabase(fixtureConn);
    adminExec(sockDir, superPassword, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(dbName));
}

Database* TestDatabase::openDatabase() {
    delete module;
    module = new Database;
    module->connection().setConnectionString(buildConnectionString(commandLine()));
    module->connection().open();
    return module;
}

void TestDatabase::exec(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(fixtureConn, false));
    if (!q.exec(sql))
        QFAIL(qPrintable(sql + QStringLiteral(": ") + q.lastError().text()));
}

QVariant TestDatabase::scalar(const QString& sql) {
    QSqlQuery q(QSqlDatabase::database(fixtureConn, false));
    if (!q.exec(sql) || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return {};
    }
    return q.value(0);
}

SqlRecorder::SqlRecorder() {
    sqltrace::setHook([this](const QString& s) { statements << s; });
}

SqlRecorder::~SqlRecorder() {
    sqltrace::setHook({});
}

void clickOn(QWidget* widget, QPoint at) {
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

int runWithErrorsCaught(const std::function<int()>& run, QString* err) {
    QTemporaryFile file;
    if (!file.open())
        return -100;
    std::fflush(stderr);
    const int saved = dup(2);
    dup2(file.handle(), 2);
    const int rc = run();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    file.seek(0);
    *err = QString::fromLocal8Bit(file.readAll());
    return rc;
}
