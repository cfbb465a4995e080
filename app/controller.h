#pragma once

#include "app/command_outcome.h"
#include "app/model.h"
#include "app/progress.h"
#include "app/view.h"

#include <functional>
#include <memory>
#include <string>

namespace ZQ3 {

class CDomain;

// Carries out the user's commands on the domain's model and tells the view what changed.
class CController {
public:
    explicit CController(CDomain& domain) : domain_(&domain) {}

    // The view is not owned; null detaches it.
    void setView(IView* view) { view_ = view; }
    IView* view() const { return view_; }

    // Long commands show their progress on what this makes; the front end installs its own
    // display, and without one the progress is silent.
    using ProgressFactory = std::function<std::shared_ptr<UL::IProgress>()>;
    void setProgressFactory(ProgressFactory factory) { progressFactory_ = std::move(factory); }
    std::shared_ptr<UL::IProgress> makeProgress() const;

    // Loads the card at root and shows bank; on failure the converter has no card.
    bool selectDrive(const std::string& root, int bank);
    // Shows another bank of the loaded card, keeping the pad selection; false without a card.
    bool selectBank(int bank);
    // Selects pad (-1 for none) of the current bank; false without a card or for a bad pad.
    bool selectPad(int pad);

    // Puts the WAV or AIFF file at path onto the selected pad of the loaded card.
    CommandOutcome importFile(const std::string& path);
    // Writes the sample of the selected pad to path as fileFormat (an SL::CWaveFileFormat value:
    // CardLayout::FileFormatWave or CardLayout::FileFormatAiff).
    CommandOutcome exportPad(int fileFormat, const std::string& path);
    // Empties pad of the current bank on the card.
    CommandOutcome deletePad(int pad);

    CModel& model() const;

protected:
    // Silences the audition output; a failure is reported and the command goes on.
    void stopPlayback();
    void installModel(CModel model);
    // Calls the view's bank, pad and command updates, in that order.
    void refreshView();
    // The pad and command updates only, for commands that keep the bank list.
    void refreshPadsAndCommands();

    CDomain* domain_;
    IView* view_ = nullptr;
    ProgressFactory progressFactory_;
};

} // namespace ZQ3
