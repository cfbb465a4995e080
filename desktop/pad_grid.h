#pragma once

#include "app/pad_matrix.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class QMimeData;

namespace ZQ3::Desktop {

// The pad block of the main window: paints the pad matrix on its background, hands mouse and
// keys to the matrix, shows a pad's tooltip, frames the pads a drag would fill, and blinks a
// pad that plays. What the user does with a pad it reports through its signals; the keys that
// are commands of the whole window (Delete, Page Up and Down, Escape) it reports as requests.
class CPadGrid : public QWidget, public ZQ3::IPadContainerView {
    Q_OBJECT

public:
    // How often a playing pad changes its look.
    static constexpr int BlinkMilliseconds = 250;

    CPadGrid(std::shared_ptr<UL::AStateBitmap> background,
             std::shared_ptr<UL::AStateBitmap> padBitmap, QWidget* parent = nullptr);

    // Lays the pads out from the origin; container repaints them (the grid itself when null).
    // Selection and double click reach the signals, the keyboard's edit (Space, Enter) and focus
    // (arrows) the listeners given.
    void initialize(ZQ3::IPadContainerView* container, int originX, int originY,
                    std::shared_ptr<ZQ3::APad::IEditEventListener> editListener,
                    std::shared_ptr<ZQ3::APad::IFocusEventListener> focusListener);

    ZQ3::CPadMatrix& matrix() { return *matrix_; }
    const ZQ3::CPadMatrix& matrix() const { return *matrix_; }
    // Sets each pad's look: enabled while a bank is open, lit when it holds a sample, and the
    // selected pad (-1 for none).
    void showPads(bool enabled, const std::vector<bool>& hasSample, int selectedPad);
    void setPadToolTip(int pad, const QString& text);
    QString padToolTip(int pad) const;
    // What a screen reader says of pad: its name and what it holds.
    void setPadAccessibleText(int pad, const QString& text);
    QString padAccessibleText(int pad) const;
    // Where pad lies in the grid; empty for no such pad.
    QRect padRect(int pad) const;
    // The selected pad, -1 for none.
    int selectedPad() const;
    // Whether a bank is open, so that the pads take clicks.
    bool isOpen() const;

    // Blinks pad until stopBlinking; a pad that plays.
    void startBlinking(int pad);
    void stopBlinking();
    bool isBlinking() const { return blinkTimer_.isActive(); }
    int blinkingPad() const { return blinkingPad_; }

    // The pads that files dragged over the block would fill; empty while nothing is dragged.
    const std::vector<int>& dropTargets() const { return dropTargets_; }

    void invalidateRect(const ZQ3::CPadRect& rectangle, bool erase) override;

signals:
    void padSelected(int pad);
    void padActivated(int pad);
    // Files and folders dropped on the block, to be imported from firstPad on.
    void filesDropped(int firstPad, const QStringList& files);
    // A pad that holds a sample dragged onto another pad: moved there, or copied with Ctrl.
    void padDragged(int fromPad, int toPad, bool copy);
    // Without a selected pad, an arrow, Home or End asks for the first pad (End: the last).
    void firstPadRequested(int pad);
    void deleteRequested();
    void bankStepRequested(int step);
    void stopRequested();
    // Every blink; whoever knows whether the pad still plays may stop the blinking.
    void blinkTick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class CSignallingListener;

    void onBlinkTimer();
    void invalidatePad(int pad);
    // The local files of a drag, and the pads they would fill from the pad under position.
    static QStringList DroppedFiles(const QMimeData* data);
    std::vector<int> padsForDrop(const QPoint& position, int fileCount) const;
    void setDropTargets(std::vector<int> targets);
    // The pad under position that a pad dragged from padDragFrom_ would land on, or -1.
    int padDragTarget(const QPoint& position) const;

    std::shared_ptr<UL::AStateBitmap> padBitmap_;
    std::shared_ptr<ZQ3::CPadMatrix> matrix_;
    std::array<QString, 16> toolTips_;
    std::array<QString, 16> accessibleTexts_;
    QTimer blinkTimer_;
    int blinkingPad_ = -1;
    // The blinking pad shows the other of lit and dark.
    bool blinkToggled_ = false;
    std::vector<int> dropTargets_;
    // How many sound files the files and folders being dragged stand for.
    int dragFileCount_ = 0;
    // A press on a pad that holds a sample may become a drag of that pad onto another.
    int padDragFrom_ = -1;
    QPoint padDragStart_;
    bool padDragging_ = false;
};

} // namespace ZQ3::Desktop
