#include "ul/cursor.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace UL {
namespace {

TEST(CursorStack, NewestEntryDecidesAndTheLastOneGivesTheWindowItsCursorBack) {
    CSilentCursor cursor;

    const int wait = cursor.push(CursorKind::Wait, nullptr);
    const int cross = cursor.push(CursorKind::Cross, nullptr);
    EXPECT_EQ(cursor.shownKind(), CursorKind::Cross);
    EXPECT_EQ(cursor.topKind(), CursorKind::Cross);

    cursor.pop(cross);
    EXPECT_EQ(cursor.shownKind(), CursorKind::Wait);
    EXPECT_EQ(cursor.restoreCount(), 0);

    cursor.pop(wait);
    EXPECT_EQ(cursor.topKind(), -1);
    EXPECT_EQ(cursor.restoreCount(), 1);
}

TEST(CursorStack, PoppingAnOlderEntryKeepsTheNewestShown) {
    CSilentCursor cursor;
    const int older = cursor.push(CursorKind::Wait, nullptr);
    cursor.push(CursorKind::TextBeam, nullptr);

    cursor.pop(older);
    EXPECT_EQ(cursor.topKind(), CursorKind::TextBeam);
    EXPECT_EQ(cursor.shownKind(), CursorKind::TextBeam);
    EXPECT_EQ(cursor.depth(), 1u);

    // Keys are not reused, so popping the old key again changes nothing.
    cursor.pop(older);
    EXPECT_EQ(cursor.depth(), 1u);
}

TEST(CursorStack, UnknownKindPushesNothing) {
    CSilentCursor cursor;
    EXPECT_EQ(cursor.push(CursorKind::LastOwn + 1, nullptr), -1);
    EXPECT_EQ(cursor.push(-1, nullptr), -1);
    EXPECT_EQ(cursor.depth(), 0u);
    EXPECT_EQ(cursor.showCount(), 0);
    EXPECT_GE(cursor.push(CursorKind::LastOwn, nullptr), 0);
}

TEST(WaitCursor, LastsExactlyAsLongAsTheObject) {
    auto cursor = std::make_shared<CSilentCursor>();
    InstallCursorStack(cursor);
    {
        CWaitCursor outer;
        EXPECT_EQ(cursor->topKind(), CursorKind::Wait);
        std::optional<CWaitCursor> inner(std::in_place);
        EXPECT_EQ(cursor->depth(), 2u);
        inner.reset();
        EXPECT_EQ(cursor->depth(), 1u);
        EXPECT_EQ(cursor->restoreCount(), 0);
    }
    EXPECT_EQ(cursor->depth(), 0u);
    EXPECT_EQ(cursor->restoreCount(), 1);
    InstallCursorStack(nullptr);
    // Without an installed stack the first use makes a silent one.
    EXPECT_NE(CursorStack(), nullptr);
}

} // namespace
} // namespace UL
