#pragma once

#include <cstdint>
#include <string>

namespace UL {

// How a long command tells the user how far it has come and learns whether the user wants it to
// stop. Every operation of the base does nothing and every getter answers 0, an empty text or
// false, so that the base itself is a progress nobody sees. Ranges and positions are 64-bit: a
// command that steps once per sample of a 4 GB file needs more than 2^31 steps.
class IProgress {
public:
    virtual ~IProgress() = default;

    // Shows the progress with range steps, the text line and whether Cancel is offered.
    virtual void begin(std::int64_t range, const std::string& text, bool cancellable) {
        (void)range, (void)text, (void)cancellable;
    }
    // Position back to 0, shown again.
    virtual void restart() {}
    // Hidden; the rest of the program is usable again.
    virtual void end() {}

    // Number of steps of the whole job.
    virtual void setRange(std::int64_t range) { (void)range; }
    virtual std::int64_t getRange() const { return 0; }
    // Steps done so far.
    virtual void setPosition(std::int64_t position) { (void)position; }
    virtual std::int64_t getPosition() const { return 0; }
    virtual void step() { setPosition(getPosition() + 1); }

    virtual void setTitle(const std::string& text) { (void)text; }
    virtual std::string getTitle() const { return {}; }
    virtual void setText(const std::string& text) { (void)text; }
    virtual std::string getText() const { return {}; }

    // Whether Cancel is offered; a progress that is not cancellable ignores the button.
    virtual void setCancellable(bool cancellable) { (void)cancellable; }
    virtual bool isCancellable() const { return false; }
    // True once the user asked to stop. A display keeps itself responsive while it answers, so
    // it is not a const query.
    virtual bool isCancelled() { return false; }

    // Called after the last step of a job so that an animated bar can show its end before the
    // next text replaces it; returns at once where the display has no such animation.
    virtual void settle() {}
};

// A progress for tests and for work without a display: remembers what it was told and never
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
