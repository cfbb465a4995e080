#include "desktop/waveform_view.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace ZQ3::Desktop {

namespace {

// The panel matches the pad block's dark surround; the outline is the blue, its played part the
// orange of a palette chosen to stay distinct under colour-vision deficiencies.
const QColor PanelColour(0x26, 0x27, 0x2b);
const QColor FrameColour(0x4a, 0x4c, 0x52);
const QColor LaneColour(0x30, 0x32, 0x37);
const QColor AxisColour(0x5c, 0x5f, 0x66);
const QColor WaveColour(0x56, 0xb4, 0xe9);
const QColor PlayedColour(0xe6, 0x9f, 0x00);
const QColor PlayLineColour(0xff, 0xff, 0xff);
const QColor CaptionColour(0xe8, 0xe8, 0xea);
const QColor DetailColour(0xa8, 0xaa, 0xb0);
// Outside the region the sound is dimmed; the handles are yellow, the slice points the palette's
// reddish purple, so that neither is taken for the play line.
const QColor DimmedColour(0x10, 0x10, 0x12, 0xb0);
const QColor HandleColour(0xf0, 0xe4, 0x42);
const QColor SliceColour(0xcc, 0x79, 0xa7);
const QColor PickedSliceColour(0x44, 0x47, 0x50);

// How near a press must be to a handle to take it, in pixels.
constexpr int HandleReach = 6;

constexpr int LaneGap = 4;

// The lowest and highest value over the outline's columns that fall on pixel x of width.
SL::CWaveform::Column MergedColumn(const SL::CWaveform& waveform, int channel, int x, int width) {
    const int columns = waveform.columnCount();
    const auto first = static_cast<int>(static_cast<std::int64_t>(x) * columns / width);
    int end = static_cast<int>(static_cast<std::int64_t>(x + 1) * columns / width);
    end = std::max(end, first + 1);
    SL::CWaveform::Column merged = waveform.column(channel, first);
    for (int index = first + 1; index < end && index < columns; ++index) {
        const SL::CWaveform::Column& column = waveform.column(channel, index);
        merged.min = std::min(merged.min, column.min);
        merged.max = std::max(merged.max, column.max);
    }
    return merged;
}

} // namespace

CWaveformView::CWaveformView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int CWaveformView::plotWidth() const {
    return std::max(1, width() - 2 * Border);
}

int CWaveformView::plotPixels() const {
    return std::max(1, static_cast<int>(std::lround(plotWidth() * devicePixelRatioF())));
}

void CWaveformView::showWaveform(std::shared_ptr<const SL::CWaveform> waveform,
                                 const QString& caption, const QString& detail) {
    waveform_ = std::move(waveform);
    caption_ = caption;
    detail_ = detail;
    playPosition_ = -1.0;
    update();
}

void CWaveformView::clear() {
    showWaveform(nullptr);
}

void CWaveformView::setPlayPosition(double fraction) {
    const double position = fraction < 0.0 ? -1.0 : std::min(fraction, 1.0);
    if (position != playPosition_) {
        playPosition_ = position;
        update();
    }
}

void CWaveformView::setRegionEditable(bool editable) {
    regionEditable_ = editable;
    dragged_ = Handle::None;
    update();
}

void CWaveformView::setRegion(double start, double end) {
    regionStart_ = std::clamp(start, 0.0, 1.0);
    regionEnd_ = std::clamp(end, regionStart_, 1.0);
    update();
}

void CWaveformView::setSlices(std::vector<Slice> slices, int picked) {
    slices_ = std::move(slices);
    pickedSlice_ = picked >= 0 && picked < static_cast<int>(slices_.size()) ? picked : -1;
    update();
}

int CWaveformView::xOf(double fraction) const {
    return Border + static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * plotWidth()));
}

double CWaveformView::fractionAt(int x) const {
    return std::clamp(static_cast<double>(x - Border) / plotWidth(), 0.0, 1.0);
}

void CWaveformView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int x = event->position().toPoint().x();
    if (!slices_.empty()) {
        const double at = fractionAt(x);
        for (std::size_t i = 0; i < slices_.size(); ++i) {
            if (at >= slices_[i].first && at < slices_[i].second) {
                pickedSlice_ = static_cast<int>(i);
                update();
                if (slicePicked) {
                    slicePicked(pickedSlice_);
                }
                break;
            }
        }
        return;
    }
    if (!regionEditable_) {
        return;
    }
    // The handle nearer the press moves there, so that a click also sets a handle; on a tie
    // (both handles at one place) the side of the press decides.
    const int startDistance = std::abs(x - xOf(regionStart_));
    const int endDistance = std::abs(x - xOf(regionEnd_));
    if (startDistance < endDistance || (startDistance == endDistance && x < xOf(regionStart_))) {
        dragged_ = Handle::Start;
    } else {
        dragged_ = Handle::End;
    }
    if (std::min(startDistance, endDistance) > HandleReach) {
        mouseMoveEvent(event);
    }
}

void CWaveformView::mouseMoveEvent(QMouseEvent* event) {
    if (dragged_ == Handle::None) {
        return;
    }
    const double at = fractionAt(event->position().toPoint().x());
    // A handle stops at the other one: the region never turns inside out.
    if (dragged_ == Handle::Start) {
        regionStart_ = std::min(at, regionEnd_);
    } else {
        regionEnd_ = std::max(at, regionStart_);
    }
    update();
    if (regionDragged) {
        regionDragged();
    }
}

void CWaveformView::mouseReleaseEvent(QMouseEvent* event) {
    if (dragged_ != Handle::None) {
        mouseMoveEvent(event);
        dragged_ = Handle::None;
    }
}

void CWaveformView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), PanelColour);
    painter.setPen(FrameColour);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    const QRect captionArea(Border, 2, width() - 2 * Border, CaptionHeight - 2);
    painter.setPen(CaptionColour);
    painter.drawText(captionArea, Qt::AlignLeft | Qt::AlignVCenter, caption_);
    painter.setPen(DetailColour);
    painter.drawText(captionArea, Qt::AlignRight | Qt::AlignVCenter, detail_);

    // The lanes are drawn in the screen's own pixels, so that the outline is as fine as the
    // screen shows it; the lane names go on top in points.
    const double density = devicePixelRatioF();
    const auto pixels = [density](double points) {
        return static_cast<int>(std::lround(points * density));
    };
    const int top = pixels(CaptionHeight + 2);
    const int bottom = pixels(height() - Border);
    const int left = pixels(Border);
    const int plot = plotPixels();
    const int gap = pixels(LaneGap);
    const bool drawable = waveform_ && !waveform_->empty();
    const int lanes = drawable ? std::max(1, waveform_->channelCount()) : 1;
    const int laneHeight = std::max(2, (bottom - top - (lanes - 1) * gap) / lanes);
    const int playedPixels =
        playPosition_ < 0.0 ? -1 : static_cast<int>(std::lround(playPosition_ * plot));

    // Where a fraction of the sound lies across the lanes, in the screen's pixels (xOf gives
    // points, for the mouse).
    const auto pixelX = [left, plot](double fraction) {
        return left + static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * plot));
    };
    painter.save();
    painter.scale(1.0 / density, 1.0 / density);
    for (int lane = 0; lane < lanes; ++lane) {
        const int laneTop = top + lane * (laneHeight + gap);
        painter.fillRect(left, laneTop, plot, laneHeight, LaneColour);
        if (drawable && pickedSlice_ >= 0) {
            const Slice& picked = slices_[static_cast<std::size_t>(pickedSlice_)];
            painter.fillRect(pixelX(picked.first), laneTop,
                             pixelX(picked.second) - pixelX(picked.first), laneHeight,
                             PickedSliceColour);
        }
        const double half = (laneHeight - 1) / 2.0;
        const double centre = laneTop + half;
        painter.setPen(AxisColour);
        painter.drawLine(left, static_cast<int>(std::lround(centre)), left + plot - 1,
                         static_cast<int>(std::lround(centre)));
        if (!drawable) {
            continue;
        }
        for (int x = 0; x < plot; ++x) {
            const SL::CWaveform::Column column = MergedColumn(*waveform_, lane, x, plot);
            const double high = std::clamp(static_cast<double>(column.max), -1.0, 1.0);
            const double low = std::clamp(static_cast<double>(column.min), -1.0, 1.0);
            const auto y1 = static_cast<int>(std::lround(centre - high * half));
            // Even silence gets a pixel, so that a quiet passage still reads as sound.
            const auto y2 = std::max(y1, static_cast<int>(std::lround(centre - low * half)));
            painter.setPen(x < playedPixels ? PlayedColour : WaveColour);
            painter.drawLine(left + x, y1, left + x, y2);
        }
    }
    const int lanesBottom = top + lanes * laneHeight + (lanes - 1) * gap - 1;
    if (drawable && !slices_.empty()) {
        // Each slice's start, numbered as the pads it goes to are counted.
        painter.setPen(SliceColour);
        QFont numbers = font;
        numbers.setPixelSize(pixels(11));
        painter.setFont(numbers);
        for (std::size_t i = 0; i < slices_.size(); ++i) {
            const int x = pixelX(slices_[i].first);
            painter.drawLine(x, top, x, lanesBottom);
            painter.drawText(QRect(x + pixels(2), top, pixels(24), pixels(12)),
                             Qt::AlignLeft | Qt::AlignTop, QString::number(i + 1));
        }
    } else if (drawable && regionEditable_) {
        const int startX = pixelX(regionStart_);
        const int endX = pixelX(regionEnd_);
        painter.fillRect(QRect(QPoint(left, top), QPoint(startX - 1, lanesBottom)), DimmedColour);
        painter.fillRect(QRect(QPoint(endX + 1, top), QPoint(left + plot - 1, lanesBottom)),
                         DimmedColour);
        painter.setPen(QPen(HandleColour, pixels(2)));
        for (const int x : {startX, endX}) {
            painter.drawLine(x, top, x, lanesBottom);
        }
        // Grips that point into the region, so that start and end read apart.
        painter.setPen(Qt::NoPen);
        painter.setBrush(HandleColour);
        const int grip = pixels(7);
        const QPoint startGrip[] = {{startX, top}, {startX + grip, top}, {startX, top + grip}};
        const QPoint endGrip[] = {{endX, top}, {endX - grip, top}, {endX, top + grip}};
        painter.drawPolygon(startGrip, 3);
        painter.drawPolygon(endGrip, 3);
        painter.setBrush(Qt::NoBrush);
    }
    if (playedPixels >= 0 && drawable) {
        const int x = left + std::min(playedPixels, plot - 1);
        painter.setPen(QPen(PlayLineColour, pixels(2)));
        painter.drawLine(x, top, x, top + lanes * laneHeight + (lanes - 1) * gap - 1);
    }
    painter.restore();
    // Lanes too low for a letter beside the sound go without their names.
    if (drawable && lanes == 2 && laneHeight >= pixels(40)) {
        painter.setPen(DetailColour);
        for (int lane = 0; lane < lanes; ++lane) {
            const double laneTop = (top + lane * (laneHeight + gap)) / density;
            painter.drawText(QRectF(Border + 2, laneTop + 1, 12, 12), Qt::AlignLeft | Qt::AlignTop,
                             lane == 0 ? QStringLiteral("L") : QStringLiteral("R"));
        }
    }
}

} // namespace ZQ3::Desktop
