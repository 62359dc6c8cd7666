#include "Program.h"

#include "Seams.h"
#include "Sql.h"
#include "Unit1.h"
#include "Unit23.h"
#include "Unit6.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

TabelApplication::TabelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("tabel"));
    setQuitOnLastWindowClosed(false);
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
    // The other windows, hidden, in their fixed order; each joins as it is built.
    return true;
}

void shutdownProgram() {
    delete Form23;
    delete Form1; // owns the data module
    Form23 = nullptr;
    Form1 = nullptr;
    DataModule6 = nullptr;
}
