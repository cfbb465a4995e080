#pragma once

#include "ul/progress.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

namespace ZQ3::Desktop {
class CProgressWindow;
}

namespace UL {

// The progress of a long command as a modeless dialog with a text line, a bar and Cancel. The
// command runs on the user-interface thread, so the dialog keeps the program responsive by
// handling waiting events whenever it changes, and keeps the user from starting anything else by
// disabling the window it belongs to while it is shown.
class CProgressBar : public IProgress {
public:
    // The bar never has more steps than this, however long the job: a job of millions of steps
    // would otherwise spend its time redrawing.
    static constexpr int MaximumBarSteps = 1000;

    CProgressBar() = default;
    ~CProgressBar() override;
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    void begin(std::int64_t range, const std::string& text, bool cancellable) override;
    void restart() override;
    void end() override;

    void setRange(std::int64_t range) override;
    std::int64_t getRange() const override { return range_; }
    void setPosition(std::int64_t position) override;
    std::int64_t getPosition() const override { return position_; }

    void setTitle(const std::string& text) override;
    std::string getTitle() const override { return title_; }
    void setText(const std::string& text) override;
    std::string getText() const override { return text_; }

    void setCancellable(bool cancellable) override;
    bool isCancellable() const override { return cancellable_; }
    bool isCancelled() override;

    // The bar has no animation to wait for.
    void settle() override {}

    // The dialog while it is shown, for tests.
    ZQ3::Desktop::CProgressWindow* window() const { return window_.get(); }

protected:
    // Makes the dialog's window; null when it cannot be made, and the job then runs without
    // a visible progress.
    virtual std::unique_ptr<ZQ3::Desktop::CProgressWindow> createWindow() = 0;
    // Handles the events waiting for the program, so that it repaints and Cancel is seen.
    virtual void processEvents();

private:
    // Makes and shows the window with everything stored; false when it cannot be made.
    bool show();
    void onCancel();

    std::int64_t range_ = 100;
    std::int64_t position_ = 0;
    int controlRange_ = 0;
    // The value last given to the bar; -1 before the first.
    int controlPosition_ = -1;
    std::string title_;
    std::string text_;
    bool cancellable_ = false;
    bool cancelled_ = false;
    std::unique_ptr<ZQ3::Desktop::CProgressWindow> window_;
    // The window disabled while the dialog is shown; it may go away meanwhile.
    QPointer<QWidget> owner_;
};

// The program's progress dialog.
class CProgressBarA : public CProgressBar {
protected:
    std::unique_ptr<ZQ3::Desktop::CProgressWindow> createWindow() override;
};

// The progress the application hands to its commands.
std::shared_ptr<IProgress> CreateProgress();

} // namespace UL
