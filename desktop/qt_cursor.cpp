#include "desktop/qt_cursor.h"

#include "desktop/own_cursors.h"

#include <QGuiApplication>

#include <cassert>

namespace UL {

CCursor::~CCursor() {
    restoreWindowCursor();
}

QCursor CCursor::CursorOfKind(int kind) {
    assert(CursorKind::IsValid(kind));
    switch (kind) {
    case CursorKind::Arrow:
        return QCursor(Qt::ArrowCursor);
    case CursorKind::Wait:
        return QCursor(Qt::WaitCursor);
    case CursorKind::TextBeam:
        return QCursor(Qt::IBeamCursor);
    case CursorKind::Cross:
        return QCursor(Qt::CrossCursor);
    default:
        return ZQ3::Desktop::OwnCursor(kind);
    }
}

void CCursor::showKind(int kind) {
    const QCursor cursor = CursorOfKind(kind);
    // One override cursor of the application's stack belongs to this stack and is changed in
    // place, so that restoring it once gives every window its own cursor back.
    if (overriding_) {
        QGuiApplication::changeOverrideCursor(cursor);
    } else {
        QGuiApplication::setOverrideCursor(cursor);
        overriding_ = true;
    }
}

void CCursor::restoreWindowCursor() {
    if (overriding_) {
        QGuiApplication::restoreOverrideCursor();
        overriding_ = false;
    }
}

void InstallQtCursorStack() {
    InstallCursorStack(std::make_shared<CCursor>());
}

} // namespace UL
