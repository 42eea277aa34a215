// orvane-write-icons FOLDER: writes the program icon into an icon theme folder, one PNG for
// each size (FOLDER/48x48/apps/orvane.png), so that the installed icon is the one the
// program draws for its windows.

#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>

#include "app/Icons.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvane-write-icons FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const int size : orvane::kProgramIconSizes) {
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (!QDir().mkpath(apps) || !orvane::ProgramIconImage(size).save(apps + "/orvane.png")) {
            std::fprintf(stderr, "Cannot create file %s/orvane.png\n", qUtf8Printable(apps));
            return 1;
        }
    }
    return 0;
}
