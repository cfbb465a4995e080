#pragma once

#include "app/card_undo.h"
#include "app/command_outcome.h"
#include "app/import_batch.h"
#include "app/import_command.h"
#include "app/import_plan.h"
#include "app/model.h"
#include "app/view.h"
#include "card/card_lock.h"
#include "card/file_system.h"
#include "ul/progress.h"

#include <functional>
#include <memory>
#include <string>

namespace ZQ3 {

class CDomain;
class CImportCommand;

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
    // Lets go of the loaded card without a word, as when it was taken out: the view shows no
    // card. The card stays the one remembered.
    void releaseCard();

    // The card to open at the next start and its bank.
    struct RememberedCard {
        std::string root;
        int bank = 0;
    };
    // The card loaded now, or else the last one that was (or that the model named at start):
    // a folder that failed to load as a card, or a card that went away, never replaces it.
    RememberedCard rememberedCard() const;

    // Shows another bank of the loaded card, keeping the pad selection; false without a card.
    bool selectBank(int bank);
    // Selects pad (-1 for none) of the current bank; false without a card or for a bad pad.
    bool selectPad(int pad);

    // Puts the WAV or AIFF file at path onto the selected pad of the loaded card, converting it
    // as conversion says (by default a file the card does not take is refused).
    CommandOutcome importFile(const std::string& path, const ImportConversion& conversion = {});
    // Puts the file of each item onto its slot of the loaded card, in one change of the card:
    // all of them or, after a refusal, a failure or a cancel, none.
    CommandOutcome importFiles(const std::vector<ImportItem>& items,
                               const ImportConversion& conversion = {});
    // Runs plan as answers allow: its items with the answered conversion, in one change of the
    // card. An invalid plan (whose problem the caller shows) fails, and one whose replacement
    // was declined is cancelled, both without touching the card.
    CommandOutcome importPlanned(const CImportPlan& plan, const ImportAnswers& answers);
    // Writes the sample of the selected pad to path as fileFormat (an SL::CWaveFileFormat value:
    // CardLayout::FileFormatWave or CardLayout::FileFormatAiff).
    CommandOutcome exportPad(int fileFormat, const std::string& path);
    // Empties pad of the current bank on the card.
    CommandOutcome deletePad(int pad);

    // Whether every change of a card is kept in the card's history, so that it can be undone;
    // off until the front end turns it on.
    void setRecordsHistory(bool records) { recordsHistory_ = records; }
    bool recordsHistory() const { return recordsHistory_; }
    // The change of the loaded card that undo (or redo) would take back (or make again).
    std::optional<HistoryEntry> nextHistoryStep(HistoryDirection direction) const;
    // Undoes the last change of the loaded card, or redoes the change undone last, and shows
    // the card as it is then.
    CommandOutcome stepThroughHistory(HistoryDirection direction);

    CModel& model() const;

    // The file system the commands change the card through; the machine's own by default.
    void setFileSystem(IFileSystem& fs) { fs_ = &fs; }
    IFileSystem& fileSystem() const { return *fs_; }

    // Whether a change reads its files back from the card before it commits; on by default.
    void setReadBack(bool readBack) { readBack_ = readBack; }
    bool readsBack() const { return readBack_; }

    // How a command waits while another converter holds the card's lock.
    void setCardLockWaiting(CardLockWaiting waiting) { lockWaiting_ = std::move(waiting); }
    const CardLockWaiting& cardLockWaiting() const { return lockWaiting_; }

    enum class CardAccess { Ready, Failed, Cancelled };

    // Takes the lock of the card at root and keeps it while the controller lives (or until it
    // holds another card's), so that loading the card and the commands after it see no other
    // converter's change in between. Without it, every command takes the lock for its own run.
    // Reports why it failed.
    CardAccess holdCardLock(const std::string& root);

protected:
    // Reports a lock that could not be taken with failureMessage and what is wrong with root.
    CardAccess reportedLockResult(CCardLock::Result result, int failureMessage,
                                  const std::string& root);
    // Takes the lock of root into commandLock unless it is held already, completes or clears
    // what an interrupted change left on the card, and reads its records into entries. Reports
    // a failure with failureMessage.
    CardAccess settleCard(const std::string& root, CCardLock& commandLock, int failureMessage,
                          std::vector<SampleEntry>& entries);
    // Makes the installed card ready for a command under the card's lock, as settleCard does,
    // and checks that the card still holds what the model shows. When another program changed
    // it, the model is reloaded and the user told.
    CardAccess prepareCard(CCardLock& commandLock, int failureMessage);
    // prepareCard for a command that writes to the card: a read-only card is refused with its
    // reason before anything is written.
    CardAccess prepareCardChange(CCardLock& commandLock, int failureMessage);
    // Takes the lock of root for one command unless it is held already; reports a failure with
    // failureMessage.
    CardAccess lockCard(const std::string& root, CCardLock& commandLock, int failureMessage);

    // Runs an import command made ready by the caller on the installed model under the card's
    // lock, and installs its model on success.
    CommandOutcome runImport(const std::function<CommandOutcome(CImportCommand&)>& run,
                             const ImportConversion& conversion);
    // The history of the card at root when changes are kept, else nothing.
    std::optional<CCardHistory> historyOf(const std::string& root) const;
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
    IFileSystem* fs_ = &PosixFileSystem();
    bool readBack_ = true;
    bool recordsHistory_ = false;
    CardLockWaiting lockWaiting_;
    CCardLock heldLock_;
    RememberedCard remembered_;
};

} // namespace ZQ3
