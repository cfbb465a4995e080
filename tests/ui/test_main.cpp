// Runs the test class named by the first argument, or every class without one, in a
// QApplication on whatever platform QT_QPA_PLATFORM names (offscreen in CTest).

#include "tests/ui/test_classes.h"
#include "ui/cursor.h"

#include <QApplication>
#include <QTest>

#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const auto classes = UiTestClasses();
    const char* chosen = argc > 1 ? argv[1] : nullptr;
    int failures = 0;
    int run = 0;
    for (const auto& [name, make] : classes) {
        if (chosen && std::strcmp(chosen, name) != 0) {
            continue;
        }
        std::unique_ptr<QObject> tests = make();
        // QTest reads its own options after the class name.
        failures += QTest::qExec(tests.get(), chosen ? argc - 1 : 1, chosen ? argv + 1 : argv);
        ++run;
    }
    return run == 0 ? 2 : failures;
}
