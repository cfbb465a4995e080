#pragma once

#include <QCursor>

namespace ZQ3::Desktop {

// The program's own cursors, kinds 4 to 13, drawn here in code: an arrow with a pad, with a plus,
// with a minus and with a play mark; a no-drop sign; horizontal, vertical and four-way arrows; a
// magnifier; and a target. Any other kind gives the arrow.
QCursor OwnCursor(int kind);

} // namespace ZQ3::Desktop
