#pragma once

#include "app/command_availability.h"
#include "app/domain.h"
#include "app/view.h"
#include "sl/log/logger.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ZQ3::Fixture {

// A view that remembers which updates the controller asked for, and the state each update
// would show, as every front end reads it from AvailableCommands.
class CRecordingView : public IView {
public:
    explicit CRecordingView(const CDomain& domain) : domain_(domain) {}

    void updateDrive() override { calls.push_back("drive"); }
    void updateBank() override {
        calls.push_back("bank");
        bankListEnabled = AvailableCommands(*domain_.model).chooseBank.enabled;
    }
    void updatePads() override { calls.push_back("pads"); }
    void updateImport() override {
        calls.push_back("import");
        importEnabled = AvailableCommands(*domain_.model).importFile.enabled;
    }
    void updateExport() override {
        calls.push_back("export");
        exportEnabled = AvailableCommands(*domain_.model).exportPad.enabled;
    }
    void updateDelete() override {
        calls.push_back("delete");
        deleteEnabled = AvailableCommands(*domain_.model).deletePad.enabled;
    }

    std::vector<std::string> calls;
    bool bankListEnabled = false;
    bool importEnabled = false;
    bool exportEnabled = false;
    bool deleteEnabled = false;

private:
    const CDomain& domain_;
};

// Collects every report while it is installed as the log's printer: as the lines a plain
// printer shows, and as the message and detail a message box gets apart.
class CCollectingPrinter : public SL::CGeneralStringBuffer::IPrinter {
public:
    void Print(const std::string& text) override { texts.push_back(text); }
    void PrintReport(const std::string& message, const std::string& detail) override {
        reports.emplace_back(message, detail);
        IPrinter::PrintReport(message, detail);
    }
    std::vector<std::string> texts;
    std::vector<std::pair<std::string, std::string>> reports;
};

class CInstalledPrinter {
public:
    CInstalledPrinter() : printer(std::make_shared<CCollectingPrinter>()) {
        SL::CLogger::Instance().SetPrinter(printer);
    }
    ~CInstalledPrinter() { SL::CLogger::Instance().ResetPrinter(); }
    const std::vector<std::string>& texts() const { return printer->texts; }

    std::shared_ptr<CCollectingPrinter> printer;
};

} // namespace ZQ3::Fixture
