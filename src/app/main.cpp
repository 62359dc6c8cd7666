// The program "Табель": piece-work production accounting of the workshop.
#include "Program.h"
#include "Seams.h"

int main(int argc, char** argv) {
    TabelApplication app(argc, argv);
    loadTranslations(app);
    bool ended = false;
    int code = 0;
    seams::setEndHandler([&](int c) {
        if (ended)
            return;
        ended = true;
        code = c;
        // Leave every running event loop, the modal ones included.
        QCoreApplication::exit(c);
    });
    // The build texts are fixed when this file is compiled (it is compiled at every build).
    const bool started =
        startProgram(app.arguments().mid(1), QStringLiteral(__DATE__), QStringLiteral(__TIME__));
    if (started && !ended)
        code = app.exec();
    shutdownProgram();
    return code;
}
