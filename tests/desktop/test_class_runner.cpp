#include "tests/desktop/test_class_runner.h"

#include <QTest>

#include <cstring>

int RunTestClasses(const TestClassList& classes, int argc, char** argv) {
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
