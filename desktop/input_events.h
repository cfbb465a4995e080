#pragma once

#include "ul/input_event.h"

#include <any>

class QMouseEvent;
class QKeyEvent;

namespace ZQ3::Desktop {

// The library's mouse info for a Qt mouse event of the given action (UL::CMouseInfo::Action...).
UL::CMouseInfo MouseInfoOf(const QMouseEvent& event, int action);
// The library's key code for a Qt key: the navigation and function keys get theirs, Return and
// the keypad's Enter both become Enter, every other key keeps Qt's code.
int KeyCodeOf(int qtKey);
UL::CKeyEvent KeyEventOf(std::any source, const QKeyEvent& event, int action);

} // namespace ZQ3::Desktop
