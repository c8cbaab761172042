// wendal-icons OUTDIR SIZE...: the window's icon as OUTDIR/SIZExSIZE/apps/wendal.png for each
// size, in the layout of an icon theme. Run at build time on Qt's offscreen platform.
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

#include "app/icons.h"

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc < 3) {
        std::fputs("usage: wendal-icons OUTDIR SIZE...\n", stderr);
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 512) {
            std::fprintf(stderr, "wendal-icons: size %s is not from 16 to 512\n", argv[i]);
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(argv[1]).arg(size);
        const QString file = folder + QStringLiteral("/wendal.png");
        if (!QDir().mkpath(folder) || !ProgramIconPixmap("AppIcon", size).save(file, "PNG")) {
            std::fprintf(stderr, "wendal-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
