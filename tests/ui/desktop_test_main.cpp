// Runs the desktop program's test class named by the first argument, or every class without
// one, in a QApplication on whatever platform QT_QPA_PLATFORM names (offscreen in CTest).

#include <QApplication>
#include <QTest>

#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

std::unique_ptr<QObject> MakeMainWindowTest();
std::unique_ptr<QObject> MakeProgramProcessTest();

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The program's window closing must not end the tests' event loops.
    QApplication::setQuitOnLastWindowClosed(false);
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QObject>()>>> classes = {
        {"MainWindowTest", MakeMainWindowTest}, {"ProgramProcessTest", MakeProgramProcessTest}};
    const char* chosen = argc > 1 ? argv[1] : nullptr;
    int failures = 0;
    int run = 0;
    for (const auto& [name, make] : classes) {
        if (chosen && std::strcmp(chosen, name) != 0) {
            continue;
        }
        std::unique_ptr<QObject> tests = make();
        failures += QTest::qExec(tests.get(), chosen ? argc - 1 : 1, chosen ? argv + 1 : argv);
        ++run;
    }
    return run == 0 ? 2 : failures;
}
