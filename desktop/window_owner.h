#pragma once

class QWidget;

namespace ZQ3::Desktop {

// The window a dialog of the program belongs to: the active window, else the first visible
// top-level window, else the program's main window; null when there is none.
QWidget* FindOwnerWindow();

// The program's main window, the owner of last resort; may be null.
void SetMainWindow(QWidget* window);

} // namespace ZQ3::Desktop
