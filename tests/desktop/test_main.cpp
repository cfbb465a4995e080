// Runs the test class named by the first argument, or every class without one, in a
// QApplication on whatever platform QT_QPA_PLATFORM names (offscreen in CTest).

#include "tests/desktop/test_class_runner.h"
#include "tests/desktop/test_classes.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return RunTestClasses(UiTestClasses(), argc, argv);
}
