#pragma once

#include "tests/desktop/test_class_runner.h"

std::unique_ptr<QObject> MakeProfileTest();
std::unique_ptr<QObject> MakeProgressTest();
std::unique_ptr<QObject> MakeTextDialogTest();
std::unique_ptr<QObject> MakeCursorTest();
std::unique_ptr<QObject> MakeOpenDialogTest();
std::unique_ptr<QObject> MakeSaveDialogTest();
std::unique_ptr<QObject> MakeManualLayoutTest();

// Every test class by the name CTest runs it under.
inline TestClassList UiTestClasses() {
    return {{"ProfileTest", MakeProfileTest},          {"ProgressTest", MakeProgressTest},
            {"TextDialogTest", MakeTextDialogTest},    {"CursorTest", MakeCursorTest},
            {"OpenDialogTest", MakeOpenDialogTest},    {"SaveDialogTest", MakeSaveDialogTest},
            {"ManualLayoutTest", MakeManualLayoutTest}};
}
