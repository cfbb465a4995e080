#pragma once

#include "ul/progress.h"

namespace UL {

// A progress for tests: remembers what it was told and never
// asks to stop unless a test presses Cancel, which, as on a real display, only counts while
// Cancel is offered.
class CSilentProgress : public IProgress {
public:
    void begin(std::int64_t range, const std::string& text, bool cancellable) override {
        ++beginCount_;
        shown_ = true;
        cancellable_ = cancellable;
        setText(text);
        setRange(range);
        position_ = 0;
    }
    void restart() override {
        position_ = 0;
        shown_ = true;
    }
    void end() override {
        if (shown_) {
            ++endCount_;
        }
        shown_ = false;
    }

    void setRange(std::int64_t range) override { range_ = range; }
    std::int64_t getRange() const override { return range_; }
    void setPosition(std::int64_t position) override {
        if (position < position_) {
            ++backwardMoves_;
        }
        position_ = position;
        ++positionCalls_;
    }
    std::int64_t getPosition() const override { return position_; }

    void setTitle(const std::string& text) override { title_ = text; }
    std::string getTitle() const override { return title_; }
    void setText(const std::string& text) override { text_ = text; }
    std::string getText() const override { return text_; }

    void setCancellable(bool cancellable) override { cancellable_ = cancellable; }
    bool isCancellable() const override { return cancellable_; }
    bool isCancelled() override {
        ++cancelQueries_;
        if (cancelAtQuery_ > 0 && cancelQueries_ >= cancelAtQuery_) {
            pressCancel();
        }
        return cancelled_;
    }

    void settle() override { ++settleCount_; }

    // What the Cancel button of a display does.
    void pressCancel() {
        if (cancellable_) {
            cancelled_ = true;
        }
    }
    // Presses Cancel just before the n-th (1-based) isCancelled() query answers; 0 never.
    void pressCancelAtQuery(int n) { cancelAtQuery_ = n; }

    bool isShown() const { return shown_; }
    int beginCount() const { return beginCount_; }
    int endCount() const { return endCount_; }
    int settleCount() const { return settleCount_; }
    int cancelQueries() const { return cancelQueries_; }
    std::int64_t positionCalls() const { return positionCalls_; }
    // setPosition calls that moved the position back; begin and restart start again at 0
    // without counting, so a job that only moves forward leaves it at 0.
    int backwardMoves() const { return backwardMoves_; }

private:
    std::int64_t range_ = 0;
    std::int64_t position_ = 0;
    std::string title_;
    std::string text_;
    bool cancellable_ = false;
    bool cancelled_ = false;
    bool shown_ = false;
    int beginCount_ = 0;
    int endCount_ = 0;
    int settleCount_ = 0;
    int cancelQueries_ = 0;
    int cancelAtQuery_ = 0;
    std::int64_t positionCalls_ = 0;
    int backwardMoves_ = 0;
};

} // namespace UL
