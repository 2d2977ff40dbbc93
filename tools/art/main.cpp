// kelani-art: paints every picture of the game at build time.
//   kelani-art <program folder> <pictures folder>
// writes game.gfx, steine.gfx, mulden.gfx, hands.gfx and holz.gfx, and their @2x siblings for
// high-density screens (game@2x.gfx, ...), into the program folder and the pictures compiled into
// the program as PNG files into the pictures folder.
#include "tools/art/Board.h"
#include "tools/art/Containers.h"
#include "tools/art/Pictures.h"

#include <QFont>
#include <QGuiApplication>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kelani-art <program folder> <pictures folder>\n");
        return 2;
    }
    // Text is painted off screen; no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"));
    try {
        const std::filesystem::path programDir(argv[1]), picturesDir(argv[2]);
        std::filesystem::create_directories(programDir);
        std::filesystem::create_directories(picturesDir);
        for (int scale : {1, 2}) {
            const QImage board = kelani::art::PaintBoard(scale);
            for (const kelani::art::TContainer& c : kelani::art::BuildContainers(board, scale))
                kelani::art::WriteContainer(c, programDir);
            if (scale == 1) kelani::art::WriteCompiledPictures(picturesDir, board);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kelani-art: %s\n", e.what());
        return 1;
    }
    return 0;
}
