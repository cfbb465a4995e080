#pragma once

#include "ul/cursor.h"

#include <QCursor>

namespace UL {

// The cursor stack over the application's override cursor: while the stack has entries its top
// kind shows over every window of the program; when the last entry goes, each window shows its
// own cursor again.
class CCursor : public ACursor {
public:
    ~CCursor() override;

    // The cursor of kind: the system's arrow, wait, text beam and cross for 0 to 3, and the
    // program's own cursors for 4 to 13. kind must be valid.
    static QCursor CursorOfKind(int kind);

protected:
    void showKind(int kind) override;
    void restoreWindowCursor() override;

private:
    bool overriding_ = false;
};

// Installs a CCursor as the program's cursor stack.
void InstallQtCursorStack();

} // namespace UL
