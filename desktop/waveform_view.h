#pragma once

#include "sl/samples/waveform.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// Draws a sound's outline: one lane per channel (left above right), the part already played in
// a second colour behind a bright play line. The colours are a blue and an orange that people
// with any common colour-vision deficiency tell apart, and the play line marks the place without
// relying on colour at all. An outline with more columns than the drawing has pixels is merged,
// one with fewer is stretched. Where the sound may be cut, a start and an end handle mark the
// region kept, dragged with the mouse, and what lies outside it is dimmed; chopped into slices,
// the slice points are drawn instead, and a click picks a slice.
namespace ZQ3::Desktop {

class CWaveformView : public QWidget {
public:
    // Space round the lanes, and the strip at the top for the caption.
    static constexpr int Border = 6;
    static constexpr int CaptionHeight = 18;

    explicit CWaveformView(QWidget* parent = nullptr);

    // The width of the lanes.
    int plotWidth() const;
    // The screen's pixel columns across the lanes (more than plotWidth on a screen that shows
    // more pixels than points): the column count that draws without merging.
    int plotPixels() const;

    // Shows waveform under the two captions (left and right aligned in the top strip). A null
    // waveform, or one without channels, shows a flat line: an empty pad, a file without sound,
    // or an outline still being read.
    void showWaveform(std::shared_ptr<const SL::CWaveform> waveform, const QString& caption = {},
                      const QString& detail = {});
    // Shows nothing but the empty panel.
    void clear();
    // Where playback is, 0 to 1 of the sound; below 0 hides the play line.
    void setPlayPosition(double fraction);

    const std::shared_ptr<const SL::CWaveform>& waveform() const { return waveform_; }
    double playPosition() const { return playPosition_; }

    // The region kept, as fractions 0 to 1 of the sound; the handles show when editable.
    void setRegionEditable(bool editable);
    void setRegion(double start, double end);
    double regionStart() const { return regionStart_; }
    double regionEnd() const { return regionEnd_; }
    // Called when a drag moved a handle.
    std::function<void()> regionDragged;

    // The slices, each from and to a fraction of the sound, and the one picked (-1 for none);
    // none shows the region again.
    using Slice = std::pair<double, double>;
    void setSlices(std::vector<Slice> slices, int picked);
    const std::vector<Slice>& slices() const { return slices_; }
    int pickedSlice() const { return pickedSlice_; }
    // Called with the slice a click picked.
    std::function<void(int)> slicePicked;

    // The x coordinate of fraction of the sound, and the fraction at x.
    int xOf(double fraction) const;
    double fractionAt(int x) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::shared_ptr<const SL::CWaveform> waveform_;
    QString caption_;
    QString detail_;
    double playPosition_ = -1.0;
    bool regionEditable_ = false;
    double regionStart_ = 0.0;
    double regionEnd_ = 1.0;
    enum class Handle { None, Start, End };
    Handle dragged_ = Handle::None;
    std::vector<Slice> slices_;
    int pickedSlice_ = -1;
};

} // namespace ZQ3::Desktop
