#include "desktop/card_repair_flow.h"

#include "app/card_check_text.h"
#include "app/card_repair.h"
#include "sl/log/logger.h"

namespace ZQ3::Desktop {

bool CheckAndRepairCard(const std::string& root, UL::ITextDialog& dialog,
                        const CardLockWaiting& waiting) {
    const CardRepairing repairing = RepairCard(
        root,
        [&](const CardCheck& check, const CardRepairPlan& plan) {
            return dialog.askWithDetail(UL::ITextDialog::ButtonsOkCancel,
                                        UL::ITextDialog::IconQuestion, RepairQuestion(),
                                        RepairPlanText(root, check, plan)) ==
                   UL::ITextDialog::AnswerOk;
        },
        waiting);
    if (repairing.problem == CardRepairing::Problem::Declined) {
        return false;
    }
    const std::string problem = RepairingProblemText(root, repairing);
    if (problem.empty()) {
        dialog.ask(UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconQuestion,
                   RepairedText(root, repairing));
    } else {
        dialog.ask(UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconError, problem);
    }
    return true;
}

class CHeldReports::CCollector : public SL::CGeneralStringBuffer::IPrinter {
public:
    void Print(const std::string& text) override {
        std::string line = text;
        while (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        if (!line.empty()) {
            reports.push_back({line, std::string()});
        }
    }
    void PrintReport(const std::string& message, const std::string& detail) override {
        reports.push_back({message, detail});
    }

    std::vector<Report> reports;
};

CHeldReports::CHeldReports()
    : collector_(std::make_shared<CCollector>()), previous_(SL::CLogger::Instance().Printer()) {
    SL::CLogger::Instance().SetPrinter(collector_);
}

CHeldReports::~CHeldReports() {
    SL::CLogger::Instance().SetPrinter(previous_);
}

const std::vector<CHeldReports::Report>& CHeldReports::reports() const {
    return collector_->reports;
}

void CHeldReports::release() {
    SL::CLogger& logger = SL::CLogger::Instance();
    logger.SetPrinter(previous_);
    for (const Report& report : collector_->reports) {
        logger.Report(report.message, report.detail);
    }
    collector_->reports.clear();
    logger.SetPrinter(collector_);
}

} // namespace ZQ3::Desktop
