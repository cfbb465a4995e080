#pragma once

#include "app/pad.h"

#include <memory>
#include <vector>

namespace ZQ3 {

// The sixteen pads of a bank laid out like the sampler's pad block: pad 0 at the bottom left,
// pad 15 at the top right, on a background picture.
class CPadMatrix : public UL::IMouseEventListener, public UL::IKeyEventListener {
public:
    CPadMatrix(std::shared_ptr<UL::AStateBitmap> background,
               std::shared_ptr<UL::AStateBitmap> padBitmap);

    // Makes rows x columns pads with the factory and lays them out from originX, originY; each
    // listener given replaces the null listener of every pad.
    void initialize(IPadContainerView* containerView, int originXValue, int originYValue,
                    std::shared_ptr<IPadFactory> factory,
                    std::shared_ptr<APad::ISelectionEventListener> selectionListener,
                    std::shared_ptr<APad::IEditEventListener> editListener,
                    std::shared_ptr<APad::IFocusEventListener> focusListener,
                    std::shared_ptr<APad::IExecuteEventListener> executeListener);

    void onMouseEvent(const UL::CMouseEvent& event) override;
    void onKeyEvent(const UL::CKeyEvent& event) override;
    // The background, then every pad.
    void draw(UL::ADrawInfo& drawInfo);

    void setAllEnabled(bool enabled);
    void clearSelection();
    // Selects the pad at row (0 = top) and column, and no other.
    void select(int row, int column);
    void invalidateAll();

    // The pad whose rectangle holds the point; null in a gap or outside the matrix.
    std::shared_ptr<APad> padAt(int x, int y) const;
    // The area the background covers.
    CPadRect backgroundRect() const;
    const std::vector<std::shared_ptr<APad>>& getPads() const { return pads; }

    // The pad number at row (0 = top) and column.
    int padIndexAt(int row, int column) const { return (rows - 1 - row) * columns + column; }

    int rows = 4;
    int columns = 4;
    int originX = 0;
    int originY = 0;
    int marginX = 5;
    int marginY = 5;
    int gapX = 10;
    int gapY = 10;
    std::shared_ptr<IPadFactory> padFactory;
    std::vector<std::shared_ptr<APad>> pads;

private:
    std::shared_ptr<UL::AStateBitmap> background_;
    std::shared_ptr<UL::AStateBitmap> padBitmap_;
};

} // namespace ZQ3
