#pragma once

#include "app/pad_listeners.h"
#include "app/pad_matrix.h"
#include "app/view.h"
#include "gt/observer.h"
#include "gt/profile.h"

#include <QComboBox>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <vector>

class CWaveformView;
class QLabel;
class QMimeData;
class QPushButton;

namespace ZQ3 {
class CDomain;
class CPadWaveformCache;
class CPlayer;
} // namespace ZQ3

// The drive chooser: rebuilds its list each time it opens, so that a card put in meanwhile shows.
class CDriveComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> aboutToOpen;
    void showPopup() override;
};

// The main window's client area: the drive and bank choosers, the pad matrix and the four
// buttons. The controller calls its update operations after every change of the model; the view
// turns clicks and keys into controller commands and decides no rule of its own.
class CMainView : public QWidget, public ZQ3::IView, public ZQ3::IPadContainerView {
public:
    static constexpr int MatrixTop = 64;
    // How often a playing pad changes its look.
    static constexpr int BlinkMilliseconds = 250;
    // How often the play line of the waveform moves: smooth to the eye, cheap to draw.
    static constexpr int PlayLineMilliseconds = 40;
    // Item data of the drive chooser's last entry, which asks for any folder.
    static constexpr const char* OtherFolderEntry = "";

    CMainView(ZQ3::CDomain& domain, std::shared_ptr<ZQ3::CPlayer> player, GT::IProfile& profile,
              std::shared_ptr<UL::AStateBitmap> background,
              std::shared_ptr<UL::AStateBitmap> padBitmap, QWidget* parent = nullptr);
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
    void invalidateRect(const ZQ3::CPadRect& rectangle, bool erase) override;

    // The commands of the buttons, for the keyboard and for tests.
    void importToSelectedPad();
    void exportSelectedPad();
    void deleteSelectedPad();
    void exitProgram();
    // Chooses the drive list entry at index, as the user does.
    void chooseDrive(int index);
    // Asks for a folder and takes it as the card root.
    void chooseOtherFolder();

    ZQ3::CPadMatrix& matrix() { return *matrix_; }
    CDriveComboBox* driveCombo() const { return driveCombo_; }
    QComboBox* bankCombo() const { return bankCombo_; }
    QPushButton* importButton() const { return importButton_; }
    QPushButton* exportButton() const { return exportButton_; }
    QPushButton* deleteButton() const { return deleteButton_; }
    QPushButton* exitButton() const { return exitButton_; }
    QLabel* statusLine() const { return status_; }
    // What the pointer over pad of the current bank shows: its length, channels, lo-fi, tempo.
    QString padToolTip(int pad) const;
    // The selected pad's waveform beside the pad block.
    CWaveformView* waveformView() const { return waveformView_; }
    bool isBlinking() const { return blinkTimer_.isActive(); }
    // The pads that files dragged over the block would fill; empty while nothing is dragged.
    const std::vector<int>& dropTargets() const { return dropTargets_; }
    // Imports files (and the sound files of folders) onto consecutive pads from firstPad of the
    // current bank on, as a drop does: one change of the card, after one question naming the
    // pads that hold a sample and one whether to convert the files the card does not take.
    void importFilesFrom(int firstPad, const QStringList& files);

    // Asks a folder for the drive chooser's last entry; tests replace the folder dialog.
    std::function<QString()> askFolder;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class CPadPlayObserver;

    void rebuildDriveList();
    // A card unmounted or removed since it was loaded leaves the view, with a report; true when
    // it did.
    bool noticeCardGone();
    void selectDriveOfModel();
    void onPadStartedPlaying();
    void onBlinkTick();
    // Shows the selected pad's waveform, or starts reading it; empty without a sample.
    void showSelectedWaveform();
    void onPlayLineTick();
    // Stops playback, reporting "Playback failed." when the device would not stop.
    void stopPlayback();
    // Enables button, moving the focus to the drive chooser when it took it from the button.
    void enableKeepingFocus(QWidget* widget, bool enabled);
    void updateStatusLine();
    void changeBankBy(int step);
    // The local files of a drag, and the pads they would fill from the pad under position.
    static QStringList DroppedFiles(const QMimeData* data);
    std::vector<int> padsForDrop(const QPoint& position, int fileCount) const;
    void setDropTargets(std::vector<int> targets);

    ZQ3::CDomain& domain_;
    std::shared_ptr<ZQ3::CPlayer> player_;
    GT::IProfile& profile_;
    std::shared_ptr<UL::AStateBitmap> background_;
    std::shared_ptr<ZQ3::CPadMatrix> matrix_;
    std::shared_ptr<CPadPlayObserver> playObserver_;
    std::shared_ptr<ZQ3::CPadArrowFocusEventListener> focusListener_;
    QTimer blinkTimer_;
    int blinkingPad_ = -1;
    std::vector<int> dropTargets_;
    // How many sound files the files and folders being dragged stand for.
    int dragFileCount_ = 0;

    QLabel* driveLabel_ = nullptr;
    CDriveComboBox* driveCombo_ = nullptr;
    QLabel* bankLabel_ = nullptr;
    QComboBox* bankCombo_ = nullptr;
    QPushButton* importButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* deleteButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QLabel* status_ = nullptr;
    CWaveformView* waveformView_ = nullptr;
    // Reads waveforms on its own thread; reset first when the view goes.
    std::unique_ptr<ZQ3::CPadWaveformCache> waveforms_;
    QTimer playLineTimer_;
};
