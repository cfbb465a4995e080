#pragma once

#include "card/card_lock.h"
#include "ul/text_dialog.h"

#include "sl/log/general_string_buffer.h"

#include <memory>
#include <string>
#include <vector>

namespace ZQ3::Desktop {

// Checks the card at root and, when something does not agree, shows what and what a repair
// would do, and repairs it once the user agrees; the outcome is shown too. False when the user
// declined, so that nothing changed.
bool CheckAndRepairCard(const std::string& root, UL::ITextDialog& dialog,
                        const CardLockWaiting& waiting);

// While it lives, the reports of the converter are kept instead of shown; the printer before it
// comes back when it goes. A front end holds a report back to show it together with what the
// user can do about it.
class CHeldReports {
public:
    struct Report {
        std::string message;
        std::string detail;
    };

    CHeldReports();
    ~CHeldReports();
    CHeldReports(const CHeldReports&) = delete;
    CHeldReports& operator=(const CHeldReports&) = delete;

    const std::vector<Report>& reports() const;
    // Shows the reports held so far through the printer before it, and forgets them.
    void release();

private:
    class CCollector;
    std::shared_ptr<CCollector> collector_;
    std::shared_ptr<SL::CGeneralStringBuffer::IPrinter> previous_;
};

} // namespace ZQ3::Desktop
