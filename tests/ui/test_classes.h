#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

std::unique_ptr<QObject> MakeProfileTest();
std::unique_ptr<QObject> MakeProgressTest();
std::unique_ptr<QObject> MakeTextDialogTest();
std::unique_ptr<QObject> MakeCursorTest();
std::unique_ptr<QObject> MakeOpenDialogTest();
std::unique_ptr<QObject> MakeSaveDialogTest();

// Every test class by the name CTest runs it under.
inline std::vector<std::pair<const char*, std::function<std::unique_ptr<QObject>()>>>
UiTestClasses() {
    return {{"ProfileTest", MakeProfileTest},       {"ProgressTest", MakeProgressTest},
            {"TextDialogTest", MakeTextDialogTest}, {"CursorTest", MakeCursorTest},
            {"OpenDialogTest", MakeOpenDialogTest}, {"SaveDialogTest", MakeSaveDialogTest}};
}
