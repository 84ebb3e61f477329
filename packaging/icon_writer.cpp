// Writes the program icon, drawn by code, as PNG files for the desktop's icon theme:
//
//   telvarion-icon-writer FOLDER SIZE...
//
// makes FOLDER/<SIZE>x<SIZE>/apps/telvarion.png for every size. Runs during the build, without a
// display.

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include "shell/icons.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: telvarion-icon-writer FOLDER SIZE...\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "telvarion-icon-writer: %s is not an icon size\n", argv[i]);
            return 2;
        }
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = root.filePath(folder + QStringLiteral("/telvarion.png"));
        const QPixmap icon = DrawIcon(IconId::Program, size);
        if (!root.mkpath(folder) || icon.isNull() || icon.width() != size || !icon.save(path, "PNG")) {
            std::fprintf(stderr, "telvarion-icon-writer: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
