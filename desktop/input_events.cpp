#include "desktop/input_events.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace UL {

CMouseInfo MouseInfoOf(const QMouseEvent& event, int action) {
    CMouseInfo info;
    info.action = action;
    const QPoint at = event.position().toPoint();
    info.x = at.x();
    info.y = at.y();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers & Qt::ShiftModifier) {
        info.buttons |= CMouseInfo::ShiftHeld;
    }
    if (modifiers & Qt::ControlModifier) {
        info.buttons |= CMouseInfo::CtrlHeld;
    }
    if (modifiers & Qt::AltModifier) {
        info.buttons |= CMouseInfo::AltHeld;
    }
    // Any button other than the left one counts as the right button: only the left one selects
    // and plays.
    if (action != CMouseInfo::ActionMove && event.button() != Qt::LeftButton) {
        info.buttons |= CMouseInfo::RightButton;
    }
    return info;
}

int KeyCodeOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Up:
        return KeyCode::Up;
    case Qt::Key_Down:
        return KeyCode::Down;
    case Qt::Key_Left:
        return KeyCode::Left;
    case Qt::Key_Right:
        return KeyCode::Right;
    case Qt::Key_Home:
        return KeyCode::Home;
    case Qt::Key_End:
        return KeyCode::End;
    case Qt::Key_PageUp:
        return KeyCode::PageUp;
    case Qt::Key_PageDown:
        return KeyCode::PageDown;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCode::Enter;
    case Qt::Key_Escape:
        return KeyCode::Escape;
    case Qt::Key_Delete:
        return KeyCode::Delete;
    case Qt::Key_Tab:
        return KeyCode::Tab;
    default:
        break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
        return KeyCode::FunctionKey(qtKey - Qt::Key_F1 + 1);
    }
    return qtKey;
}

CKeyEvent KeyEventOf(std::any source, const QKeyEvent& event, int action) {
    int modifiers = 0;
    if (event.modifiers() & Qt::ShiftModifier) {
        modifiers |= CKeyEvent::ShiftHeld;
    }
    if (event.modifiers() & Qt::ControlModifier) {
        modifiers |= CKeyEvent::CtrlHeld;
    }
    return CKeyEvent(std::move(source), action, KeyCodeOf(event.key()), modifiers);
}

} // namespace UL
