#pragma once

#include "gt/event.h"

#include <any>

namespace UL {

// A mouse message as the user-interface library sees it, whatever the window system calls it.
struct CMouseInfo {
    static constexpr int ActionDown = 0;
    static constexpr int ActionUp = 1;
    static constexpr int ActionDoubleClick = 2;
    static constexpr int ActionMove = 3;

    static constexpr int ShiftHeld = 0x1;
    static constexpr int CtrlHeld = 0x2;
    // Set for the right button; clear for the left button and for moves.
    static constexpr int RightButton = 0x4;
    static constexpr int AltHeld = 0x8;

    int action = ActionMove;
    // Client coordinates of the window that raised the event.
    int x = 0;
    int y = 0;
    int buttons = 0;
};

class CMouseEvent : public GT::CEvent {
public:
    CMouseEvent(std::any source, const CMouseInfo& info) : CEvent(std::move(source)), info_(info) {}
    const CMouseInfo& getInfo() const { return info_; }

private:
    CMouseInfo info_;
};

// The key codes of the library: the navigation and function keys get codes of their own above
// 256, every other key keeps the code of its character (Space is 32).
namespace KeyCode {
constexpr int Space = 32;
constexpr int Up = 257;
constexpr int Down = 258;
constexpr int Left = 259;
constexpr int Right = 260;
constexpr int Home = 261;
constexpr int End = 262;
constexpr int PageUp = 263;
constexpr int PageDown = 264;
constexpr int Enter = 265;
constexpr int Escape = 266;
constexpr int Delete = 267;
constexpr int Tab = 268;
constexpr int F1 = 269;
constexpr int F12 = 280;
// Fn for n in 1 .. 12.
constexpr int FunctionKey(int n) {
    return F1 + n - 1;
}
} // namespace KeyCode

class CKeyEvent : public GT::CEvent {
public:
    static constexpr int ActionDown = 1;
    static constexpr int ActionUp = 2;

    static constexpr int ShiftHeld = 0x1;
    static constexpr int CtrlHeld = 0x2;

    CKeyEvent(std::any source, int action, int code, int modifiers)
        : CEvent(std::move(source)), action_(action), code_(code), modifiers_(modifiers) {}

    int getAction() const { return action_; }
    int getCode() const { return code_; }
    int getModifiers() const { return modifiers_; }

private:
    int action_;
    int code_;
    int modifiers_;
};

class IMouseEventListener : public virtual GT::IEventListener {
public:
    ~IMouseEventListener() override = default;
    virtual void onMouseEvent(const CMouseEvent& event) = 0;
};

class IKeyEventListener : public virtual GT::IEventListener {
public:
    ~IKeyEventListener() override = default;
    virtual void onKeyEvent(const CKeyEvent& event) = 0;
};

} // namespace UL
