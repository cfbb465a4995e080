#pragma once

#include "ul/input_event.h"
#include "ul/state_bitmap.h"

#include <memory>

namespace ZQ3 {

// A rectangle in the view's client coordinates; right and bottom lie just outside it.
struct CPadRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Whom a pad asks to repaint it: the view that shows the pads.
class IPadContainerView {
public:
    virtual ~IPadContainerView() = default;
    virtual void invalidateRect(const CPadRect& rectangle, bool erase) = 0;
};

// One pad of the matrix: draws itself in one of four looks, hit-tests the mouse, and tells its
// listeners what the user did with it.
class APad : public UL::IMouseEventListener, public UL::IKeyEventListener {
public:
    // The looks, in the order of the pad bitmap's cell groups.
    static constexpr int LookDark = 0;
    static constexpr int LookLit = 1;
    static constexpr int LookSelected = 2;
    static constexpr int LookLitSelected = 3;
    static constexpr int LookCount = 4;

    // Directions of a focus move.
    static constexpr int FocusByMouse = 0;
    static constexpr int FocusLeft = 1;
    static constexpr int FocusRight = 2;
    static constexpr int FocusUp = 3;
    static constexpr int FocusDown = 4;
    // Home and End: the first and the last pad of the bank.
    static constexpr int FocusFirst = 5;
    static constexpr int FocusLast = 6;

    class ISelectionEventListener {
    public:
        virtual ~ISelectionEventListener() = default;
        virtual void selectPad(APad& pad) = 0;
    };
    class IEditEventListener {
    public:
        virtual ~IEditEventListener() = default;
        virtual void editPad(APad& pad) = 0;
    };
    class IFocusEventListener {
    public:
        virtual ~IFocusEventListener() = default;
        virtual void focusPad(APad& pad, int direction) = 0;
    };
    class IExecuteEventListener {
    public:
        virtual ~IExecuteEventListener() = default;
        virtual void playPad(APad& pad) = 0;
    };

    explicit APad(int index);
    ~APad() override;

    void onMouseEvent(const UL::CMouseEvent& event) override;
    void onKeyEvent(const UL::CKeyEvent& event) override;
    // Asks the container to repaint the pad's rectangle without erasing it.
    virtual void invalidate();
    // Draws the pad's cell of the pad bitmap in its current look.
    virtual void draw(UL::ADrawInfo& drawInfo);

    // 0 dark while disabled; otherwise lit for a sample plus selected.
    int look() const;
    // The pad's rectangle: its corner and the cell size of the pad bitmap.
    CPadRect rect() const;

    int index;
    IPadContainerView* containerView = nullptr;
    int x = 0;
    int y = 0;
    bool enabled = false;
    bool hasSample = false;
    bool selected = false;
    // The bitmap of every pad in every look; the pad has no size without it.
    std::shared_ptr<UL::AStateBitmap> bitmap;
    std::shared_ptr<ISelectionEventListener> selectionListener;
    std::shared_ptr<IEditEventListener> editListener;
    std::shared_ptr<IFocusEventListener> focusListener;
    std::shared_ptr<IExecuteEventListener> executeListener;
};

class CPad : public APad {
public:
    using APad::APad;
};

class IPadFactory {
public:
    virtual ~IPadFactory() = default;
    virtual std::shared_ptr<APad> createPad(int index) = 0;
};

class CPadFactory : public IPadFactory {
public:
    std::shared_ptr<APad> createPad(int index) override { return std::make_shared<CPad>(index); }
};

} // namespace ZQ3
