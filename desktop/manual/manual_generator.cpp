// Lays out a manual kept as HTML in the repository as a PDF file; the build runs it for the
// English and the Japanese manual, with the pictures of the program the build made in the
// manual's language.
//
//   zq3_manual_generator SOURCE.html PICTURE_FOLDER OUTPUT.pdf

#include "desktop/manual/manual_layout.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>

namespace {

int Fail(const char* program, const QString& what) {
    std::fprintf(stderr, "%s: %s\n", program, what.toLocal8Bit().constData());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // The build runs without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE.html PICTURE_FOLDER OUTPUT.pdf\n", argv[0]);
        return 2;
    }
    const QString sourcePath = QString::fromLocal8Bit(argv[1]);
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly)) {
        return Fail(argv[0], "cannot read " + sourcePath + ": " + source.errorString());
    }
    const ZQ3::Manual::LaidOutManual manual = ZQ3::Manual::WriteManualPdf(
        QString::fromUtf8(source.readAll()), QString::fromLocal8Bit(argv[2]),
        QString::fromLocal8Bit(argv[3]));
    if (!manual.problem.isEmpty()) {
        return Fail(argv[0], manual.problem);
    }
    return 0;
}
