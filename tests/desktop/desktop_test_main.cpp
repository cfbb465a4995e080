// Runs the desktop program's test class named by the first argument, or every class without
// one, in a QApplication on whatever platform QT_QPA_PLATFORM names (offscreen in CTest).

#include "tests/desktop/test_class_runner.h"

#include <QApplication>

std::unique_ptr<QObject> MakeMainWindowTest();
std::unique_ptr<QObject> MakeHighDpiTest();
std::unique_ptr<QObject> MakeEjectTest();
std::unique_ptr<QObject> MakeProgramProcessTest();

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The program's window closing must not end the tests' event loops.
    QApplication::setQuitOnLastWindowClosed(false);
    return RunTestClasses({{"MainWindowTest", MakeMainWindowTest},
                           {"ProgramProcessTest", MakeProgramProcessTest},
                           {"HighDpiTest", MakeHighDpiTest},
                           {"EjectTest", MakeEjectTest}},
                          argc, argv);
}
