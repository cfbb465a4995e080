#include "desktop/pad_grid.h"

#include "app/import_batch.h"
#include "card/card_layout.h"
#include "desktop/input_events.h"
#include "desktop/pad_grid_accessible.h"
#include "desktop/qt_state_bitmap.h"

#include <QAccessible>
#include <QApplication>
#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace ZQ3::Desktop {

// What the matrix reports of a pad's selection and execution, turned into the grid's signals.
class CPadGrid::CSignallingListener : public ZQ3::APad::ISelectionEventListener,
                                      public ZQ3::APad::IExecuteEventListener {
public:
    explicit CSignallingListener(CPadGrid& grid) : grid_(&grid) {}
    void selectPad(ZQ3::APad& pad) override { emit grid_->padSelected(pad.index); }
    void playPad(ZQ3::APad& pad) override { emit grid_->padActivated(pad.index); }

private:
    CPadGrid* grid_;
};

CPadGrid::CPadGrid(std::shared_ptr<UL::AStateBitmap> background,
                   std::shared_ptr<UL::AStateBitmap> padBitmap, QWidget* parent)
    : QWidget(parent), padBitmap_(padBitmap),
      matrix_(std::make_shared<ZQ3::CPadMatrix>(std::move(background), std::move(padBitmap))) {
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    InstallPadGridAccessibility();
    setAccessibleName(tr("Pads"));
    blinkTimer_.setInterval(BlinkMilliseconds);
    connect(&blinkTimer_, &QTimer::timeout, this, &CPadGrid::onBlinkTimer);
}

void CPadGrid::initialize(ZQ3::IPadContainerView* container, int originX, int originY,
                          std::shared_ptr<ZQ3::APad::IEditEventListener> editListener,
                          std::shared_ptr<ZQ3::APad::IFocusEventListener> focusListener) {
    auto signalling = std::make_shared<CSignallingListener>(*this);
    matrix_->initialize(container ? container : this, originX, originY,
                        std::make_shared<ZQ3::CPadFactory>(), signalling, std::move(editListener),
                        std::move(focusListener), signalling);
}

void CPadGrid::showPads(bool enabled, const std::vector<bool>& hasSample, int selectedPad) {
    const int selectedBefore = this->selectedPad();
    matrix_->setAllEnabled(enabled);
    for (const auto& pad : matrix_->getPads()) {
        const auto index = static_cast<std::size_t>(pad->index);
        pad->hasSample = index < hasSample.size() && hasSample[index];
        pad->invalidate();
    }
    if (selectedPad < 0) {
        matrix_->clearSelection();
    } else {
        matrix_->select(matrix_->rows - 1 - selectedPad / matrix_->columns,
                        selectedPad % matrix_->columns);
    }
    // A blink shows the pad that plays; any other change of the pads ends it, and the blinking
    // pad starts again from its true look.
    blinkToggled_ = false;
    if (isBlinking() && blinkingPad_ != selectedPad) {
        stopBlinking();
    }
    matrix_->invalidateAll();
    // A screen reader follows the selection as it follows the focus between controls.
    if (selectedPad >= 0 && selectedPad != selectedBefore && hasFocus() &&
        QAccessible::isActive()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(selectedPad);
        QAccessible::updateAccessibility(&focus);
    }
}

void CPadGrid::setPadToolTip(int pad, const QString& text) {
    if (pad >= 0 && static_cast<std::size_t>(pad) < toolTips_.size()) {
        toolTips_[static_cast<std::size_t>(pad)] = text;
    }
}

QString CPadGrid::padToolTip(int pad) const {
    return pad >= 0 && static_cast<std::size_t>(pad) < toolTips_.size()
               ? toolTips_[static_cast<std::size_t>(pad)]
               : QString();
}

void CPadGrid::setPadAccessibleText(int pad, const QString& text) {
    if (pad < 0 || static_cast<std::size_t>(pad) >= accessibleTexts_.size() ||
        accessibleTexts_[static_cast<std::size_t>(pad)] == text) {
        return;
    }
    accessibleTexts_[static_cast<std::size_t>(pad)] = text;
    // A screen reader on the pad says it afresh, as it does a button renamed.
    if (QAccessible::isActive()) {
        QAccessibleEvent renamed(this, QAccessible::NameChanged);
        renamed.setChild(pad);
        QAccessible::updateAccessibility(&renamed);
    }
}

QString CPadGrid::padAccessibleText(int pad) const {
    return pad >= 0 && static_cast<std::size_t>(pad) < accessibleTexts_.size()
               ? accessibleTexts_[static_cast<std::size_t>(pad)]
               : QString();
}

QRect CPadGrid::padRect(int pad) const {
    const auto& pads = matrix_->getPads();
    if (pad < 0 || static_cast<std::size_t>(pad) >= pads.size()) {
        return {};
    }
    const ZQ3::CPadRect r = pads[static_cast<std::size_t>(pad)]->rect();
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

int CPadGrid::selectedPad() const {
    for (const auto& pad : matrix_->getPads()) {
        if (pad->selected) {
            return pad->index;
        }
    }
    return -1;
}

void CPadGrid::startBlinking(int pad) {
    if (pad < 0 || static_cast<std::size_t>(pad) >= matrix_->getPads().size()) {
        return;
    }
    blinkingPad_ = pad;
    blinkToggled_ = true;
    invalidatePad(pad);
    blinkTimer_.start();
}

void CPadGrid::stopBlinking() {
    blinkTimer_.stop();
    const int pad = blinkingPad_;
    blinkingPad_ = -1;
    blinkToggled_ = false;
    invalidatePad(pad);
}

void CPadGrid::onBlinkTimer() {
    emit blinkTick();
    if (isBlinking()) {
        blinkToggled_ = !blinkToggled_;
        invalidatePad(blinkingPad_);
    }
}

bool CPadGrid::isOpen() const {
    return !matrix_->getPads().empty() && matrix_->getPads().front()->enabled;
}

void CPadGrid::invalidatePad(int pad) {
    if (pad >= 0 && static_cast<std::size_t>(pad) < matrix_->getPads().size()) {
        matrix_->getPads()[static_cast<std::size_t>(pad)]->invalidate();
    }
}

void CPadGrid::invalidateRect(const ZQ3::CPadRect& rectangle, bool) {
    update(QRect(rectangle.left, rectangle.top, rectangle.right - rectangle.left,
                 rectangle.bottom - rectangle.top));
}

void CPadGrid::paintEvent(QPaintEvent*) {
    // Qt draws every widget into its window's back buffer and shows the finished picture, so
    // the matrix never flickers while its background and pads are drawn one over the other.
    QPainter painter(this);
    UL::CDrawInfo info(painter);
    matrix_->draw(info);
    if (blinkToggled_ && blinkingPad_ >= 0) {
        const ZQ3::APad& pad = *matrix_->getPads()[static_cast<std::size_t>(blinkingPad_)];
        if (pad.enabled) {
            // The same pad with lit and dark swapped.
            const int look = pad.look() ^ ZQ3::APad::LookLit;
            padBitmap_->drawCell(info, pad.x, pad.y,
                                 look * ZQ3::CardLayout::PadsPerBank + pad.index);
        }
    }
    if (!dropTargets_.empty()) {
        // The pads a drop would fill: a thick dashed frame, visible on any look.
        painter.setPen(QPen(palette().highlight().color(), 3, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        for (const int index : dropTargets_) {
            const ZQ3::CPadRect r = matrix_->getPads()[static_cast<std::size_t>(index)]->rect();
            painter.drawRect(r.left + 1, r.top + 1, r.right - r.left - 3, r.bottom - r.top - 3);
        }
    }
    if (hasFocus()) {
        // Where the keyboard goes: a thin frame round the matrix.
        const ZQ3::CPadRect area = matrix_->backgroundRect();
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.drawRect(area.left - 2, area.top - 2, area.right - area.left + 3,
                         area.bottom - area.top + 3);
    }
}

void CPadGrid::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    setFocus();
    matrix_->onMouseEvent(UL::CMouseEvent(this, MouseInfoOf(*event, UL::CMouseInfo::ActionDown)));
    const QPoint position = event->position().toPoint();
    const auto pad = matrix_->padAt(position.x(), position.y());
    padDragFrom_ =
        event->button() == Qt::LeftButton && pad && pad->hasSample && isOpen() ? pad->index : -1;
    padDragStart_ = position;
    padDragging_ = false;
}

void CPadGrid::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    matrix_->onMouseEvent(UL::CMouseEvent(this, MouseInfoOf(*event, UL::CMouseInfo::ActionUp)));
    if (padDragging_) {
        const int target = padDragTarget(event->position().toPoint());
        const int from = padDragFrom_;
        padDragging_ = false;
        padDragFrom_ = -1;
        setDropTargets({});
        unsetCursor();
        if (target >= 0) {
            emit padDragged(from, target, event->modifiers().testFlag(Qt::ControlModifier));
        }
    }
    padDragFrom_ = -1;
}

int CPadGrid::padDragTarget(const QPoint& position) const {
    const auto pad = matrix_->padAt(position.x(), position.y());
    return pad && pad->index != padDragFrom_ ? pad->index : -1;
}

void CPadGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
    matrix_->onMouseEvent(
        UL::CMouseEvent(this, MouseInfoOf(*event, UL::CMouseInfo::ActionDoubleClick)));
}

void CPadGrid::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    matrix_->onMouseEvent(UL::CMouseEvent(this, MouseInfoOf(*event, UL::CMouseInfo::ActionMove)));
    if (padDragFrom_ < 0 || !event->buttons().testFlag(Qt::LeftButton)) {
        return;
    }
    const QPoint position = event->position().toPoint();
    if (!padDragging_ &&
        (position - padDragStart_).manhattanLength() >= QApplication::startDragDistance()) {
        padDragging_ = true;
    }
    if (padDragging_) {
        const int target = padDragTarget(position);
        setCursor(target < 0                                         ? Qt::ForbiddenCursor
                  : event->modifiers().testFlag(Qt::ControlModifier) ? Qt::DragCopyCursor
                                                                     : Qt::DragMoveCursor);
        setDropTargets(target < 0 ? std::vector<int>{} : std::vector<int>{target});
    }
}

void CPadGrid::keyPressEvent(QKeyEvent* event) {
    const UL::CKeyEvent key = KeyEventOf(this, *event, UL::CKeyEvent::ActionDown);
    switch (key.getCode()) {
    case UL::KeyCode::Delete:
        if (!event->isAutoRepeat()) {
            emit deleteRequested();
        }
        return;
    case UL::KeyCode::PageUp:
        emit bankStepRequested(-1);
        return;
    case UL::KeyCode::PageDown:
        emit bankStepRequested(1);
        return;
    case UL::KeyCode::Escape:
        // Silences an audition at once, wherever the selection is.
        emit stopRequested();
        return;
    case UL::KeyCode::Up:
    case UL::KeyCode::Down:
    case UL::KeyCode::Left:
    case UL::KeyCode::Right:
    case UL::KeyCode::Home:
    case UL::KeyCode::End: {
        // Without a selected pad the keys have no pad to start from: they select the first pad
        // (End the last), so that the block can be worked from the keyboard alone.
        const auto& pads = matrix_->getPads();
        const bool anySelected =
            std::any_of(pads.begin(), pads.end(), [](const auto& pad) { return pad->selected; });
        if (isOpen() && !anySelected) {
            emit firstPadRequested(
                key.getCode() == UL::KeyCode::End ? ZQ3::CardLayout::PadsPerBank - 1 : 0);
            return;
        }
        break;
    }
    default:
        break;
    }
    if (event->isAutoRepeat() &&
        (key.getCode() == UL::KeyCode::Space || key.getCode() == UL::KeyCode::Enter)) {
        return;
    }
    matrix_->onKeyEvent(key);
    if (key.getCode() != UL::KeyCode::Tab) {
        event->accept();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void CPadGrid::keyReleaseEvent(QKeyEvent* event) {
    // The pads act as a key goes down, so that one press is one action; they hear it going up
    // too, and do nothing with it.
    QWidget::keyReleaseEvent(event);
    matrix_->onKeyEvent(KeyEventOf(this, *event, UL::CKeyEvent::ActionUp));
}

bool CPadGrid::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const auto pad = matrix_->padAt(help->pos().x(), help->pos().y());
        if (pad && isOpen()) {
            QToolTip::showText(help->globalPos(), toolTips_[static_cast<std::size_t>(pad->index)],
                               this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

QStringList CPadGrid::DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files.append(url.toLocalFile());
        }
    }
    return files;
}

std::vector<int> CPadGrid::padsForDrop(const QPoint& position, int fileCount) const {
    std::vector<int> targets;
    const auto pad = matrix_->padAt(position.x(), position.y());
    if (!pad || !isOpen()) {
        return targets;
    }
    const int padCount = static_cast<int>(matrix_->getPads().size());
    for (int index = pad->index; index < padCount && index < pad->index + fileCount; ++index) {
        targets.push_back(index);
    }
    return targets;
}

void CPadGrid::setDropTargets(std::vector<int> targets) {
    if (targets != dropTargets_) {
        dropTargets_ = std::move(targets);
        update();
    }
}

void CPadGrid::dragEnterEvent(QDragEnterEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty() || !isOpen()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // A folder stands for its sound files, as in the import itself; listed once per drag.
    dragFileCount_ = 0;
    for (const QString& file : files) {
        std::vector<std::string> listed;
        dragFileCount_ +=
            ZQ3::ListSoundFiles(file.toStdString(), listed) ? static_cast<int>(listed.size()) : 1;
    }
    setDropTargets(padsForDrop(event->position().toPoint(), dragFileCount_));
}

void CPadGrid::dragMoveEvent(QDragMoveEvent* event) {
    std::vector<int> targets = padsForDrop(event->position().toPoint(), dragFileCount_);
    if (targets.empty()) {
        event->ignore();
    } else {
        event->acceptProposedAction();
    }
    setDropTargets(std::move(targets));
}

void CPadGrid::dragLeaveEvent(QDragLeaveEvent* event) {
    QWidget::dragLeaveEvent(event);
    setDropTargets({});
}

void CPadGrid::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    const std::vector<int> targets =
        padsForDrop(event->position().toPoint(), static_cast<int>(files.size()));
    setDropTargets({});
    if (targets.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(targets.front(), files);
}

} // namespace ZQ3::Desktop
