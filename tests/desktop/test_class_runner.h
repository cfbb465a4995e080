#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// Test classes by the name CTest runs each under, with what makes one.
using TestClassList =
    std::vector<std::pair<const char*, std::function<std::unique_ptr<QObject>()>>>;

// Runs the class named by the first argument, or every class without one; QTest reads its own
// options after the class name. Gives the number of failures, or 2 when no class has that name.
int RunTestClasses(const TestClassList& classes, int argc, char** argv);
