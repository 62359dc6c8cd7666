// Connection settings: the built-in target, the administrator's and the user's settings files,
// the command line over both, the password left to the client library, and a failed connection
// explained with the server's own text.
#include "app/Program.h"
#include "data/Connection.h"
#include "data/Sql.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestConnectionSettings : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void settingsFromFiles_data();
    void settingsFromFiles();
    void wrongFileIsRefused_data();
    void wrongFileIsRefused();
    void passwordFromPasswordFile();
    void wrongPasswordShowsServerText();
    void databaseNameIsOneValue();
    void serverIsOneValue();

private:
    QString writeFile(const QString& name, const QString& text);
    QTemporaryDir m_dir;
};

void TestConnectionSettings::initTestCase() {
    QVERIFY(m_dir.isValid());
    // The user's settings file of this test program, away from other tests running beside it.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
}

QString TestConnectionSettings::writeFile(const QString& name, const QString& text) {
    const QString path = m_dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(text.toUtf8());
    return path;
}

void TestConnectionSettings::settingsFromFiles_data() {
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QStringList>("args");
    // database|server|port|user|password|sslmode|service|passfile
    QTest::addColumn<QString>("expected");
    QTest::newRow("no files, no arguments: the built-in target")
        << QString() << QString() << QStringList() << "kor_erp|localhost|5432|sys|wemblox|allow||";
    QTest::newRow("command line only") << QString() << QString() << QStringList{"shop", "/tmp/sock"}
                                       << "shop|/tmp/sock|5432|sys|wemblox|allow||";
    QTest::newRow("the machine's file: server and database keep the built-in role")
        << "[database]\nserver=db.example.local\ndatabase=erp\nport=6432\n"
        << QString() << QStringList() << "erp|db.example.local|6432|sys|wemblox|allow||";
    QTest::newRow("a user of its own: the password is the client library's")
        << "[database]\nserver=db\nuser=master\nsslmode=require\n"
        << QString() << QStringList() << "kor_erp|db|5432|master||require||";
    QTest::newRow("the user's file overrides the machine's, key by key")
        << "[database]\nserver=db\ndatabase=erp\n"
        << "[database]\ndatabase=erp_test\npassfile=/home/u/.pgpass\n"
        << QStringList() << "erp_test|db|5432|sys||allow||/home/u/.pgpass";
    QTest::newRow("the command line wins over both")
        << "[database]\nserver=db\ndatabase=erp\nservice=tabel\n"
        << QString() << QStringList{"other", "host2"} << "other|host2|5432|sys||allow|tabel|";
    QTest::newRow("a password written in the file is taken")
        << "[database]\nuser=master\npassword=secret\n"
        << QString() << QStringList() << "kor_erp|localhost|5432|master|secret|allow||";
    QTest::newRow("keys of other groups are not read")
        << "[other]\nserver=elsewhere\n"
        << QString() << QStringList() << "kor_erp|localhost|5432|sys|wemblox|allow||";
}

void TestConnectionSettings::settingsFromFiles() {
    QFETCH(QString, machine);
    QFETCH(QString, user);
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    QStringList files{m_dir.filePath("missing-machine.conf"), m_dir.filePath("missing-user.conf")};
    if (!machine.isEmpty())
        files[0] = writeFile("machine.conf", machine);
    if (!user.isEmpty())
        files[1] = writeFile("user.conf", user);
    const ConnectionSettings s = connectionSettings(args, files);
    const QString got =
        QStringList{s.database, s.server,  QString::number(s.port), s.user, s.password, s.sslMode,
                    s.service,  s.passFile}
            .join(u'|');
    QCOMPARE(got, expected);
}

void TestConnectionSettings::wrongFileIsRefused_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("named");
    QTest::newRow("port no number") << "[database]\nport=54x\n"
                                    << "port=54x";
    QTest::newRow("port out of range") << "[database]\nport=70000\n"
                                       << "port=70000";
    QTest::newRow("unknown ssl mode") << "[database]\nsslmode=maybe\n"
                                      << "sslmode=maybe";
    QTest::newRow("semicolon in a service") << "[database]\nservice=\"a;dbname=b\"\n"
                                            << "a;dbname=b";
}

void TestConnectionSettings::wrongFileIsRefused() {
    QFETCH(QString, text);
    QFETCH(QString, named);
    const QString path = writeFile("wrong.conf", text);
    try {
        connectionSettings({}, {path});
        QFAIL("a wrong settings file was taken");
    } catch (const DbError& e) {
        QVERIFY2(e.message.contains(path) && e.message.contains(named), qPrintable(e.message));
    }
    QVERIFY(settingsFileProblem(path).contains(named));
}

void TestConnectionSettings::passwordFromPasswordFile() {
    TestDatabase db;
    // No password in the settings: the client library finds it in the password file.
    const QString pgpass = writeFile("pgpass", QStringLiteral("*:*:*:sys:wemblox\n"));
    QFile::setPermissions(pgpass, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString conf =
        writeFile("pass.conf", QStringLiteral("[database]\nuser=sys\npassfile=%1\n").arg(pgpass));
    ConnectionSettings s = connectionSettings(db.commandLine(), {conf});
    QVERIFY(s.password.isEmpty());
    Connection c(QStringLiteral("settings-test"));
    c.setSettings(s);
    c.open();
    QVERIFY(c.isOpen());
    c.close();
}

void TestConnectionSettings::wrongPasswordShowsServerText() {
    TestDatabase db;
    MessageRecorder boxes;
    EndRecorder ends;
    QDir().mkpath(m_dir.filePath("config/tabel"));
    const QString userFile = m_dir.filePath("config/tabel/tabel.conf");
    writeFile("config/tabel/tabel.conf", QStringLiteral("[database]\nuser=sys\npassword=wrong\n"));
    {
        Program program(db.commandLine(), "Feb 27 2024", "15:11:03");
        QString err;
        const int started = runWithErrorsCaught([&] { return program.start() ? 1 : 0; }, &err);
        QCOMPARE(started, 0);
        QCOMPARE(boxes.shown.size(), 1);
        const QString text = boxes.shown[0].text;
        QVERIFY2(text.startsWith("Подключение к БД отсутсвует!!!\n\n"), qPrintable(text));
        QVERIFY2(text.contains("password authentication failed"), qPrintable(text));
        QVERIFY2(err.contains("password authentication failed"), qPrintable(err));
        QCOMPARE(ends.count, 1);
    }
    QFile::remove(userFile);
}

void TestConnectionSettings::databaseNameIsOneValue() {
    TestDatabase db;
    // A name with a semicolon is the name of a database, not a way to another one.
    ConnectionSettings s = connectionSettings({db.name() + QStringLiteral(";x"), db.host()}, {});
    Connection c(QStringLiteral("settings-name-test"));
    c.setSettings(s);
    try {
        c.open();
        QFAIL("connected to a database of another name");
    } catch (const DbError& e) {
        QVERIFY2(e.message.contains(db.name() + QStringLiteral(";x")), qPrintable(e.message));
    }
}

// A server with a semicolon and a database setting after it is that server (a socket folder that
// does not exist), not a way to the database it names.
void TestConnectionSettings::serverIsOneValue() {
    TestDatabase db;
    ConnectionSettings s = connectionSettings(
        {QStringLiteral("no_such_database"), db.host() + QStringLiteral(";DATABASE=") + db.name()}, {});
    QCOMPARE(s.server, db.host() + QStringLiteral(";DATABASE=") + db.name());
    Connection c(QStringLiteral("settings-server-test"));
    c.setSettings(s);
    QVERIFY_THROWS_EXCEPTION(DbError, c.open());
    QVERIFY(!c.isOpen());
}

int main(int argc, char** argv) {
    TabelApplication app(argc, argv);
    TestConnectionSettings t;
    return QTest::qExec(&t, argc, argv);
}

#include "test_connection_settings.moc"
