// zq3-converter: the desktop program.

#include "desktop/application.h"
#include "desktop/ini_profile.h"
#include "desktop/version.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

void PrintHelp() {
    std::printf("Usage: zq3-converter [--help | --version] [Qt options]\n"
                "\n"
                "The ZQ-314 Wave Converter: puts WAV and AIFF files onto the pads of a ZQ-314\n"
                "memory card and takes them off again. Choose the folder the card is mounted on\n"
                "in the window; the program opens the card and bank used last.\n"
                "\n"
                "Only one copy runs per user; starting another brings the first to the front.\n"
                "For scripts and batch work use zq3 (zq3 --help).\n"
                "\n"
                "  --help     show this text and exit\n"
                "  --version  show the version and exit\n");
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zq3-converter %s\n", ZQ3::Desktop::FileVersionText().c_str());
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            PrintHelp();
            return 0;
        }
    }
    QApplication qtApplication(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(ZQ3::Desktop::CIniProfile::Application));
    QApplication::setOrganizationName(QString::fromUtf8(ZQ3::Desktop::CIniProfile::Organisation));
    ZQ3::Desktop::CIniProfile profile;
    int exitCode = 0;
    {
        CApplication application(profile);
        switch (application.startUp()) {
        case CApplication::StartUp::SecondInstance:
            return 0;
        case CApplication::StartUp::Failed:
            return 1;
        case CApplication::StartUp::Running:
            break;
        }
        ExitOnTerminationSignals(application);
        exitCode = QApplication::exec();
        application.shutDown();
    }
    profile.flush();
    return exitCode;
}
