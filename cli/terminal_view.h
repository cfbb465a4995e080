#pragma once

#include "app/model.h"
#include "app/view.h"

#include <functional>

namespace ZQ3 {

// The main view of the command-line tool. A terminal shows nothing while the controller works;
// what the view keeps is which commands the desktop program would offer, so that the tool
// refuses the same things the desktop program's disabled buttons do.
class CTerminalView : public IView {
public:
    explicit CTerminalView(std::function<const CModel&()> model) : model_(std::move(model)) {}

    void updateDrive() override {}
    void updateBank() override { bankListEnabled_ = model_().hasCard(); }
    void updatePads() override {}
    void updateImport() override { importEnabled_ = model_().selectedPad >= 0; }
    void updateExport() override { exportEnabled_ = model_().selectedPadHasSample(); }
    void updateDelete() override { deleteEnabled_ = model_().selectedPadHasSample(); }

    bool bankListEnabled() const { return bankListEnabled_; }
    bool importEnabled() const { return importEnabled_; }
    bool exportEnabled() const { return exportEnabled_; }
    bool deleteEnabled() const { return deleteEnabled_; }

private:
    std::function<const CModel&()> model_;
    bool bankListEnabled_ = false;
    bool importEnabled_ = false;
    bool exportEnabled_ = false;
    bool deleteEnabled_ = false;
};

} // namespace ZQ3
