// dendrova-picgen FOLDER [--preview PREVIEW-FOLDER]
// Draws the built-in pictures and the application icon into FOLDER; with --preview also
// writes PNG views of them as they appear in the program.

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

#include "Pictures.h"

int main(int argc, char** argv) {
    // Drawing needs fonts but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && !(args.size() == 4 && args[2] == "--preview")) {
        std::fprintf(stderr, "usage: dendrova-picgen FOLDER [--preview PREVIEW-FOLDER]\n");
        return EXIT_FAILURE;
    }
    Result<> written = picgen::WriteAllPictures(args[1]);
    if (written && args.size() == 4)
        written = picgen::WritePreviews(args[3]);
    if (!written) {
        std::fprintf(stderr, "dendrova-picgen: %s\n", written.Error().message.c_str());
        return written.Error().exitCode;
    }
    return EXIT_SUCCESS;
}
