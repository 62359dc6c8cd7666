// Large windows: resizable, within the screen they open on, and opened again as the user left
// them.
#include "ui/WindowGeometry.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

class TestWindowGeometry : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void windowFitsTheScreen_data();
    void windowFitsTheScreen();
    void sizeAndPlaceAreRemembered();

private:
    QTemporaryDir m_config;
};

void TestWindowGeometry::initTestCase() {
    QVERIFY(m_config.isValid());
    // The remembered sizes of this test program, away from the user's and other tests'.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
}

void TestWindowGeometry::windowFitsTheScreen_data() {
    QTest::addColumn<QSize>("defaultSize");
    QTest::newRow("wider and higher than the screen") << QSize(2400, 1600);
    QTest::newRow("wider only") << QSize(2400, 200);
    QTest::newRow("fits as it is") << QSize(300, 200);
}

void TestWindowGeometry::windowFitsTheScreen() {
    QFETCH(QSize, defaultSize);
    QDialog window;
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QWidget(&window), 1);
    rememberGeometry(&window,
                     QStringLiteral("fit-%1").arg(defaultSize.width() * 10000 + defaultSize.height()),
                     defaultSize);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect area = window.screen()->availableGeometry();
    QVERIFY2(area.contains(window.frameGeometry()), qPrintable(QStringLiteral("%1x%2+%3+%4 outside %5x%6")
                                                                   .arg(window.frameGeometry().width())
                                                                   .arg(window.frameGeometry().height())
                                                                   .arg(window.frameGeometry().x())
                                                                   .arg(window.frameGeometry().y())
                                                                   .arg(area.width())
                                                                   .arg(area.height())));
    if (defaultSize.width() <= area.width() && defaultSize.height() <= area.height())
        QCOMPARE(window.size(), defaultSize);
    // Resizable: the user can make it smaller and larger again.
    window.resize(250, 150);
    QCOMPARE(window.size(), QSize(250, 150));
}

void TestWindowGeometry::sizeAndPlaceAreRemembered() {
    {
        QDialog first;
        rememberGeometry(&first, QStringLiteral("remembered"), QSize(500, 400));
        first.show();
        QVERIFY(QTest::qWaitForWindowExposed(&first));
        first.resize(420, 310);
        first.move(40, 30);
        first.hide();
    }
    // The next run of the program builds the window anew.
    QDialog second;
    rememberGeometry(&second, QStringLiteral("remembered"), QSize(500, 400));
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    QCOMPARE(second.size(), QSize(420, 310));
    QCOMPARE(second.pos(), QPoint(40, 30));
}

QTEST_MAIN(TestWindowGeometry)
#include "test_window_geometry.moc"
