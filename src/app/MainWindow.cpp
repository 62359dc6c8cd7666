#include "app/MainWindow.h"

#include "app/BuildStamp.h"
#include "app/LoginDialog.h"
#include "data/Connection.h"
#include "data/Database.h"
#include "ui/Seams.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

MainWindow* g_mainWindow = nullptr;

MainWindow::MainWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Табель"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    g_mainWindowState = this;

    MainMenu = new QMenuBar(this);
    MainMenu->setObjectName(QStringLiteral("MainMenu"));
    N1 = addItem("N1", QStringLiteral("Рабочие"));
    N3 = addItem("N3", QStringLiteral("Изделия"));
    N4 = addItem("N4", QStringLiteral("Цены"));
    N6 = addItem("N6", QStringLiteral("Операции"));
    N8 = addItem("N8", QStringLiteral("Ном. группы"));
    N2 = addMenu("N2", QStringLiteral("Справочники"), {N1, N3, N4, N6, N8});
    N9 = addItem("N9", QStringLiteral("Табель сделка"));
    N13 = addItem("N13", QStringLiteral("Табель по сменам"));
    N14 = addItem("N14", QStringLiteral("Табель хоз. работ"));
    N15 = addItem("N15", QStringLiteral("Табель ср. сдельная"));
    N17 = addItem("N17", QStringLiteral("Общий табель"));
    N11 = addMenu("N11", QStringLiteral("Табель"), {N9, N13, N14, N15, N17});
    N10 = addItem("N10", QStringLiteral("Сводные отчеты"));
    N7 = addMenu("N7", QStringLiteral("Отчеты"), {N10});
    N5 = addItem("N5", QStringLiteral("Выход"));
    MainMenu->addAction(N5);
    // The import is offered only by a build that shows this item; this one never does.
    N12 = addItem("N12", QStringLiteral("Импорт"));
    N12->setVisible(false);
    MainMenu->addAction(N12);
    connect(N5, &QAction::triggered, this, &MainWindow::Button4Click);
    // Each menu item opens its window once the window is part of the program.
    connectOpener(N1, "WorkersDialog");
    connectOpener(N3, "ProductsDialog");
    connectOpener(N4, "OperationPricesDialog");
    connectOpener(N6, "OperationTypesDialog");
    connectOpener(N8, "NomenclatureGroupsDialog");
    connectOpener(N10, "ReportsDialog");

    // Journal controls: shift selectors, date, day off, grid and its buttons.
    RadioButton1 = new QRadioButton(QStringLiteral("Смена №1"), this);
    RadioButton2 = new QRadioButton(QStringLiteral("Смена №2"), this);
    RadioButton3 = new QRadioButton(QStringLiteral("Смена №3"), this);
    RadioButton4 = new QRadioButton(QStringLiteral("Переработка"), this);
    RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
    RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
    RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
    RadioButton4->setObjectName(QStringLiteral("RadioButton4"));
    RadioButton1->setChecked(true);
    DateT = new QDateEdit(this);
    DateT->setObjectName(QStringLiteral("DateT"));
    DateT->setCalendarPopup(true);
    DateT->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    DateT->setDate(seams::today());
    CBox1 = new QCheckBox(QStringLiteral("Выходной"), this);
    CBox1->setObjectName(QStringLiteral("CBox1"));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setVisible(false);
    DBGrid2 = new QTableView(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->verticalHeader()->setDefaultSectionSize(18);
    DBGrid2->verticalHeader()->setVisible(false);
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    Button1 = button("Button1", QStringLiteral("Добавить"));
    Button2 = button("Button2", QStringLiteral("Изменить"));
    Button3 = button("Button3", QStringLiteral("Удалить"));
    Button8 = button("Button8", QStringLiteral("Обновить"));
    Button5 = button("Button5", QStringLiteral("Ср.сд./хоз. работы"));
    Button4 = button("Button4", QStringLiteral("Выход"));
    connect(Button4, &QPushButton::clicked, this, &MainWindow::Button4Click);
    connectOpener(Button5, "Form25");

    auto* top = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(RadioButton1), static_cast<QWidget*>(RadioButton2),
                       static_cast<QWidget*>(RadioButton3), static_cast<QWidget*>(RadioButton4)})
        top->addWidget(w);
    top->addSpacing(20);
    top->addWidget(DateT);
    top->addWidget(CBox1);
    top->addStretch();
    top->addWidget(Label1);
    auto* bottom = new QHBoxLayout;
    for (QPushButton* b : {Button1, Button2, Button3, Button8})
        bottom->addWidget(b);
    bottom->addStretch();
    bottom->addWidget(Button5);
    bottom->addSpacing(20);
    bottom->addWidget(Button4);
    // The grid spans the whole width of the window, as the journal needs every pixel.
    top->setContentsMargins(8, 4, 8, 0);
    bottom->setContentsMargins(8, 0, 8, 6);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(MainMenu);
    layout->addLayout(top);
    layout->addWidget(DBGrid2, 1);
    layout->addLayout(bottom);
    // Client area 1281 × 585 under the menu.
    setFixedSize(1281, 585 + MainMenu->sizeHint().height());

    ver.setTableName(QStringLiteral("accounts_dep.ver"));
    ver.setKeyField(QString());

    // The version check repeats every 30 s from now on, whatever window is open.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(30000);
    connect(Timer1, &QTimer::timeout, this, &MainWindow::Timer1Timer);
    Timer1->start();
}

MainWindow::~MainWindow() {
    if (g_mainWindowState == this)
        g_mainWindowState = nullptr;
    if (g_mainWindow == this)
        g_mainWindow = nullptr;
}

QAction* MainWindow::addItem(const char* name, const QString& caption) {
    auto* a = new QAction(caption, this);
    a->setObjectName(QLatin1String(name));
    return a;
}

QAction* MainWindow::addMenu(const char* name, const QString& caption, const QList<QAction*>& items) {
    QMenu* menu = MainMenu->addMenu(caption);
    menu->setObjectName(QLatin1String(name) + QStringLiteral("Menu"));
    menu->addActions(items);
    QAction* a = menu->menuAction();
    a->setObjectName(QLatin1String(name));
    return a;
}

// Windows opened from the main menu offer the slot openFromMainMenu(), which does what the
// main window does around the call: mode, buttons, shared query, modal showing, closing.
static void openWindow(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name)) {
            QMetaObject::invokeMethod(w, "openFromMainMenu", Qt::DirectConnection);
            return;
        }
}

void MainWindow::connectOpener(QObject* sender, const char* window) {
    if (auto* a = qobject_cast<QAction*>(sender))
        connect(a, &QAction::triggered, this, [window] { openWindow(window); });
    else if (auto* b = qobject_cast<QPushButton*>(sender))
        connect(b, &QPushButton::clicked, this, [window] { openWindow(window); });
}

void MainWindow::FormCreate(const QStringList& args) {
    g_database = new Database(this);
    g_database->connection().close();
    g_database->connection().setConnectionString(buildConnectionString(args));
    g_database->connection().open();
    journal = new JournalController(*this,
                                    {{RadioButton1, RadioButton2, RadioButton3, RadioButton4},
                                     DateT,
                                     CBox1,
                                     DBGrid2,
                                     Button1,
                                     Button2,
                                     Button3,
                                     Button8},
                                    this);
    g_loginDialog = new LoginDialog;
    g_loginDialog->show();
}

void MainWindow::versionCheck() {
    buildDate = computeBuildDate(buildDateText);
    buildTime = computeBuildTime(buildTimeText);
    ver.close();
    ver.open();
    ver.first();
    g_database->decimalSeparator = ver.fieldByName(QStringLiteral("delim")).asString();
    int d = ver.fieldByName(QStringLiteral("d")).asInteger();
    int t = ver.fieldByName(QStringLiteral("t")).asInteger();
    if (d < buildDate || (d == buildDate && t < buildTime)) {
        // The database carries an older stamp: this program is the newest one.
        if (ver.isEmpty())
            ver.append();
        else
            ver.edit();
        ver.setValue(QStringLiteral("d"), buildDate);
        ver.setValue(QStringLiteral("t"), buildTime);
        ver.post();
    }
    d = ver.fieldByName(QStringLiteral("d")).asInteger();
    t = ver.fieldByName(QStringLiteral("t")).asInteger();
    ver.close();
    if (buildDate < d || (buildDate == d && buildTime < t)) {
        // A newer program has run against this database: refuse and end, at the latest
        // when the login dialog's timer fires.
        if (g_loginDialog)
            g_loginDialog->Timer1->start();
        seams::errorBox(
            QStringLiteral("Версия программы не соответсвует БД! Запустите программу через 5 мин."));
        seams::endProgram(0);
    }
}

void MainWindow::Timer1Timer() {
    versionCheck();
}

void MainWindow::Button4Click() {
    close();
}

bool MainWindow::event(QEvent* e) {
    // Every return to the main window shows the journal of the computer's date again.
    if (e->type() == QEvent::WindowActivate && journal)
        journal->FormActivate();
    return QDialog::event(e);
}

void MainWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Where the desktop does not activate a new window by itself, the journal is read once
    // the window is on screen.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !isActiveWindow() && journal)
            journal->FormActivate();
    });
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
    // Esc presses "Выход".
    if (e->key() == Qt::Key_Escape) {
        Button4->click();
        return;
    }
    QDialog::keyPressEvent(e);
}
