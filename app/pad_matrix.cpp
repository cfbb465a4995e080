#include "app/pad_matrix.h"

namespace ZQ3 {

CPadMatrix::CPadMatrix(std::shared_ptr<UL::AStateBitmap> background,
                       std::shared_ptr<UL::AStateBitmap> padBitmap)
    : background_(std::move(background)), padBitmap_(std::move(padBitmap)) {}

void CPadMatrix::initialize(IPadContainerView* containerView, int originXValue, int originYValue,
                            std::shared_ptr<IPadFactory> factory,
                            std::shared_ptr<APad::ISelectionEventListener> selectionListener,
                            std::shared_ptr<APad::IEditEventListener> editListener,
                            std::shared_ptr<APad::IFocusEventListener> focusListener,
                            std::shared_ptr<APad::IExecuteEventListener> executeListener) {
    originX = originXValue;
    originY = originYValue;
    padFactory = std::move(factory);
    pads.clear();
    const int cellWidth = padBitmap_ ? padBitmap_->cellWidth : 0;
    const int cellHeight = padBitmap_ ? padBitmap_->cellHeight : 0;
    for (int i = 0; i < rows * columns; ++i) {
        std::shared_ptr<APad> pad = padFactory->createPad(i);
        pad->containerView = containerView;
        pad->bitmap = padBitmap_;
        const int column = i % columns;
        const int rowFromBottom = i / columns;
        pad->x = originX + marginX + (cellWidth + gapX) * column;
        pad->y = originY + marginY + (cellHeight + gapY) * (rows - 1 - rowFromBottom);
        if (selectionListener) {
            pad->selectionListener = selectionListener;
        }
        if (editListener) {
            pad->editListener = editListener;
        }
        if (focusListener) {
            pad->focusListener = focusListener;
        }
        if (executeListener) {
            pad->executeListener = executeListener;
        }
        pads.push_back(std::move(pad));
    }
}

void CPadMatrix::onMouseEvent(const UL::CMouseEvent& event) {
    // A listener may change the pads (a selection repaints them all); walk a copy.
    const auto receivers = pads;
    for (const auto& pad : receivers) {
        pad->onMouseEvent(event);
    }
}

void CPadMatrix::onKeyEvent(const UL::CKeyEvent& event) {
    // Only the pads selected when the key arrived hear it: a key that moves the selection must
    // not be heard again by the pad it moved to.
    std::vector<std::shared_ptr<APad>> receivers;
    for (const auto& pad : pads) {
        if (pad->selected) {
            receivers.push_back(pad);
        }
    }
    for (const auto& pad : receivers) {
        pad->onKeyEvent(event);
    }
}

void CPadMatrix::draw(UL::ADrawInfo& drawInfo) {
    if (background_) {
        background_->drawCell(drawInfo, originX, originY, 0);
    }
    for (const auto& pad : pads) {
        pad->draw(drawInfo);
    }
}

void CPadMatrix::setAllEnabled(bool enabled) {
    for (const auto& pad : pads) {
        pad->enabled = enabled;
    }
}

void CPadMatrix::clearSelection() {
    for (const auto& pad : pads) {
        pad->selected = false;
        pad->invalidate();
    }
}

void CPadMatrix::select(int row, int column) {
    const int chosen = padIndexAt(row, column);
    for (const auto& pad : pads) {
        pad->selected = pad->index == chosen;
        pad->invalidate();
    }
}

void CPadMatrix::invalidateAll() {
    for (const auto& pad : pads) {
        pad->invalidate();
    }
}

std::shared_ptr<APad> CPadMatrix::padAt(int x, int y) const {
    for (const auto& pad : pads) {
        if (pad->rect().contains(x, y)) {
            return pad;
        }
    }
    return nullptr;
}

CPadRect CPadMatrix::backgroundRect() const {
    const int width = background_ ? background_->cellWidth : 0;
    const int height = background_ ? background_->cellHeight : 0;
    return {originX, originY, originX + width, originY + height};
}

} // namespace ZQ3
