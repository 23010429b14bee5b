// Writes the program's icon as PNG files in the layout of the desktop's icon theme, rendered from
// the window's own drawing, so the desktop shows the same pump as the window and the tray.
//   autoquorvan_icons OUTPUT_FOLDER
// gives OUTPUT_FOLDER/<n>x<n>/apps/autoquorvan.png for each size desktops ask for.

#include "app/artwork.h"

#include <QDir>
#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const int size : { 16, 32, 48, 64, 128, 256 }) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        const QString file = folder + QStringLiteral("/autoquorvan.png");
        if (!QDir().mkpath(folder) || !Artwork::fuelPump(size).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
