// Main window "Табель": the journal of the day, the main menu, the exit and maintenance-work
// buttons, and the timer that repeats the version check.
#pragma once

#include "data/Dataset.h"
#include "data/MainMembers.h"
#include "journal/JournalController.h"

#include <QDialog>

class QAction;
class QCheckBox;
class QDateEdit;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;

class MainWindow : public QDialog, public MainWindowState {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Creates the data module, connects it as the command line says and creates the login
    // dialog. Throws when the connection or the dialog cannot be made.
    void FormCreate(const QStringList& args);

    // Computes the build stamp, compares it with the database's and hands the database's
    // decimal separator to the data module; an outdated program is refused and ends.
    void versionCheck();

    // Build texts in the compiler's form ("Dec  9 2026", "22:22:09").
    QString buildDateText;
    QString buildTimeText;

    QMenuBar* MainMenu;
    QAction *N2, *N1, *N3, *N4, *N6, *N8;
    QAction *N11, *N9, *N13, *N14, *N15, *N17;
    QAction *N7, *N10;
    QAction* N5;
    QAction* N12;
    QRadioButton *RadioButton1, *RadioButton2, *RadioButton3, *RadioButton4;
    QLabel* Label1;
    QTableView* DBGrid2;
    QPushButton *Button1, *Button2, *Button3, *Button8;
    QPushButton* Button5;
    QPushButton* Button4;
    QTimer* Timer1;

    EditTable ver;
    JournalController* journal = nullptr;

public slots:
    void Button4Click();
    void Timer1Timer();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void connectOpener(QObject* sender, const char* window);
    QAction* addMenu(const char* name, const QString& caption, const QList<QAction*>& items);
    QAction* addItem(const char* name, const QString& caption);
};

extern MainWindow* g_mainWindow;
