// The pad block: where each pad sits, which cell it draws, and which mouse and key events reach
// the listeners.

#include "app/pad_listeners.h"
#include "app/pad_matrix.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace ZQ3 {
namespace {

// A strip of cells of a fixed size that records what is drawn.
class CRecordingBitmap : public UL::AStateBitmap {
public:
    struct Drawn {
        int x;
        int y;
        int cell;
    };
    CRecordingBitmap(int cells, int width, int height) : AStateBitmap("test", cells, false, false) {
        computeCellSize({width, height * cells});
    }
    bool load(const std::string&) override { return true; }
    void unload() override {}
    UL::CSize getSize() const override { return {cellWidth, cellHeight * cellCount}; }
    void drawCell(UL::ADrawInfo&, int x, int y, int cellIndex) override {
        drawn.push_back({x, y, cellIndex});
    }
    std::vector<Drawn> drawn;
};

class CRecordingListeners : public APad::ISelectionEventListener,
                            public APad::IExecuteEventListener,
                            public APad::IFocusEventListener,
                            public APad::IEditEventListener {
public:
    void selectPad(APad& pad) override { selected.push_back(pad.index); }
    void playPad(APad& pad) override { played.push_back(pad.index); }
    void focusPad(APad& pad, int direction) override { focused.push_back({pad.index, direction}); }
    void editPad(APad& pad) override { edited.push_back(pad.index); }
    std::vector<int> selected;
    std::vector<int> played;
    std::vector<std::pair<int, int>> focused;
    std::vector<int> edited;
};

class CCountingContainer : public IPadContainerView {
public:
    void invalidateRect(const CPadRect&, bool erase) override {
        ++invalidated;
        erased = erased || erase;
    }
    int invalidated = 0;
    bool erased = false;
};

class PadMatrixTest : public ::testing::Test {
protected:
    static constexpr int CellWidth = 64;
    static constexpr int CellHeight = 48;

    void SetUp() override {
        background = std::make_shared<CRecordingBitmap>(1, 296, 232);
        padBitmap = std::make_shared<CRecordingBitmap>(64, CellWidth, CellHeight);
        matrix = std::make_unique<CPadMatrix>(background, padBitmap);
        listeners = std::make_shared<CRecordingListeners>();
        matrix->initialize(&container, 40, 64, std::make_shared<CPadFactory>(), listeners, nullptr,
                           nullptr, listeners);
        matrix->setAllEnabled(true);
    }

    APad& pad(int index) { return *matrix->getPads()[static_cast<std::size_t>(index)]; }

    void mouse(int action, int x, int y, int buttons = 0) {
        UL::CMouseInfo info;
        info.action = action;
        info.x = x;
        info.y = y;
        info.buttons = buttons;
        matrix->onMouseEvent(UL::CMouseEvent(this, info));
    }
    void key(int code) {
        matrix->onKeyEvent(UL::CKeyEvent(this, UL::CKeyEvent::ActionDown, code, 0));
    }

    CCountingContainer container;
    std::shared_ptr<CRecordingBitmap> background;
    std::shared_ptr<CRecordingBitmap> padBitmap;
    std::unique_ptr<CPadMatrix> matrix;
    std::shared_ptr<CRecordingListeners> listeners;
};

TEST_F(PadMatrixTest, PadZeroSitsBottomLeftAndPadTwelveTopLeftLikeTheSamplersBlock) {
    ASSERT_EQ(matrix->getPads().size(), 16u);
    int lowest = pad(0).y;
    int highest = pad(0).y;
    int leftmost = pad(0).x;
    for (const auto& each : matrix->getPads()) {
        lowest = std::max(lowest, each->y);
        highest = std::min(highest, each->y);
        leftmost = std::min(leftmost, each->x);
        EXPECT_EQ(each->rect().right - each->rect().left, CellWidth);
        EXPECT_EQ(each->rect().bottom - each->rect().top, CellHeight);
    }
    EXPECT_EQ(pad(0).y, lowest);
    EXPECT_EQ(pad(0).x, leftmost);
    EXPECT_EQ(pad(12).y, highest);
    EXPECT_EQ(pad(12).x, leftmost);
    EXPECT_EQ(pad(15).y, highest);
    EXPECT_GT(pad(15).x, pad(14).x);
    // Margin inside the background, gaps between the pads.
    EXPECT_EQ(pad(12).x - matrix->originX, matrix->marginX);
    EXPECT_EQ(pad(12).y - matrix->originY, matrix->marginY);
    EXPECT_EQ(pad(1).x - pad(0).rect().right, matrix->gapX);
    EXPECT_EQ(pad(0).y - pad(4).rect().bottom, matrix->gapY);
    // Everything lies on the background.
    const CPadRect area = matrix->backgroundRect();
    EXPECT_EQ(pad(15).rect().right + matrix->marginX, area.right);
    EXPECT_EQ(pad(0).rect().bottom + matrix->marginY, area.bottom);
}

TEST_F(PadMatrixTest, DrawsTheBackgroundFirstThenEachPadInItsLook) {
    pad(3).hasSample = true;
    pad(5).selected = true;
    pad(7).hasSample = true;
    pad(7).selected = true;
    pad(9).hasSample = true;
    pad(9).enabled = false;
    struct : UL::ADrawInfo {
    } info;
    matrix->draw(info);
    ASSERT_EQ(background->drawn.size(), 1u);
    EXPECT_EQ(background->drawn[0].x, matrix->originX);
    EXPECT_EQ(background->drawn[0].y, matrix->originY);
    ASSERT_EQ(padBitmap->drawn.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        const auto& drawn = padBitmap->drawn[static_cast<std::size_t>(i)];
        EXPECT_EQ(drawn.x, pad(i).x);
        EXPECT_EQ(drawn.y, pad(i).y);
    }
    EXPECT_EQ(padBitmap->drawn[0].cell, 0 * 16 + 0);
    EXPECT_EQ(padBitmap->drawn[3].cell, APad::LookLit * 16 + 3);
    EXPECT_EQ(padBitmap->drawn[5].cell, APad::LookSelected * 16 + 5);
    EXPECT_EQ(padBitmap->drawn[7].cell, APad::LookLitSelected * 16 + 7);
    // A disabled pad is dark whatever it holds.
    EXPECT_EQ(padBitmap->drawn[9].cell, APad::LookDark * 16 + 9);
}

TEST_F(PadMatrixTest, ClicksInGapsOnEdgesWithTheRightButtonOrOnDisabledPadsDoNothing) {
    const CPadRect first = pad(0).rect();
    const CPadRect second = pad(1).rect();
    // The gap between pads 0 and 1, and the right and bottom edges that belong to no pad.
    mouse(UL::CMouseInfo::ActionDown, (first.right + second.left) / 2, first.top + 5);
    mouse(UL::CMouseInfo::ActionDown, first.right, first.top + 5);
    mouse(UL::CMouseInfo::ActionDown, first.left + 5, first.bottom);
    mouse(UL::CMouseInfo::ActionDown, first.left + 5, first.top + 5, UL::CMouseInfo::RightButton);
    mouse(UL::CMouseInfo::ActionDoubleClick, first.left + 5, first.top + 5,
          UL::CMouseInfo::RightButton);
    mouse(UL::CMouseInfo::ActionMove, first.left + 5, first.top + 5);
    matrix->setAllEnabled(false);
    mouse(UL::CMouseInfo::ActionDown, first.left + 5, first.top + 5);
    mouse(UL::CMouseInfo::ActionDoubleClick, first.left + 5, first.top + 5);
    EXPECT_TRUE(listeners->selected.empty());
    EXPECT_TRUE(listeners->played.empty());

    matrix->setAllEnabled(true);
    // The top-left corner belongs to the pad.
    mouse(UL::CMouseInfo::ActionDown, first.left, first.top);
    EXPECT_EQ(listeners->selected, std::vector<int>{0});
}

TEST_F(PadMatrixTest, DoubleClickSelectsThenPlaysAndRepaintsWithoutErasing) {
    const CPadRect target = pad(6).rect();
    mouse(UL::CMouseInfo::ActionDoubleClick, target.left + 1, target.top + 1,
          UL::CMouseInfo::ShiftHeld);
    EXPECT_EQ(listeners->selected, std::vector<int>{6});
    EXPECT_EQ(listeners->played, std::vector<int>{6});
    EXPECT_GT(container.invalidated, 0);
    EXPECT_FALSE(container.erased);
}

TEST_F(PadMatrixTest, SelectMarksExactlyOnePadByRowFromTheTop) {
    matrix->select(0, 0);
    for (const auto& each : matrix->getPads()) {
        EXPECT_EQ(each->selected, each->index == 12) << each->index;
    }
    matrix->select(3, 3);
    for (const auto& each : matrix->getPads()) {
        EXPECT_EQ(each->selected, each->index == 3) << each->index;
    }
    matrix->clearSelection();
    for (const auto& each : matrix->getPads()) {
        EXPECT_FALSE(each->selected);
    }
}

TEST_F(PadMatrixTest, KeysReachOnlyTheSelectedPadOnce) {
    // Without a selection no pad acts on a key.
    key(UL::KeyCode::Space);
    key(UL::KeyCode::Right);
    EXPECT_TRUE(listeners->edited.empty());

    // A focus listener that moves the selection the way the program's does.
    auto selection = std::make_shared<CRecordingListeners>();
    struct CMovingSelection : APad::ISelectionEventListener {
        CPadMatrix* matrix = nullptr;
        std::vector<int> selected;
        void selectPad(APad& chosen) override {
            selected.push_back(chosen.index);
            for (const auto& each : matrix->getPads()) {
                each->selected = each.get() == &chosen;
            }
        }
    };
    auto moving = std::make_shared<CMovingSelection>();
    moving->matrix = matrix.get();
    auto arrows = std::make_shared<CPadArrowFocusEventListener>(moving, 4, 16);
    matrix->initialize(&container, 40, 64, std::make_shared<CPadFactory>(), moving, listeners,
                       arrows, listeners);
    arrows->setPads(&matrix->getPads());
    matrix->setAllEnabled(true);
    pad(5).selected = true;

    key(UL::KeyCode::Right);
    // One press moves one pad, although the pad it moved to hears the matrix's keys too.
    EXPECT_EQ(moving->selected, std::vector<int>{6});
    key(UL::KeyCode::Up);
    EXPECT_EQ(moving->selected.back(), 10);
    key(UL::KeyCode::Down);
    key(UL::KeyCode::Down);
    EXPECT_EQ(moving->selected.back(), 2);
    // At the bottom edge the selection stays.
    key(UL::KeyCode::Down);
    EXPECT_EQ(moving->selected.size(), 4u);
    key(UL::KeyCode::Enter);
    key(UL::KeyCode::Space);
    EXPECT_EQ(listeners->edited, (std::vector<int>{2, 2}));
    key(UL::KeyCode::End);
    EXPECT_EQ(moving->selected.back(), 15);
    key(UL::KeyCode::Home);
    EXPECT_EQ(moving->selected.back(), 0);
    // A key going up does nothing.
    matrix->onKeyEvent(UL::CKeyEvent(this, UL::CKeyEvent::ActionUp, UL::KeyCode::Space, 0));
    EXPECT_EQ(listeners->edited.size(), 2u);
}

TEST(PadArrowNeighbourTest, StaysInsideTheFourByFourBlock) {
    constexpr int Columns = 4;
    constexpr int Pads = 16;
    for (int index = 0; index < Pads; ++index) {
        for (int direction = APad::FocusLeft; direction <= APad::FocusDown; ++direction) {
            const int to = CPadArrowFocusEventListener::Neighbour(index, direction, Columns, Pads);
            ASSERT_GE(to, 0);
            ASSERT_LT(to, Pads);
            // A move never wraps into another row sideways.
            if (direction == APad::FocusLeft || direction == APad::FocusRight) {
                EXPECT_EQ(to / Columns, index / Columns) << index << " " << direction;
            } else {
                EXPECT_EQ(to % Columns, index % Columns) << index << " " << direction;
            }
        }
    }
    EXPECT_EQ(CPadArrowFocusEventListener::Neighbour(3, APad::FocusRight, Columns, Pads), 3);
    EXPECT_EQ(CPadArrowFocusEventListener::Neighbour(12, APad::FocusUp, Columns, Pads), 12);
    // Home and End: the first and the last pad, from anywhere.
    EXPECT_EQ(CPadArrowFocusEventListener::Neighbour(9, APad::FocusFirst, Columns, Pads), 0);
    EXPECT_EQ(CPadArrowFocusEventListener::Neighbour(9, APad::FocusLast, Columns, Pads), 15);
}

} // namespace
} // namespace ZQ3
