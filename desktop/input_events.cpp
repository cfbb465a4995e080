#include "desktop/input_events.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace ZQ3::Desktop {

UL::CMouseInfo MouseInfoOf(const QMouseEvent& event, int action) {
    UL::CMouseInfo info;
    info.action = action;
    const QPoint at = event.position().toPoint();
    info.x = at.x();
    info.y = at.y();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers & Qt::ShiftModifier) {
        info.buttons |= UL::CMouseInfo::ShiftHeld;
    }
    if (modifiers & Qt::ControlModifier) {
        info.buttons |= UL::CMouseInfo::CtrlHeld;
    }
    if (modifiers & Qt::AltModifier) {
        info.buttons |= UL::CMouseInfo::AltHeld;
    }
    // Any button other than the left one counts as the right button: only the left one selects
    // and plays.
    if (action != UL::CMouseInfo::ActionMove && event.button() != Qt::LeftButton) {
        info.buttons |= UL::CMouseInfo::RightButton;
    }
    return info;
}

int KeyCodeOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Up:
        return UL::KeyCode::Up;
    case Qt::Key_Down:
        return UL::KeyCode::Down;
    case Qt::Key_Left:
        return UL::KeyCode::Left;
    case Qt::Key_Right:
        return UL::KeyCode::Right;
    case Qt::Key_Home:
        return UL::KeyCode::Home;
    case Qt::Key_End:
        return UL::KeyCode::End;
    case Qt::Key_PageUp:
        return UL::KeyCode::PageUp;
    case Qt::Key_PageDown:
        return UL::KeyCode::PageDown;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return UL::KeyCode::Enter;
    case Qt::Key_Escape:
        return UL::KeyCode::Escape;
    case Qt::Key_Delete:
        return UL::KeyCode::Delete;
    case Qt::Key_Tab:
        return UL::KeyCode::Tab;
    default:
        break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) {
        return UL::KeyCode::FunctionKey(qtKey - Qt::Key_F1 + 1);
    }
    return qtKey;
}

UL::CKeyEvent KeyEventOf(std::any source, const QKeyEvent& event, int action) {
    int modifiers = 0;
    if (event.modifiers() & Qt::ShiftModifier) {
        modifiers |= UL::CKeyEvent::ShiftHeld;
    }
    if (event.modifiers() & Qt::ControlModifier) {
        modifiers |= UL::CKeyEvent::CtrlHeld;
    }
    return UL::CKeyEvent(std::move(source), action, KeyCodeOf(event.key()), modifiers);
}

} // namespace ZQ3::Desktop
