#pragma once

#include "ul/input_event.h"

#include <any>

class QMouseEvent;
class QKeyEvent;

namespace UL {

// The library's mouse info for a Qt mouse event of the given action (CMouseInfo::Action...).
CMouseInfo MouseInfoOf(const QMouseEvent& event, int action);
// The library's key code for a Qt key: the navigation and function keys get theirs, Return and
// the keypad's Enter both become Enter, every other key keeps Qt's code.
int KeyCodeOf(int qtKey);
CKeyEvent KeyEventOf(std::any source, const QKeyEvent& event, int action);

} // namespace UL
