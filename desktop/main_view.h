#pragma once

#include "app/card_undo.h"
#include "app/command_availability.h"
#include "app/import_command.h"
#include "app/pad_listeners.h"
#include "app/pad_matrix.h"
#include "app/pad_transfer.h"
#include "app/view.h"
#include "desktop/mount_table.h"
#include "gt/profile.h"
#include "sl/convert/sound_file_converter.h"

#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>

class QComboBox;
class QPushButton;

namespace UL {
class ITextDialog;
}

namespace ZQ3 {
class CDomain;
class CPadWaveformCache;
class CPlayer;
namespace Desktop {
class CCardWatcher;
class CDriveComboBox;
class CPadGrid;
class CStatusPanel;
class CUDisks2Client;
class CWaveformView;
class CPlayStartedSignal;
} // namespace Desktop
} // namespace ZQ3

// The main window's client area: the drive and bank choosers, the pad grid, the waveform, the
// status panel and the four buttons. The controller calls its update operations after every
// change of the model; the view turns what its widgets report into controller commands.
class CMainView : public QWidget, public ZQ3::IView, public ZQ3::IPadContainerView {
    Q_OBJECT

public:
    static constexpr int MatrixTop = 64;
    // How often the play line of the waveform moves: smooth to the eye, cheap to draw.
    static constexpr int PlayLineMilliseconds = 40;
    // How soon a card gone while a dialog or a command was busy is looked at again.
    static constexpr int CardRecheckMilliseconds = 250;

    // textDialog asks the view's questions and shows the reports of the core.
    CMainView(ZQ3::CDomain& domain, std::shared_ptr<ZQ3::CPlayer> player, GT::IProfile& profile,
              std::shared_ptr<UL::AStateBitmap> background,
              std::shared_ptr<UL::AStateBitmap> padBitmap,
              std::shared_ptr<UL::ITextDialog> textDialog, QWidget* parent = nullptr);
    ~CMainView() override;

    // Attaches the view to the controller, lays out the matrix and loads the card used last;
    // only then are reports shown, so that a card missing at start-up is not reported.
    void initialUpdate();

    void updateDrive() override;
    void updateBank() override;
    void updatePads() override;
    void updateImport() override;
    void updateExport() override;
    void updateDelete() override;
    // The pads lie in the grid, which covers the view: the same rectangle of the grid.
    void invalidateRect(const ZQ3::CPadRect& rectangle, bool erase) override;

    // The commands of the buttons, for the keyboard and for tests.
    void importToSelectedPad();
    void exportSelectedPad();
    void deleteSelectedPad();
    void exitProgram();
    // Reads and watches the mount table at path (a test's) in place of the system's.
    void setMountTable(const QString& path);
    // Ejects through client (a test's) in place of the system's disk service.
    void setDiskService(std::unique_ptr<ZQ3::Desktop::CUDisks2Client> client);
    // File / Eject Card and the button beside the drive chooser: stops playback, lets go of the
    // card once any change of it has ended, writes out what the system still holds for it, then
    // unmounts its volume and switches its drive off. The status line says when the card may be
    // taken out; a box says why it may not, and how to eject it by hand when the program cannot.
    void ejectCard();
    bool canEject() const;
    // Chooses the drive list entry at index, as the user does.
    void chooseDrive(int index);
    // Asks for a folder and takes it as the card root.
    void chooseOtherFolder();
    // Checks the loaded card, or a folder asked for when none is loaded, shows what does not
    // agree and what a repair would do, and repairs it once the user agrees; the card is loaded
    // afresh afterwards.
    void checkAndRepairCard();
    // File / Back Up Card...: the loaded card's files into a tar archive chosen in a save
    // dialog. File / Restore Card...: a backup chosen in an open dialog put back onto the loaded
    // card after a question, and the card shown afresh. Both show their progress with Cancel.
    void backUpCard();
    void restoreCard();
    bool hasCard() const;
    // Whether changes read back from the card what they wrote before committing; kept in the
    // profile for the next run.
    bool readsBack() const;
    void setReadBack(bool readBack);

    // Edit / Cut, Copy and Paste of the selected pad: pasting a cut pad moves its sample, a
    // copied one copies it, onto the pad selected then, in whichever bank is shown.
    void cutSelectedPad();
    void copySelectedPad();
    void pasteOnSelectedPad();
    bool canCutOrCopy() const;
    bool canPaste() const;
    // Edit / Undo and Redo: the description of the change they would take back or make again
    // on the card shown, in the user's language, or nothing when there is none; and the step.
    std::optional<QString> nextHistoryStep(ZQ3::HistoryDirection direction) const;
    void stepThroughHistory(ZQ3::HistoryDirection direction);
    // Moves or copies the sample of fromSlot onto toSlot of the card shown, asking first when
    // that replaces a sample, and shows the card afresh.
    // fromRoot is the card fromSlot is on; empty for the card shown.
    void transferPad(ZQ3::PadTransferKind kind, int fromSlot, int toSlot,
                     const std::string& fromRoot = {});

    ZQ3::CPadMatrix& matrix();
    ZQ3::Desktop::CPadGrid* padGrid() const { return padGrid_; }
    ZQ3::Desktop::CDriveComboBox* driveCombo() const { return driveCombo_; }
    QComboBox* bankCombo() const { return bankCombo_; }
    QPushButton* importButton() const { return importButton_; }
    QPushButton* exportButton() const { return exportButton_; }
    QPushButton* deleteButton() const { return deleteButton_; }
    QPushButton* exitButton() const { return exitButton_; }
    QPushButton* ejectButton() const { return ejectButton_; }
    ZQ3::Desktop::CStatusPanel* statusLine() const { return status_; }
    // What the pointer over pad of the current bank shows: its length, channels, lo-fi, tempo.
    QString padToolTip(int pad) const;
    // What a screen reader says of pad of the current bank: "C5, 0.42 s, stereo", or that it is
    // empty.
    QString padSpokenText(int pad) const;
    // The selected pad's waveform beside the pad block.
    ZQ3::Desktop::CWaveformView* waveformView() const { return waveformView_; }
    // The text dialog the view asks its questions through; the frame's messages use it too.
    UL::ITextDialog& textDialog() const { return *textDialog_; }
    // Imports files (and the sound files of folders) onto consecutive pads from firstPad of the
    // current bank on, as a drop does: one change of the card, after one question naming the
    // pads that hold a sample and one whether to convert the files the card does not take.
    void importFilesFrom(int firstPad, const QStringList& files);

signals:
    // Asks for the folder of the drive chooser's last entry; whoever answers sets the folder
    // (tests answer it; without an answer the folder dialog asks).
    void folderWanted(QString& folder);
    // Asks for the archive a backup writes (forSaving) or a restore reads, as folderWanted does.
    void backupFileWanted(QString& path, bool forSaving);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Chops the file at path as request says and puts its slices onto consecutive pads from the
    // selected one, in one change of the card; slices that do not fit are refused with the
    // reason before anything is written.
    void importChop(const std::string& path, const SL::CSliceRequest& request,
                    const ZQ3::ImportConversion& conversion);
    // A card unmounted or removed since it was loaded leaves the view, with a report; true when
    // it did.
    bool noticeCardGone();
    // Lists the volumes again; gives the volumes holding a card that were not listed before.
    QStringList rebuildDriveList();
    // The volumes or the card's folder changed: a card taken out leaves the view at once,
    // saying so in the status line, and the drive list follows the volumes.
    void onVolumesChanged(bool mountsChanged);
    // Loads the folder at root as the card, as the drive chooser does; a folder that holds the
    // converter's folder and still does not load is offered to be checked and repaired.
    void loadChosenFolder(const std::string& root);
    // Checks and repairs the card at root after asking, and loads it afresh.
    void repairCardAt(const std::string& root);
    // The watcher follows the card shown.
    void watchCardOfModel();
    // A folder for the card, asked of the user (or of whoever answers folderWanted), without a
    // trailing "/"; empty when none was chosen.
    QString askCardFolder();
    QString askBackupFile(bool forSaving);
    void selectDriveOfModel();
    void onPadStartedPlaying();
    void onBlinkTick();
    // Shows the selected pad's waveform, or starts reading it; empty without a sample.
    void showSelectedWaveform();
    // Starts the waveform reader afresh, once the one before has finished what it read.
    void restartWaveformReader();
    void onPlayLineTick();
    // Stops playback, reporting "Playback failed." when the device would not stop.
    void stopPlayback();
    bool isPlaying() const;
    // Enables button, moving the focus to the drive chooser when it took it from the button.
    void enableKeepingFocus(QWidget* widget, bool enabled);
    void updateStatusLine();
    // Enables widget as state says, with state's reason as its tooltip while it is off.
    void enableCommand(QWidget* widget, const ZQ3::CommandState& state);
    void changeBankBy(int step);

    ZQ3::CDomain& domain_;
    // The slot Cut or Copy took, -1 for none, and whether Paste moves it.
    // The pad cut or copied last, on the card it was on: it may be pasted onto another card.
    std::string clipboardRoot_;
    int clipboardSlot_ = -1;
    bool clipboardCut_ = false;
    std::shared_ptr<ZQ3::CPlayer> player_;
    GT::IProfile& profile_;
    std::shared_ptr<UL::AStateBitmap> background_;
    std::shared_ptr<UL::ITextDialog> textDialog_;
    std::shared_ptr<ZQ3::Desktop::CPlayStartedSignal> playStarted_;
    std::shared_ptr<ZQ3::CPadSelectionEventListener> selection_;
    std::shared_ptr<ZQ3::CPadExecuteEventListener> execute_;

    ZQ3::Desktop::CPadGrid* padGrid_ = nullptr;
    ZQ3::Desktop::CDriveComboBox* driveCombo_ = nullptr;
    QComboBox* bankCombo_ = nullptr;
    QPushButton* importButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QPushButton* ejectButton_ = nullptr;
    ZQ3::Desktop::CStatusPanel* status_ = nullptr;
    ZQ3::Desktop::CWaveformView* waveformView_ = nullptr;
    // Reads waveforms on its own thread; reset first when the view goes.
    std::unique_ptr<ZQ3::CPadWaveformCache> waveforms_;
    QTimer playLineTimer_;
    ZQ3::Desktop::CCardWatcher* cardWatcher_ = nullptr;
    ZQ3::Desktop::CMountTable mountTable_;
    // Made when first asked for, so that a run that ejects nothing never connects to the bus.
    std::unique_ptr<ZQ3::Desktop::CUDisks2Client> diskService_;
    // The card the watcher watches.
    std::string watchedRoot_;
    // What the status line says after a card went away, until a card is loaded again.
    QString cardGoneNote_;
};
