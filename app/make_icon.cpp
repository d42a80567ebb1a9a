// quillmoor-make-icon FILE.png: the program picture (the window's icon) as
// a PNG file, for the desktop's icon theme. Run at build time.
#include <cstdio>

#include <QGuiApplication>

#include "monitor/icon_numbers.h"
#include "monitor/program_icons.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: quillmoor-make-icon FILE.png\n", stderr);
        return 2;
    }
    QGuiApplication application(argc, argv);
    const auto picture = qm::IconResourceImage(qm::kProgramIcon);
    return picture && picture->save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
