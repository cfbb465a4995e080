#include "desktop/window_owner.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace ZQ3::Desktop {
namespace {

QPointer<QWidget>& MainWindowSlot() {
    static QPointer<QWidget> window;
    return window;
}

} // namespace

QWidget* FindOwnerWindow() {
    if (QWidget* active = QApplication::activeWindow()) {
        return active->window();
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isWindow() && widget->isVisible()) {
            return widget;
        }
    }
    return MainWindowSlot().data();
}

void SetMainWindow(QWidget* window) {
    MainWindowSlot() = window;
}

} // namespace ZQ3::Desktop
