#include "cli/terminal_progress.h"

#include "cli/interrupt.h"

#include <algorithm>

namespace ZQ3 {
namespace {

constexpr int BarWidth = 30;

} // namespace

CTerminalProgress::CTerminalProgress(std::FILE* drawOn) : output_(drawOn) {}

CTerminalProgress::~CTerminalProgress() {
    end();
}

void CTerminalProgress::begin(std::int64_t range, const std::string& text, bool cancellable) {
    shown_ = true;
    cancellable_ = cancellable;
    text_ = text;
    range_ = range;
    position_ = 0;
    permille_ = -1;
    setPosition(0);
}

void CTerminalProgress::restart() {
    shown_ = true;
    position_ = 0;
    permille_ = -1;
    setPosition(0);
}

void CTerminalProgress::end() {
    if (shown_ && output_ != nullptr && redraws_ > 0) {
        // Leave the terminal on a clean line for the next report.
        std::fputs("\r\033[K", output_);
        std::fflush(output_);
    }
    shown_ = false;
    batchStep_.clear();
    drawn_.clear();
}

void CTerminalProgress::setRange(std::int64_t range) {
    range_ = range;
    permille_ = -1;
    setPosition(position_);
}

int CTerminalProgress::PermilleOf(std::int64_t position) const {
    if (range_ <= 0) {
        return 0;
    }
    const auto clamped = std::clamp<std::int64_t>(position, 0, range_);
    // Position and range may be near 2^63 for absurd jobs; divide first when they are large.
    if (range_ > (INT64_MAX / 1000)) {
        return static_cast<int>(clamped / (range_ / 1000));
    }
    return static_cast<int>(clamped * 1000 / range_);
}

void CTerminalProgress::setPosition(std::int64_t position) {
    position_ = position;
    const int permille = PermilleOf(position);
    if (permille == permille_) {
        return;
    }
    permille_ = permille;
    Redraw();
}

void CTerminalProgress::setTitle(const std::string& text) {
    title_ = text;
    Redraw();
}

void CTerminalProgress::setText(const std::string& text) {
    text_ = text;
    Redraw();
}

void CTerminalProgress::setBatchStep(int number, int count, const std::string& fileName,
                                     const std::string& step) {
    if (count <= 0) {
        batchStep_.clear();
    } else {
        batchStep_ = (count > 1 ? std::to_string(number) + "/" + std::to_string(count) + " " : "") +
                     fileName + ": " + step;
    }
    Redraw();
}

bool CTerminalProgress::isCancelled() {
    if (cancellable_ && InterruptRequested()) {
        cancelled_ = true;
    }
    return cancelled_;
}

void CTerminalProgress::Redraw() {
    if (!shown_) {
        return;
    }
    const int permille = std::max(permille_, 0);
    // The bar moves with the percent shown beside it.
    const int filled = permille / 10 * BarWidth / 100;
    std::string line = (batchStep_.empty() ? title_ + ' ' + text_ : batchStep_) + " [";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(BarWidth - filled), '.');
    line += "] ";
    const std::string percent = std::to_string(permille / 10);
    line.append(3 - std::min<std::size_t>(percent.size(), 3), ' ');
    line += percent + '%';
    // The line shows whole percents: a thousandth that changes nothing on it is not drawn.
    if (line == drawn_) {
        return;
    }
    drawn_ = line;
    ++redraws_;
    if (output_ == nullptr) {
        return;
    }
    std::fprintf(output_, "\r\033[K%s", line.c_str());
    std::fflush(output_);
}

} // namespace ZQ3
