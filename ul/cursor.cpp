#include "ul/cursor.h"

namespace UL {
namespace {

std::shared_ptr<ICursor>& CursorSlot() {
    static std::shared_ptr<ICursor> cursor;
    return cursor;
}

} // namespace

std::shared_ptr<ICursor> CursorStack() {
    auto& cursor = CursorSlot();
    if (!cursor) {
        cursor = std::make_shared<CSilentCursor>();
    }
    return cursor;
}

void InstallCursorStack(std::shared_ptr<ICursor> cursor) {
    CursorSlot() = std::move(cursor);
}

} // namespace UL
