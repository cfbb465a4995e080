#pragma once

#include "ul/progress.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace ZQ3 {

// The progress of a long command as one line on standard error: title, text, bar and percent.
// The line is drawn only when standard error is a terminal, and only when what it shows changes,
// so a job of millions of steps redraws about a hundred times. Cancel is Ctrl-C.
class CTerminalProgress : public UL::IProgress {
public:
    // drawOn null draws nothing; the tool passes stderr when it is a terminal.
    explicit CTerminalProgress(std::FILE* drawOn);
    ~CTerminalProgress() override;

    void begin(std::int64_t range, const std::string& text, bool cancellable) override;
    void restart() override;
    void end() override;

    void setRange(std::int64_t range) override;
    std::int64_t getRange() const override { return range_; }
    void setPosition(std::int64_t position) override;
    std::int64_t getPosition() const override { return position_; }
    void step() override { setPosition(position_ + 1); }

    void setTitle(const std::string& text) override;
    std::string getTitle() const override { return title_; }
    void setText(const std::string& text) override;
    std::string getText() const override { return text_; }

    // Draws "3/8 kick.wav: encoding" in place of the title and text, so that a batch keeps one
    // line with its overall count; a single file shows its name and step alone.
    void setBatchStep(int number, int count, const std::string& fileName,
                      const std::string& step) override;

    void setCancellable(bool cancellable) override { cancellable_ = cancellable; }
    bool isCancellable() const override { return cancellable_; }
    bool isCancelled() override;

    // Thousandths of the job done, as the bar shows them.
    int shownPermille() const { return permille_; }
    int redrawCount() const { return redraws_; }

private:
    int PermilleOf(std::int64_t position) const;
    void Redraw();

    std::FILE* output_;
    bool shown_ = false;
    std::int64_t range_ = 100;
    std::int64_t position_ = 0;
    int permille_ = -1;
    int redraws_ = 0;
    std::string title_;
    std::string text_;
    // "3/8 kick.wav: encoding", or empty when title and text are shown.
    std::string batchStep_;
    std::string drawn_; // the line on the terminal now
    bool cancellable_ = false;
    bool cancelled_ = false;
};

} // namespace ZQ3
