#include "app/pad.h"

#include "card/card_layout.h"

namespace ZQ3 {
namespace {

// A pad never holds an empty listener: until the application connects its own, these do nothing.
class CNullSelectionEventListener : public APad::ISelectionEventListener {
public:
    void selectPad(APad&) override {}
};
class CNullEditEventListener : public APad::IEditEventListener {
public:
    void editPad(APad&) override {}
};
class CNullFocusEventListener : public APad::IFocusEventListener {
public:
    void focusPad(APad&, int) override {}
};
class CNullExecuteEventListener : public APad::IExecuteEventListener {
public:
    void playPad(APad&) override {}
};

} // namespace

APad::APad(int padIndex)
    : index(padIndex), selectionListener(std::make_shared<CNullSelectionEventListener>()),
      editListener(std::make_shared<CNullEditEventListener>()),
      focusListener(std::make_shared<CNullFocusEventListener>()),
      executeListener(std::make_shared<CNullExecuteEventListener>()) {}

APad::~APad() = default;

int APad::look() const {
    if (!enabled) {
        return LookDark;
    }
    return (hasSample ? LookLit : LookDark) + (selected ? LookSelected : LookDark);
}

CPadRect APad::rect() const {
    const int width = bitmap ? bitmap->cellWidth : 0;
    const int height = bitmap ? bitmap->cellHeight : 0;
    return {x, y, x + width, y + height};
}

void APad::onMouseEvent(const UL::CMouseEvent& event) {
    const UL::CMouseInfo& info = event.getInfo();
    if (!enabled || (info.buttons & UL::CMouseInfo::RightButton) != 0 ||
        !rect().contains(info.x, info.y)) {
        return;
    }
    switch (info.action) {
    case UL::CMouseInfo::ActionDown:
        selectionListener->selectPad(*this);
        focusListener->focusPad(*this, FocusByMouse);
        invalidate();
        break;
    case UL::CMouseInfo::ActionUp:
        invalidate();
        break;
    case UL::CMouseInfo::ActionDoubleClick:
        selectionListener->selectPad(*this);
        focusListener->focusPad(*this, FocusByMouse);
        executeListener->playPad(*this);
        invalidate();
        break;
    default:
        break;
    }
}

void APad::onKeyEvent(const UL::CKeyEvent& event) {
    // The keyboard acts on the selected pad of an open bank only, and only as the key goes down,
    // so that one key press is one action.
    if (!enabled || !selected || event.getAction() != UL::CKeyEvent::ActionDown) {
        return;
    }
    switch (event.getCode()) {
    case UL::KeyCode::Space:
    case UL::KeyCode::Enter:
        editListener->editPad(*this);
        break;
    case UL::KeyCode::Up:
        focusListener->focusPad(*this, FocusUp);
        break;
    case UL::KeyCode::Down:
        focusListener->focusPad(*this, FocusDown);
        break;
    case UL::KeyCode::Left:
        focusListener->focusPad(*this, FocusLeft);
        break;
    case UL::KeyCode::Right:
        focusListener->focusPad(*this, FocusRight);
        break;
    case UL::KeyCode::Home:
        focusListener->focusPad(*this, FocusFirst);
        break;
    case UL::KeyCode::End:
        focusListener->focusPad(*this, FocusLast);
        break;
    default:
        break;
    }
}

void APad::invalidate() {
    if (containerView) {
        containerView->invalidateRect(rect(), false);
    }
}

void APad::draw(UL::ADrawInfo& drawInfo) {
    if (bitmap) {
        bitmap->drawCell(drawInfo, x, y, look() * CardLayout::PadsPerBank + index);
    }
}

} // namespace ZQ3
