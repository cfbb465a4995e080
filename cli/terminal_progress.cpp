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
    ++redraws_;
    if (output_ == nullptr) {
        return;
    }
    const int permille = std::max(permille_, 0);
    const int filled = permille * BarWidth / 1000;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(BarWidth - filled), '.');
    std::fprintf(output_, "\r\033[K%s %s [%s] %3d%%", title_.c_str(), text_.c_str(), bar.c_str(),
                 permille / 10);
    std::fflush(output_);
}

} // namespace ZQ3
