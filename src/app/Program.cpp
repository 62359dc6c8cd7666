#include "Program.h"

#include "Seams.h"
#include "Sql.h"
#include "Unit1.h"
#include "Unit23.h"
#include "Unit6.h"
#include "Windows.h"

#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

TabelApplication::TabelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("tabel"));
    setQuitOnLastWindowClosed(false);
    // The windows are laid out for Tahoma 8 pt; where it is missing, a condensed face of
    // similar width keeps the columns' texts whole.
    if (!QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans Condensed"));
}

void showException(const QString& text) {
    seams::showMessage({QStringLiteral("Табель"), text, QMessageBox::Critical, QMessageBox::Ok});
}

bool TabelApplication::notify(QObject* receiver, QEvent* e) {
    try {
        return QApplication::notify(receiver, e);
    } catch (const DbError& err) {
        showException(err.message);
    } catch (const std::exception& err) {
        showException(QString::fromUtf8(err.what()));
    } catch (...) {
        showException(QStringLiteral("Неизвестная ошибка"));
    }
    return false;
}

void loadTranslations(QApplication& app) {
    auto* qt = new QTranslator(&app);
    if (qt->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(qt);
}

// Every window exists once from start-up to the end, created hidden in this order. A window
// joins the list as soon as its unit is part of the program.
#define TABEL_WINDOWS(X)                                                                                     \
    X(2)                                                                                                     \
    X(3)                                                                                                     \
    X(4)                                                                                                     \
    X(5)                                                                                                     \
    X(7) X(8) X(9) X(10) X(11) X(18) X(19) X(21) X(15) X(16) X(17) X(20) X(22) X(24) X(25) X(26) X(27) X(29)

static void createWindows() {
#define CREATE(N) TABEL_CREATE_##N
    TABEL_WINDOWS(CREATE)
#undef CREATE
}

static void deleteWindows() {
#define DELETE(N) TABEL_DELETE_##N
    TABEL_WINDOWS(DELETE)
#undef DELETE
}

bool startProgram(const QStringList& args, const QString& buildDateText, const QString& buildTimeText) {
    Form1 = new TForm1;
    Form1->buildDateText = buildDateText;
    Form1->buildTimeText = buildTimeText;
    try {
        Form1->FormCreate(args);
    } catch (const std::exception&) {
        seams::errorBox(QStringLiteral("Подключение к БД отсутсвует!!!"), QStringLiteral("Ошибка!"));
        seams::endProgram(1);
        return false;
    }
    createWindows();
    return true;
}

void shutdownProgram() {
    deleteWindows();
    delete Form23;
    delete Form1; // owns the data module
    Form23 = nullptr;
    Form1 = nullptr;
    DataModule6 = nullptr;
}
