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

    // For a display that shows a whole batch on one line: the file the steps are about now,
    // number of count ("3/8 kick.wav"), and its step as a short word ("encoding"). count 0
    // says that the command works on the whole batch again (its title and text tell how).
    virtual void setBatchStep(int number, int count, const std::string& fileName,
                              const std::string& step) {
        (void)number, (void)count, (void)fileName, (void)step;
    }

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

} // namespace UL
