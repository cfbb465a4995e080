#pragma once

#include "ul/progress.h"

#include <cstdint>
#include <string>

namespace ZQ3 {

// A progress display opened by a command with Cancel offered, and closed again however the
// command ends.
class CProgressSession {
public:
    CProgressSession(UL::IProgress& progress, const std::string& title, const std::string& text)
        : progress_(progress) {
        progress_.setTitle(title);
        // The job sets its real range once it knows it; until then the bar stands at its start.
        progress_.begin(kInitialRange, text, true);
    }
    ~CProgressSession() { progress_.end(); }
    CProgressSession(const CProgressSession&) = delete;
    CProgressSession& operator=(const CProgressSession&) = delete;

    UL::IProgress& progress() const { return progress_; }

    // The command's next step, in the same display: the bar back at its start, the step's text,
    // Cancel offered again.
    void nextStep(const std::string& text) {
        progress_.restart();
        progress_.setText(text);
        progress_.setCancellable(true);
    }

private:
    static constexpr std::int64_t kInitialRange = 100;

    UL::IProgress& progress_;
};

} // namespace ZQ3
