#include "desktop/main_view.h"

#include "app/card_probe.h"
#include "app/command_availability.h"
#include "app/controller.h"
#include "app/domain.h"
#include "app/import_batch.h"
#include "app/import_plan.h"
#include "app/message_catalogue.h"
#include "app/pad_sample_text.h"
#include "app/pad_waveform_cache.h"
#include "app/player.h"
#include "app/preferences.h"
#include "app/private_directory.h"
#include "app/report.h"
#include "app/slice_import.h"
#include "card/card_layout.h"
#include "card/card_lock.h"
#include "card/path_names.h"
#include "desktop/card_backup_flow.h"
#include "desktop/card_repair_flow.h"
#include "desktop/card_watcher.h"
#include "desktop/drive_combo_box.h"
#include "desktop/pad_grid.h"
#include "desktop/pad_transfer_flow.h"
#include "desktop/play_started_signal.h"
#include "desktop/qt_text_dialog.h"
#include "desktop/status_panel.h"
#include "desktop/udisks2_client.h"
#include "desktop/wave_file_open_dialog.h"
#include "desktop/wave_file_save_dialog.h"
#include "desktop/waveform_view.h"
#include "sl/log/logger.h"
#include "ul/cursor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QIconEngine>
#include <QLabel>
#include <QMetaMethod>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// "D5", as the core names pads.
QString PadName(int bank, int pad) {
    return QString::fromStdString(ZQ3::CardLayout::PadName(ZQ3::CardLayout::Slot(bank, pad)));
}

// "E4: 0.42 s, stereo": the pad a question is about, and what it would lose.
std::string SelectedPadSampleText(const ZQ3::CModel& model) {
    return ZQ3::PadSampleText(ZQ3::CardLayout::Slot(model.bank, model.selectedPad),
                              model.entryOf(model.selectedPad));
}

// The eject sign, drawn from its shapes at whatever size and pixel density it is shown, for a
// desktop whose icon theme has none.
class CEjectIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        const QColor colour = QApplication::palette().color(
            mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active, QPalette::ButtonText);
        const QRectF area = QRectF(rect).adjusted(rect.width() * 0.15, rect.height() * 0.2,
                                                  -rect.width() * 0.15, -rect.height() * 0.2);
        QPainterPath arrow;
        arrow.moveTo(area.center().x(), area.top());
        arrow.lineTo(area.right(), area.top() + area.height() * 0.6);
        arrow.lineTo(area.left(), area.top() + area.height() * 0.6);
        arrow.closeSubpath();
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->fillPath(arrow, colour);
        painter->fillRect(QRectF(area.left(), area.bottom() - area.height() * 0.22, area.width(),
                                 area.height() * 0.22),
                          colour);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        // A new pixmap holds whatever was in its memory: it starts clear.
        QPixmap picture(size);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return picture;
    }
    QIconEngine* clone() const override { return new CEjectIconEngine; }
};

// Writes out what the system still holds for the volume of the folder at root; the reason when
// it cannot.
QString FlushVolumeOf(const std::string& root) {
    const int folder = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0 || ::syncfs(folder) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        if (folder >= 0) {
            ::close(folder);
        }
        return reason;
    }
    ::close(folder);
    return {};
}

// The bank names the sampler shows: bank 0 is "C".
QString BankName(int bank) {
    return QString(QChar('C' + bank));
}

} // namespace

CMainView::CMainView(ZQ3::CDomain& domain, std::shared_ptr<ZQ3::CPlayer> player,
                     GT::IProfile& profile, std::shared_ptr<UL::AStateBitmap> background,
                     std::shared_ptr<UL::AStateBitmap> padBitmap,
                     std::shared_ptr<UL::ITextDialog> textDialog, QWidget* parent)
    : QWidget(parent), domain_(domain), player_(std::move(player)), profile_(profile),
      background_(background), textDialog_(std::move(textDialog)),
      playStarted_(std::make_shared<ZQ3::Desktop::CPlayStartedSignal>()) {
    setAutoFillBackground(true);
    using namespace ZQ3::Desktop;

    // The grid lies under the other widgets and takes the keyboard for the view.
    padGrid_ = new CPadGrid(std::move(background), std::move(padBitmap), this);
    setFocusProxy(padGrid_);

    auto* driveLabel = new QLabel(tr("ZQ-314 Card &Drive:"), this);
    driveLabel->setGeometry(12, 6, 376, 20);
    driveCombo_ = new CDriveComboBox(this);
    driveCombo_->setGeometry(12, 26, 340, 28);
    driveCombo_->setIconSize(QSize(16, 16));
    driveLabel->setBuddy(driveCombo_);
    ejectButton_ = new QPushButton(
        QIcon::fromTheme(QStringLiteral("media-eject"), QIcon(new CEjectIconEngine)), QString(),
        this);
    ejectButton_->setGeometry(356, 26, 32, 28);
    ejectButton_->setToolTip(tr("Eject the card, so that it can be taken out safely"));
    ejectButton_->setAccessibleName(tr("Eject Card"));
    ejectButton_->setEnabled(false);

    auto* bankLabel = new QLabel(tr("ZQ-314 &Bank Select:"), this);
    bankLabel->setGeometry(408, 6, 180, 20);
    bankCombo_ = new QComboBox(this);
    bankCombo_->setGeometry(408, 26, 180, 28);
    bankLabel->setBuddy(bankCombo_);

    importButton_ = new QPushButton(tr("&Import"), this);
    importButton_->setGeometry(12, 304, 130, 28);
    exportButton_ = new QPushButton(tr("&Export"), this);
    exportButton_->setGeometry(12, 338, 130, 28);
    deleteButton_ = new QPushButton(tr("De&lete"), this);
    deleteButton_->setGeometry(458, 304, 130, 28);
    exitButton_ = new QPushButton(tr("E&xit"), this);
    exitButton_->setGeometry(458, 338, 130, 28);
    status_ = new CStatusPanel(this);
    status_->setGeometry(150, 304, 300, 62);

    // The waveform takes the space right of the pad block, as wide as the buttons below it.
    waveformView_ = new CWaveformView(this);
    waveformView_->setAccessibleName(tr("Waveform of the selected pad"));
    waveformView_->setGeometry(458, MatrixTop, 130, background_->cellHeight);
    restartWaveformReader();
    playLineTimer_.setInterval(PlayLineMilliseconds);
    cardWatcher_ = new CCardWatcher(this);
    connect(cardWatcher_, &CCardWatcher::mountsChanged, this, [this] { onVolumesChanged(true); });
    connect(cardWatcher_, &CCardWatcher::cardFolderChanged, this,
            [this] { onVolumesChanged(false); });

    connect(driveCombo_, &CDriveComboBox::aboutToOpen, this, [this] {
        noticeCardGone();
        rebuildDriveList();
    });
    connect(driveCombo_, &QComboBox::activated, this, &CMainView::chooseDrive);
    connect(bankCombo_, &QComboBox::activated, this,
            [this](int bank) { domain_.controller->selectBank(bank); });
    connect(importButton_, &QPushButton::clicked, this, &CMainView::importToSelectedPad);
    connect(exportButton_, &QPushButton::clicked, this, &CMainView::exportSelectedPad);
    connect(deleteButton_, &QPushButton::clicked, this, &CMainView::deleteSelectedPad);
    connect(exitButton_, &QPushButton::clicked, this, &CMainView::exitProgram);
    connect(ejectButton_, &QPushButton::clicked, this, &CMainView::ejectCard);
    connect(padGrid_, &CPadGrid::padSelected, this,
            [this](int pad) { selection_->selectPad(*matrix().getPads()[std::size_t(pad)]); });
    connect(padGrid_, &CPadGrid::padActivated, this,
            [this](int pad) { execute_->playPad(*matrix().getPads()[std::size_t(pad)]); });
    connect(padGrid_, &CPadGrid::firstPadRequested, this,
            [this](int pad) { domain_.controller->selectPad(pad); });
    connect(padGrid_, &CPadGrid::deleteRequested, this, [this] {
        if (deleteButton_->isEnabled()) {
            deleteSelectedPad();
        }
    });
    connect(padGrid_, &CPadGrid::padDragged, this, [this](int from, int to, bool copy) {
        const int bank = domain_.model->bank;
        transferPad(copy ? ZQ3::PadTransferKind::Copy : ZQ3::PadTransferKind::Move,
                    ZQ3::CardLayout::Slot(bank, from), ZQ3::CardLayout::Slot(bank, to));
    });
    connect(padGrid_, &CPadGrid::bankStepRequested, this, &CMainView::changeBankBy);
    connect(padGrid_, &CPadGrid::stopRequested, this, &CMainView::stopPlayback);
    connect(padGrid_, &CPadGrid::blinkTick, this, &CMainView::onBlinkTick);
    // The file manager waits until its drop is taken; the questions and the import come after.
    connect(padGrid_, &CPadGrid::filesDropped, this, &CMainView::importFilesFrom,
            Qt::QueuedConnection);
    connect(playStarted_.get(), &CPlayStartedSignal::started, this, &CMainView::onPadStartedPlaying,
            Qt::QueuedConnection);
    connect(&playLineTimer_, &QTimer::timeout, this, &CMainView::onPlayLineTick);
}

CMainView::~CMainView() {
    // Waits for a waveform being read, before anything it reports to is gone.
    waveforms_.reset();
    playLineTimer_.stop();
    if (domain_.controller && domain_.controller->view() == this) {
        domain_.controller->setView(nullptr);
    }
}

ZQ3::CPadMatrix& CMainView::matrix() {
    return padGrid_->matrix();
}

void CMainView::invalidateRect(const ZQ3::CPadRect& rectangle, bool erase) {
    padGrid_->invalidateRect(rectangle, erase);
}

void CMainView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    padGrid_->setGeometry(rect());
}

void CMainView::initialUpdate() {
    ZQ3::CController& controller = *domain_.controller;
    controller.setView(this);
    if (player_) {
        player_->addObserver(playStarted_);
    }
    const int originX = (width() - background_->cellWidth) / 2;
    execute_ = std::make_shared<ZQ3::CPadExecuteEventListener>(controller, player_);
    selection_ = std::make_shared<ZQ3::CPadSelectionEventListener>(controller, player_);
    // The keyboard acts on the selected pad: arrows move the selection, Space and Enter play or
    // stop it.
    auto focus = std::make_shared<ZQ3::CPadArrowFocusEventListener>(
        selection_, matrix().columns, matrix().rows * matrix().columns);
    padGrid_->initialize(this, originX, MatrixTop,
                         std::make_shared<ZQ3::CPadPlayStopEventListener>(player_, execute_),
                         focus);
    focus->setPads(&matrix().getPads());

    updateDrive();
    const ZQ3::CModel& model = *domain_.model;
    controller.selectDrive(model.cardRoot, model.bank);
    SL::CLogger::Instance().SetPrinter(
        std::make_shared<ZQ3::Desktop::CMessageBoxPrinter>(textDialog_));
    padGrid_->setFocus();
}

void CMainView::updateDrive() {
    rebuildDriveList();
}

QStringList CMainView::rebuildDriveList() {
    const QStringList before = driveCombo_->cardVolumes();
    driveCombo_->rebuild(QString::fromStdString(domain_.model->cardRoot), mountTable_.read());
    QStringList appeared;
    for (const QString& card : driveCombo_->cardVolumes()) {
        if (!before.contains(card)) {
            appeared.append(card);
        }
    }
    return appeared;
}

void CMainView::restartWaveformReader() {
    waveforms_.reset();
    waveforms_ = std::make_unique<ZQ3::CPadWaveformCache>(waveformView_->plotPixels(), [this] {
        // Called on the reading thread: the view looks again on its own.
        QMetaObject::invokeMethod(
            this, [this] { showSelectedWaveform(); }, Qt::QueuedConnection);
    });
}

void CMainView::setDiskService(std::unique_ptr<ZQ3::Desktop::CUDisks2Client> client) {
    diskService_ = std::move(client);
}

bool CMainView::canEject() const {
    return domain_.model->hasCard();
}

void CMainView::ejectCard() {
    stopPlayback();
    if (noticeCardGone() || !canEject()) {
        return;
    }
    const std::string root = domain_.model->cardRoot;
    const int bank = domain_.model->bank;
    ZQ3::Desktop::MountEntry mount = mountTable_.mountHolding(QString::fromStdString(root));
    // Without a mount table to tell, the card's own folder is taken as its mount point.
    if (mount.root.isEmpty()) {
        mount.root = QString::fromStdString(root);
    }
    const auto tell = [this](const QString& headline, const QString& detail) {
        textDialog_->askWithDetail(UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconWarning,
                                   headline.toStdString(), detail.toStdString());
    };
    // The card stays in the computer: it is shown again.
    const auto notEjected = [&](const QString& headline, const QString& detail) {
        domain_.controller->selectDrive(root, bank);
        rebuildDriveList();
        selectDriveOfModel();
        tell(headline, detail);
    };
    QString flushProblem;
    {
        // A change another converter is making ends first. Then nothing of the program may keep
        // a file on the card open: the card is let go of and a waveform being read is waited
        // for. The lock itself is let go of before the unmount, which its open folder would
        // keep from happening.
        ZQ3::CCardLock lock;
        if (lock.acquire(root, domain_.controller->cardLockWaiting()) !=
            ZQ3::CCardLock::Result::Locked) {
            tell(tr("The card was not ejected: another program is changing it."),
                 tr("Wait until it has finished, then eject the card again."));
            return;
        }
        domain_.controller->releaseCard();
        restartWaveformReader();
        flushProblem = FlushVolumeOf(root);
    }
    if (!flushProblem.isEmpty()) {
        notEjected(tr("The card was not ejected: what was written to it could not be "
                      "written out."),
                   flushProblem);
        return;
    }
    if (!diskService_) {
        diskService_ = std::make_unique<ZQ3::Desktop::CUDisks2Client>();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ZQ3::Desktop::EjectResult result = diskService_->eject(mount.root);
    QApplication::restoreOverrideCursor();
    using Client = ZQ3::Desktop::CUDisks2Client;
    if (!result.safeToRemove()) {
        notEjected(Client::Headline(result), Client::Detail(result, mount.root, mount.device));
        return;
    }
    cardGoneNote_ = Client::Headline(result);
    updateStatusLine();
    status_->setToolTip(Client::Detail(result, mount.root, mount.device));
    rebuildDriveList();
    selectDriveOfModel();
}

void CMainView::setMountTable(const QString& path) {
    mountTable_.setPath(path);
    cardWatcher_->watchMountTable(path);
    rebuildDriveList();
    selectDriveOfModel();
}

void CMainView::onVolumesChanged(bool mountsChanged) {
    const ZQ3::CModel& model = *domain_.model;
    const bool cardGone = model.hasCard() && ZQ3::CardFolderGone(model.cardRoot);
    // A dialog or a command running under a progress window works on the model now; the card
    // is let go of once they are done.
    if (cardGone && (QApplication::activeModalWidget() != nullptr || !window()->isEnabled())) {
        QTimer::singleShot(CardRecheckMilliseconds, this, [this] { onVolumesChanged(true); });
        return;
    }
    if (cardGone) {
        const QString root = QString::fromStdString(model.cardRoot);
        // Nothing asks: the user took the card out and knows; the status line says it.
        domain_.controller->releaseCard();
        cardGoneNote_ = tr("The card at %1 was removed.").arg(root);
        updateStatusLine();
    }
    // The card's own folder changes with every import, which leaves the volumes as they were.
    // An open list is left alone: it is rebuilt whenever it opens. The entry chosen is what is
    // loaded now, so that a card gone is not kept in the list as the one chosen.
    if ((mountsChanged || cardGone) && !driveCombo_->view()->isVisible()) {
        selectDriveOfModel();
        const QStringList appeared = rebuildDriveList();
        selectDriveOfModel();
        // A card put in while none is open is what the user wants to work on; with two at once
        // the choice is theirs.
        if (!domain_.model->hasCard() && appeared.size() == 1 &&
            QApplication::activeModalWidget() == nullptr && window()->isEnabled()) {
            loadChosenFolder(appeared.front().toStdString());
            rebuildDriveList();
            selectDriveOfModel();
        }
    }
}

bool CMainView::noticeCardGone() {
    const ZQ3::CModel& model = *domain_.model;
    if (model.hasCard() && !ZQ3::HoldsCard(model.cardRoot)) {
        // Loading it again says why it is gone and leaves the program without a card, so the
        // user hears of it once.
        const std::string root = model.cardRoot;
        domain_.controller->selectDrive(root, model.bank);
        return true;
    }
    return false;
}

void CMainView::selectDriveOfModel() {
    driveCombo_->choose(QString::fromStdString(domain_.model->cardRoot));
}

void CMainView::chooseDrive(int index) {
    if (index < 0) {
        return;
    }
    if (driveCombo_->isOtherFolderEntry(index)) {
        chooseOtherFolder();
        return;
    }
    loadChosenFolder(driveCombo_->itemData(index).toString().toStdString());
    // A folder that turned out not to be a card leaves no card; the chooser shows what is loaded.
    rebuildDriveList();
    selectDriveOfModel();
}

QString CMainView::askCardFolder() {
    QString folder;
    if (isSignalConnected(QMetaMethod::fromSignal(&CMainView::folderWanted))) {
        emit folderWanted(folder);
    } else {
        folder = QFileDialog::getExistingDirectory(this, tr("Choose the card's folder"));
    }
    while (folder.size() > 1 && folder.endsWith('/')) {
        folder.chop(1);
    }
    return folder;
}

void CMainView::chooseOtherFolder() {
    const QString folder = askCardFolder();
    if (!folder.isEmpty()) {
        loadChosenFolder(folder.toStdString());
    }
    rebuildDriveList();
    selectDriveOfModel();
}

bool CMainView::readsBack() const {
    return domain_.controller->readsBack();
}

void CMainView::setReadBack(bool readBack) {
    domain_.controller->setReadBack(readBack);
    ZQ3::CPreferences::WriteReadBack(profile_, readBack);
}

bool CMainView::canCutOrCopy() const {
    return domain_.model->hasCard() && domain_.model->selectedPadHasSample();
}

bool CMainView::canPaste() const {
    return clipboardSlot_ >= 0 && domain_.model->hasCard() && domain_.model->selectedPad >= 0;
}

void CMainView::cutSelectedPad() {
    if (canCutOrCopy()) {
        clipboardRoot_ = domain_.model->cardRoot;
        clipboardSlot_ = ZQ3::CardLayout::Slot(domain_.model->bank, domain_.model->selectedPad);
        clipboardCut_ = true;
    }
}

void CMainView::copySelectedPad() {
    if (canCutOrCopy()) {
        clipboardRoot_ = domain_.model->cardRoot;
        clipboardSlot_ = ZQ3::CardLayout::Slot(domain_.model->bank, domain_.model->selectedPad);
        clipboardCut_ = false;
    }
}

void CMainView::pasteOnSelectedPad() {
    if (!canPaste()) {
        return;
    }
    const int target = ZQ3::CardLayout::Slot(domain_.model->bank, domain_.model->selectedPad);
    if (target == clipboardSlot_ && clipboardRoot_ == domain_.model->cardRoot) {
        return;
    }
    const std::string sourceRoot = clipboardRoot_;
    const int source = clipboardSlot_;
    const bool move = clipboardCut_;
    // A cut pad is pasted once: its sample is gone from where it was.
    if (move) {
        clipboardSlot_ = -1;
    }
    transferPad(move ? ZQ3::PadTransferKind::Move : ZQ3::PadTransferKind::Copy, source, target,
                sourceRoot);
}

std::optional<QString> CMainView::nextHistoryStep(ZQ3::HistoryDirection direction) const {
    if (domain_.model->readOnly) {
        return std::nullopt;
    }
    const std::optional<ZQ3::HistoryEntry> entry = domain_.controller->nextHistoryStep(direction);
    if (!entry) {
        return std::nullopt;
    }
    return QString::fromStdString(ZQ3::ChangeDescriptionText(entry->description));
}

void CMainView::stepThroughHistory(ZQ3::HistoryDirection direction) {
    stopPlayback();
    if (noticeCardGone() || !nextHistoryStep(direction)) {
        return;
    }
    // The controller shows the card as it is afterwards, whatever the step came to.
    domain_.controller->stepThroughHistory(direction);
}

void CMainView::transferPad(ZQ3::PadTransferKind kind, int fromSlot, int toSlot,
                            const std::string& fromRoot) {
    stopPlayback();
    if (noticeCardGone()) {
        return;
    }
    const std::string root = domain_.model->cardRoot;
    const std::string sourceRoot = fromRoot.empty() ? root : fromRoot;
    const int bank = domain_.model->bank;
    if (!ZQ3::Desktop::TransferPadsAsked(sourceRoot, root, kind, {{fromSlot, toSlot}},
                                         domain_.controller->readsBack(),
                                         domain_.controller->recordsHistory(), *textDialog_,
                                         domain_.controller->cardLockWaiting())) {
        return;
    }
    domain_.controller->selectDrive(root, bank);
    if (toSlot / ZQ3::CardLayout::PadsPerBank == bank) {
        domain_.controller->selectPad(toSlot % ZQ3::CardLayout::PadsPerBank);
    }
}

void CMainView::loadChosenFolder(const std::string& root) {
    const std::string notACard = ZQ3::MessageCatalogue::Instance().text(ZQ3::MessageNotACard);
    std::string detail;
    {
        ZQ3::Desktop::CHeldReports held;
        const bool loaded = domain_.controller->selectDrive(root, 0);
        const auto& reports = held.reports();
        // A folder that holds the converter's folder and does not read as a card is most
        // likely a damaged card: its report comes with the offer to check and repair it.
        if (loaded || reports.size() != 1 || reports.front().message != notACard ||
            ZQ3::CardFolderGone(root)) {
            held.release();
            return;
        }
        detail = reports.front().detail;
    }
    detail += (detail.empty() ? "" : "\n\n") +
              tr("Check and Repair Card... can rescue the pads whose files are whole. Check and "
                 "repair this card now?")
                  .toStdString();
    if (textDialog_->askWithDetail(UL::ITextDialog::ButtonsYesNo, UL::ITextDialog::IconWarning,
                                   notACard, detail) == UL::ITextDialog::AnswerYes) {
        repairCardAt(root);
    }
}

bool CMainView::hasCard() const {
    return domain_.model->hasCard();
}

QString CMainView::askBackupFile(bool forSaving) {
    QString path;
    if (isSignalConnected(QMetaMethod::fromSignal(&CMainView::backupFileWanted))) {
        emit backupFileWanted(path, forSaving);
        return path;
    }
    const QString types = tr("Card backups (*.tar)");
    if (forSaving) {
        const QString name =
            QStringLiteral("%1-%2.tar")
                .arg(QString::fromStdString(ZQ3::PathNames::LastPart(domain_.model->cardRoot)))
                .arg(QDate::currentDate().toString(Qt::ISODate));
        return QFileDialog::getSaveFileName(this, tr("Back Up Card"), QDir::home().filePath(name),
                                            types);
    }
    return QFileDialog::getOpenFileName(this, tr("Restore Card"), QDir::homePath(), types);
}

void CMainView::backUpCard() {
    stopPlayback();
    if (noticeCardGone() || !hasCard()) {
        return;
    }
    QString path = askBackupFile(true);
    if (path.isEmpty()) {
        return;
    }
    // The save dialog asked before it chose an existing file, but not about a name it was not
    // shown: that of the file type added here.
    const bool named = path.endsWith(QStringLiteral(".tar"), Qt::CaseInsensitive);
    if (!named) {
        path += QStringLiteral(".tar");
    }
    const std::shared_ptr<UL::IProgress> progress = domain_.controller->makeProgress();
    ZQ3::Desktop::BackUpCardShown(domain_.model->cardRoot, path.toStdString(), named, *progress,
                                  *textDialog_, domain_.controller->cardLockWaiting());
}

void CMainView::restoreCard() {
    stopPlayback();
    if (noticeCardGone() || !hasCard()) {
        return;
    }
    const QString path = askBackupFile(false);
    if (path.isEmpty()) {
        return;
    }
    const std::string root = domain_.model->cardRoot;
    const int bank = domain_.model->bank;
    const std::shared_ptr<UL::IProgress> progress = domain_.controller->makeProgress();
    if (ZQ3::Desktop::RestoreCardAsked(root, path.toStdString(), domain_.controller->readsBack(),
                                       domain_.controller->recordsHistory(), *progress,
                                       *textDialog_, domain_.controller->cardLockWaiting())) {
        domain_.controller->selectDrive(root, bank);
    }
}

void CMainView::checkAndRepairCard() {
    stopPlayback();
    std::string root = domain_.model->cardRoot;
    if (root.empty()) {
        const QString folder = askCardFolder();
        if (folder.isEmpty()) {
            return;
        }
        root = folder.toStdString();
    }
    repairCardAt(root);
}

void CMainView::repairCardAt(const std::string& root) {
    if (!ZQ3::Desktop::CheckAndRepairCard(root, *textDialog_,
                                          domain_.controller->cardLockWaiting())) {
        return;
    }
    domain_.controller->selectDrive(root, domain_.model->hasCard() ? domain_.model->bank : 0);
    rebuildDriveList();
    selectDriveOfModel();
}

void CMainView::updateBank() {
    const ZQ3::CModel& model = *domain_.model;
    if (!model.hasCard()) {
        const bool hadFocus = bankCombo_->hasFocus();
        bankCombo_->clear();
        bankCombo_->setEnabled(false);
        if (hadFocus) {
            driveCombo_->setFocus();
        }
    } else {
        if (bankCombo_->count() != ZQ3::CardLayout::BankCount) {
            bankCombo_->clear();
            for (int bank = 0; bank < ZQ3::CardLayout::BankCount; ++bank) {
                bankCombo_->addItem(BankName(bank));
            }
        }
        bankCombo_->setCurrentIndex(model.bank);
        bankCombo_->setEnabled(true);
    }
    watchCardOfModel();
    updateStatusLine();
}

void CMainView::updatePads() {
    const ZQ3::CModel& model = *domain_.model;
    std::vector<bool> hasSample;
    for (int pad = 0; pad < ZQ3::CardLayout::PadsPerBank; ++pad) {
        hasSample.push_back(model.hasSample(pad));
        padGrid_->setPadToolTip(pad, padToolTip(pad));
        padGrid_->setPadAccessibleText(pad, padSpokenText(pad));
    }
    padGrid_->showPads(model.hasCard(), hasSample, model.selectedPad);
    updateStatusLine();
    showSelectedWaveform();
}

void CMainView::enableKeepingFocus(QWidget* widget, bool enabled) {
    const bool hadFocus = widget->hasFocus();
    widget->setEnabled(enabled);
    if (!enabled && hadFocus) {
        driveCombo_->setFocus();
    }
}

void CMainView::enableCommand(QWidget* widget, const ZQ3::CommandState& state) {
    enableKeepingFocus(widget, state.enabled);
    // A disabled button says why; the core gives the reason in the interface's language.
    widget->setToolTip(QString::fromStdString(state.reason));
}

void CMainView::updateImport() {
    enableCommand(importButton_, ZQ3::AvailableCommands(*domain_.model).importFile);
}

void CMainView::updateExport() {
    enableCommand(exportButton_, ZQ3::AvailableCommands(*domain_.model).exportPad);
}

void CMainView::updateDelete() {
    enableCommand(deleteButton_, ZQ3::AvailableCommands(*domain_.model).deletePad);
}

bool CMainView::isPlaying() const {
    const auto& device = player_ ? player_->getAudioOutDevice() : nullptr;
    return device && device->isPlaying();
}

void CMainView::stopPlayback() {
    if (isPlaying()) {
        player_->stop();
    }
}

void CMainView::importToSelectedPad() {
    stopPlayback();
    // A card that went away is let go of before any dialog asks about it.
    if (noticeCardGone()) {
        return;
    }
    const ZQ3::CModel& model = *domain_.model;
    if (!model.hasCard() || model.selectedPad < 0) {
        return;
    }
    if (model.selectedPadHasSample()) {
        const int answer = textDialog_->askWithDetail(
            UL::ITextDialog::ButtonsOkCancel, UL::ITextDialog::IconQuestion,
            ZQ3::MessageCatalogue::Instance().text(ZQ3::MessageOverwriteQuestion),
            SelectedPadSampleText(model));
        if (answer != UL::ITextDialog::AnswerOk) {
            return;
        }
    }
    CWaveFileOpenDialog dialog(model, player_, profile_, window());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    const std::string path = dialog.selectedFiles().first().toStdString();
    if (const std::optional<SL::CSliceRequest>& chop = dialog.chopRequest()) {
        importChop(path, *chop, dialog.importConversion());
        return;
    }
    domain_.controller->importFile(path, dialog.importConversion());
}

void CMainView::importChop(const std::string& path, const SL::CSliceRequest& request,
                           const ZQ3::ImportConversion& conversion) {
    const ZQ3::CModel& model = *domain_.model;
    const int firstSlot = ZQ3::CardLayout::Slot(model.bank, model.selectedPad);
    // The slices are written into a work folder first, as zq3 import --slices does, and go
    // with it once imported.
    ZQ3::CPrivateDirectory work;
    ZQ3::SlicedFile sliced;
    {
        UL::CWaitCursor wait;
        sliced = ZQ3::SliceIntoFiles(path, request, conversion.options, firstSlot, work);
    }
    if (!sliced.done) {
        if (!sliced.refusal.empty()) {
            ZQ3::ReportMessage(ZQ3::MessageImportFailed, sliced.refusal);
        }
        return;
    }
    const ZQ3::CImportPlan plan(model, firstSlot, sliced.paths);
    if (!plan.isValid()) {
        ZQ3::ReportMessage(ZQ3::MessageImportFailed, plan.problemText());
        return;
    }
    // The slices are in the card's format already.
    ZQ3::ImportAnswers answers;
    if (plan.asksToReplace(false)) {
        answers.replace =
            textDialog_->ask(UL::ITextDialog::ButtonsOkCancel, UL::ITextDialog::IconQuestion,
                             plan.replaceQuestion()) == UL::ITextDialog::AnswerOk;
    }
    domain_.controller->importPlanned(plan, answers);
}

void CMainView::exportSelectedPad() {
    stopPlayback();
    if (noticeCardGone()) {
        return;
    }
    if (!domain_.model->selectedPadHasSample()) {
        return;
    }
    CWaveFileSaveDialog dialog(*domain_.model, profile_, window());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    domain_.controller->exportPad(dialog.chosenFormat().GetValue(),
                                  dialog.selectedFiles().first().toStdString());
}

void CMainView::deleteSelectedPad() {
    stopPlayback();
    if (noticeCardGone()) {
        return;
    }
    const ZQ3::CModel& model = *domain_.model;
    if (!model.selectedPadHasSample()) {
        return;
    }
    const int pad = model.selectedPad;
    const int answer = textDialog_->askWithDetail(
        UL::ITextDialog::ButtonsOkCancel, UL::ITextDialog::IconQuestion,
        ZQ3::MessageCatalogue::Instance().text(ZQ3::MessageDeleteQuestion),
        SelectedPadSampleText(model));
    if (answer == UL::ITextDialog::AnswerOk) {
        domain_.controller->deletePad(pad);
    }
}

void CMainView::exitProgram() {
    stopPlayback();
    window()->close();
}

void CMainView::changeBankBy(int step) {
    const ZQ3::CModel& model = *domain_.model;
    if (!model.hasCard()) {
        return;
    }
    const int bank = model.bank + step;
    if (ZQ3::CardLayout::IsValidBank(bank)) {
        domain_.controller->selectBank(bank);
    }
}

void CMainView::onPadStartedPlaying() {
    padGrid_->startBlinking(domain_.model->selectedPad);
    if (padGrid_->isBlinking()) {
        playLineTimer_.start();
        onPlayLineTick();
    }
}

void CMainView::onBlinkTick() {
    if (!isPlaying()) {
        padGrid_->stopBlinking();
    }
}

void CMainView::showSelectedWaveform() {
    if (!waveforms_) {
        return;
    }
    const std::shared_ptr<ZQ3::CModel> model = domain_.model;
    const int pad = model->selectedPad;
    if (!model->hasCard() || !ZQ3::CardLayout::IsValidPad(pad)) {
        waveformView_->clear();
        return;
    }
    const QString name = PadName(model->bank, pad);
    if (!model->hasSample(pad)) {
        waveformView_->showWaveform(nullptr, name);
        return;
    }
    const QString length = tr("%1 s").arg(model->playedSeconds(pad), 0, 'f', 2);
    auto waveform = waveforms_->waveformOf(model, pad);
    // Looked up again while the pad plays, the same outline keeps its play line.
    if (waveform && waveform == waveformView_->waveform()) {
        return;
    }
    waveformView_->showWaveform(std::move(waveform), name, length);
}

void CMainView::onPlayLineTick() {
    const ZQ3::CModel& model = *domain_.model;
    const auto& device = player_ ? player_->getAudioOutDevice() : nullptr;
    const int pad = model.selectedPad;
    if (!device || !device->isPlaying() || padGrid_->blinkingPad() != pad ||
        !model.hasSample(pad)) {
        playLineTimer_.stop();
        waveformView_->setPlayPosition(-1.0);
        return;
    }
    // The device counts the samples of the pad's own stream, its channels interleaved.
    const double frames = static_cast<double>(device->getPosition()) /
                          static_cast<double>(model.entryOf(pad).channelCount());
    waveformView_->setPlayPosition(frames / static_cast<double>(model.playedLength(pad)));
}

void CMainView::updateStatusLine() {
    const ZQ3::CModel& model = *domain_.model;
    enableKeepingFocus(ejectButton_, canEject());
    if (model.hasCard()) {
        cardGoneNote_.clear();
    }
    if (!cardGoneNote_.isEmpty()) {
        status_->setText(cardGoneNote_);
        return;
    }
    const ZQ3::CommandAvailability commands = ZQ3::AvailableCommands(model);
    if (!commands.cardNotice.empty()) {
        status_->showCardNotice(commands.cardNotice, commands.importFile.reason);
        return;
    }
    status_->showCardSpace(model.hasCard() ? model.cardRoot : std::string());
}

void CMainView::watchCardOfModel() {
    const std::string root = domain_.model->hasCard() ? domain_.model->cardRoot : std::string();
    if (root != watchedRoot_) {
        watchedRoot_ = root;
        cardWatcher_->watchCard(QString::fromStdString(root));
    }
}

QString CMainView::padSpokenText(int pad) const {
    const ZQ3::CModel& model = *domain_.model;
    const QString name = PadName(model.hasCard() ? model.bank : 0, pad);
    if (!model.hasCard()) {
        return tr("%1, no card").arg(name);
    }
    if (!model.hasSample(pad)) {
        return tr("%1, empty").arg(name);
    }
    return tr("%1, %2").arg(name,
                            QString::fromStdString(ZQ3::SampleLengthText(model.entryOf(pad))));
}

QString CMainView::padToolTip(int pad) const {
    const ZQ3::CModel& model = *domain_.model;
    if (!model.hasSample(pad)) {
        return tr("Pad %1: empty").arg(PadName(model.hasCard() ? model.bank : 0, pad));
    }
    const ZQ3::SampleEntry& entry = model.entryOf(pad);
    QString text = tr("Pad %1: %2 s, %3")
                       .arg(PadName(model.bank, pad))
                       .arg(model.playedSeconds(pad), 0, 'f', 2)
                       .arg(entry.stereo ? tr("stereo") : tr("mono"));
    text += entry.isLofi() ? tr(", lo-fi") : tr(", not lo-fi");
    // The card keeps the tempo in tenths of a beat per minute.
    text += tr(", tempo %1 BPM").arg(static_cast<double>(entry.tempo) / 10.0, 0, 'f', 1);
    return text;
}

void CMainView::importFilesFrom(int firstPad, const QStringList& files) {
    stopPlayback();
    if (noticeCardGone()) {
        return;
    }
    const ZQ3::CModel& model = *domain_.model;
    if (!model.hasCard() || !ZQ3::CardLayout::IsValidPad(firstPad)) {
        return;
    }
    // Nothing to ask about when the card takes nothing.
    if (model.readOnly) {
        ZQ3::ReportMessage(ZQ3::MessageImportFailed,
                           ZQ3::AvailableCommands(model).importFile.reason);
        return;
    }
    // The same plan and questions as the command line's import.
    std::vector<std::string> sources;
    for (const QString& file : files) {
        sources.push_back(file.toStdString());
    }
    const ZQ3::CImportPlan plan(model, ZQ3::CardLayout::Slot(model.bank, firstPad), sources);
    if (!plan.isValid()) {
        ZQ3::ReportMessage(ZQ3::MessageImportFailed, plan.problemText());
        return;
    }
    domain_.controller->selectPad(firstPad);
    UL::ITextDialog& question = *textDialog_;
    // The drop's answers hold for this import only; the settings of the Import button stay.
    ZQ3::ImportAnswers answers;
    if (plan.asksToConvert()) {
        answers.conversion.convert =
            question.ask(UL::ITextDialog::ButtonsYesNo, UL::ITextDialog::IconQuestion,
                         plan.conversionQuestion()) == UL::ITextDialog::AnswerYes;
    }
    if (plan.asksToReplace(answers.conversion.convert)) {
        answers.replace =
            question.ask(UL::ITextDialog::ButtonsOkCancel, UL::ITextDialog::IconQuestion,
                         plan.replaceQuestion()) == UL::ITextDialog::AnswerOk;
    }
    domain_.controller->importPlanned(plan, answers);
}
