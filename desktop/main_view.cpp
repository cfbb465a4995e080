#include "desktop/main_view.h"

#include "app/card_probe.h"
#include "app/card_space.h"
#include "app/command_availability.h"
#include "app/controller.h"
#include "app/domain.h"
#include "app/import_batch.h"
#include "app/import_plan.h"
#include "app/message_catalogue.h"
#include "app/pad_waveform_cache.h"
#include "app/player.h"
#include "app/quantity_text.h"
#include "app/report.h"
#include "card/card_layout.h"
#include "sl/log/logger.h"
#include "desktop/input_events.h"
#include "desktop/state_bitmap.h"
#include "desktop/text_dialog.h"
#include "desktop/wave_file_open_dialog.h"
#include "desktop/wave_file_save_dialog.h"
#include "desktop/waveform_view.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStorageInfo>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CMainView", text);
}

// The bank names the sampler shows: bank 0 is "C".
QString BankName(int bank) {
    return QString(QChar('C' + bank));
}

// Volumes a user may keep a card on; the system's own pseudo file systems are left out.
bool IsUserVolume(const QStorageInfo& volume) {
    if (!volume.isValid() || !volume.isReady()) {
        return false;
    }
    static const QList<QByteArray> pseudo = {
        "proc",       "sysfs",   "devtmpfs", "devpts",  "cgroup",      "cgroup2",
        "securityfs", "pstore",  "debugfs",  "tracefs", "mqueue",      "hugetlbfs",
        "configfs",   "fusectl", "bpf",      "autofs",  "binfmt_misc", "efivarfs",
        "ramfs",      "nsfs",    "overlay",  "tmpfs",   "squashfs"};
    return !pseudo.contains(volume.fileSystemType()) || volume.isRoot();
}

} // namespace

void CDriveComboBox::showPopup() {
    if (aboutToOpen) {
        aboutToOpen();
    }
    QComboBox::showPopup();
}

// Tells the view that the player started a pad.
class CMainView::CPadPlayObserver : public GT::IMvcObserver {
public:
    explicit CPadPlayObserver(CMainView& view) : view_(&view) {}
    void update(const std::any&, const std::any&, const std::any&) override {
        view_->onPadStartedPlaying();
    }

private:
    CMainView* view_;
};

CMainView::CMainView(ZQ3::CDomain& domain, std::shared_ptr<ZQ3::CPlayer> player,
                     GT::IProfile& profile, std::shared_ptr<UL::AStateBitmap> background,
                     std::shared_ptr<UL::AStateBitmap> padBitmap, QWidget* parent)
    : QWidget(parent), domain_(domain), player_(std::move(player)), profile_(profile),
      background_(background),
      matrix_(std::make_shared<ZQ3::CPadMatrix>(std::move(background), std::move(padBitmap))) {
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setAutoFillBackground(true);

    driveLabel_ = new QLabel(Tr("ZQ-314 Card &Drive:"), this);
    driveLabel_->setGeometry(12, 6, 376, 20);
    driveCombo_ = new CDriveComboBox(this);
    driveCombo_->setGeometry(12, 26, 376, 28);
    driveCombo_->setIconSize(QSize(16, 16));
    driveLabel_->setBuddy(driveCombo_);
    driveCombo_->aboutToOpen = [this] {
        noticeCardGone();
        rebuildDriveList();
    };

    bankLabel_ = new QLabel(Tr("ZQ-314 &Bank Select:"), this);
    bankLabel_->setGeometry(408, 6, 180, 20);
    bankCombo_ = new QComboBox(this);
    bankCombo_->setGeometry(408, 26, 180, 28);
    bankLabel_->setBuddy(bankCombo_);

    importButton_ = new QPushButton(Tr("&Import"), this);
    importButton_->setGeometry(12, 304, 130, 28);
    exportButton_ = new QPushButton(Tr("&Export"), this);
    exportButton_->setGeometry(12, 338, 130, 28);
    deleteButton_ = new QPushButton(Tr("De&lete"), this);
    deleteButton_->setGeometry(458, 304, 130, 28);
    exitButton_ = new QPushButton(Tr("E&xit"), this);
    exitButton_->setGeometry(458, 338, 130, 28);
    status_ = new QLabel(this);
    status_->setGeometry(150, 304, 300, 62);
    status_->setAlignment(Qt::AlignCenter);
    status_->setWordWrap(true);

    QObject::connect(driveCombo_, &QComboBox::activated, this, [this](int i) { chooseDrive(i); });
    QObject::connect(bankCombo_, &QComboBox::activated, this,
                     [this](int i) { domain_.controller->selectBank(i); });
    QObject::connect(importButton_, &QPushButton::clicked, this, [this] { importToSelectedPad(); });
    QObject::connect(exportButton_, &QPushButton::clicked, this, [this] { exportSelectedPad(); });
    QObject::connect(deleteButton_, &QPushButton::clicked, this, [this] { deleteSelectedPad(); });
    QObject::connect(exitButton_, &QPushButton::clicked, this, [this] { exitProgram(); });

    blinkTimer_.setInterval(BlinkMilliseconds);
    QObject::connect(&blinkTimer_, &QTimer::timeout, this, [this] { onBlinkTick(); });

    // The waveform takes the space right of the pad block, as wide as the buttons below it.
    waveformView_ = new CWaveformView(this);
    waveformView_->setGeometry(458, MatrixTop, 130, background_->cellHeight);
    waveforms_ = std::make_unique<ZQ3::CPadWaveformCache>(waveformView_->plotWidth(), [this] {
        // Called on the reading thread: the view looks again on its own.
        QMetaObject::invokeMethod(
            this, [this] { showSelectedWaveform(); }, Qt::QueuedConnection);
    });
    playLineTimer_.setInterval(PlayLineMilliseconds);
    QObject::connect(&playLineTimer_, &QTimer::timeout, this, [this] { onPlayLineTick(); });

    askFolder = [this] {
        return QFileDialog::getExistingDirectory(this, Tr("Choose the card's folder"));
    };
}

CMainView::~CMainView() {
    // Waits for a waveform being read, before anything it reports to is gone.
    waveforms_.reset();
    blinkTimer_.stop();
    playLineTimer_.stop();
    if (domain_.controller && domain_.controller->view() == this) {
        domain_.controller->setView(nullptr);
    }
}

void CMainView::initialUpdate() {
    ZQ3::CController& controller = *domain_.controller;
    controller.setView(this);
    playObserver_ = std::make_shared<CPadPlayObserver>(*this);
    if (player_) {
        player_->addObserver(playObserver_);
    }
    const int originX = (width() - background_->cellWidth) / 2;
    auto execute = std::make_shared<ZQ3::CPadExecuteEventListener>(controller, player_);
    auto selection = std::make_shared<ZQ3::CPadSelectionEventListener>(controller, player_);
    // The keyboard acts on the selected pad: arrows move the selection, Space and Enter play or
    // stop it.
    focusListener_ = std::make_shared<ZQ3::CPadArrowFocusEventListener>(
        selection, matrix_->columns, matrix_->rows * matrix_->columns);
    auto playStop = std::make_shared<ZQ3::CPadPlayStopEventListener>(player_, execute);
    matrix_->initialize(this, originX, MatrixTop, std::make_shared<ZQ3::CPadFactory>(), selection,
                        playStop, focusListener_, execute);
    focusListener_->setPads(&matrix_->getPads());

    updateDrive();
    const ZQ3::CModel& model = *domain_.model;
    controller.selectDrive(model.cardRoot, model.bank);
    SL::CLogger::Instance().SetPrinter(std::make_shared<UL::CMessageBoxPrinter>());
    setFocus();
}

void CMainView::updateDrive() {
    rebuildDriveList();
}

void CMainView::rebuildDriveList() {
    // Keep what is chosen, by its path, across the rebuild.
    const QString chosen = driveCombo_->currentData().toString();
    driveCombo_->clear();
    QFileIconProvider icons;
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
        return a.rootPath() < b.rootPath();
    });
    const QIcon cardIcon = style()->standardIcon(QStyle::SP_DriveFDIcon);
    for (const QStorageInfo& volume : volumes) {
        if (!IsUserVolume(volume)) {
            continue;
        }
        const QString root = volume.rootPath();
        const bool card = ZQ3::HoldsCard(root.toStdString());
        const QString text = card ? root + Tr("  (ZQ-314 card)") : root;
        driveCombo_->addItem(card ? cardIcon : icons.icon(QFileIconProvider::Drive), text, root);
    }
    // A folder chosen as the card root stays in the list while it is the card.
    const QString modelRoot = QString::fromStdString(domain_.model->cardRoot);
    for (const QString& kept : {modelRoot, chosen}) {
        if (!kept.isEmpty() && driveCombo_->findData(kept) < 0) {
            const bool card = ZQ3::HoldsCard(kept.toStdString());
            driveCombo_->addItem(card ? cardIcon : icons.icon(QFileIconProvider::Folder),
                                 card ? kept + Tr("  (ZQ-314 card)") : kept, kept);
        }
    }
    driveCombo_->addItem(icons.icon(QFileIconProvider::Folder), Tr("Other Folder..."),
                         QString(OtherFolderEntry));
    const int keep = driveCombo_->findData(chosen.isEmpty() ? modelRoot : chosen);
    driveCombo_->setCurrentIndex(chosen.isEmpty() && modelRoot.isEmpty() ? -1 : keep);
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
    const QString root = QString::fromStdString(domain_.model->cardRoot);
    driveCombo_->setCurrentIndex(root.isEmpty() ? -1 : driveCombo_->findData(root));
}

void CMainView::chooseDrive(int index) {
    if (index < 0) {
        return;
    }
    if (index == driveCombo_->count() - 1) {
        chooseOtherFolder();
        return;
    }
    domain_.controller->selectDrive(driveCombo_->itemData(index).toString().toStdString(), 0);
    // A folder that turned out not to be a card leaves no card; the chooser shows what is loaded.
    rebuildDriveList();
    selectDriveOfModel();
}

void CMainView::chooseOtherFolder() {
    QString folder = askFolder ? askFolder() : QString();
    while (folder.size() > 1 && folder.endsWith('/')) {
        folder.chop(1);
    }
    if (!folder.isEmpty()) {
        domain_.controller->selectDrive(folder.toStdString(), 0);
    }
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
    updateStatusLine();
}

void CMainView::updatePads() {
    const ZQ3::CModel& model = *domain_.model;
    matrix_->setAllEnabled(model.hasCard());
    for (const auto& pad : matrix_->getPads()) {
        pad->hasSample = model.hasSample(pad->index);
        pad->invalidate();
    }
    if (model.selectedPad < 0) {
        matrix_->clearSelection();
    } else {
        matrix_->select(matrix_->rows - 1 - model.selectedPad / matrix_->columns,
                        model.selectedPad % matrix_->columns);
    }
    matrix_->invalidateAll();
    // A blink shows the pad that plays; any other change of the pads ends it.
    if (blinkTimer_.isActive() && blinkingPad_ != model.selectedPad) {
        blinkTimer_.stop();
        blinkingPad_ = -1;
    }
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

void CMainView::updateImport() {
    enableKeepingFocus(importButton_, ZQ3::AvailableCommands(*domain_.model).importFile.enabled);
}

void CMainView::updateExport() {
    enableKeepingFocus(exportButton_, ZQ3::AvailableCommands(*domain_.model).exportPad.enabled);
}

void CMainView::updateDelete() {
    enableKeepingFocus(deleteButton_, ZQ3::AvailableCommands(*domain_.model).deletePad.enabled);
}

void CMainView::invalidateRect(const ZQ3::CPadRect& rectangle, bool) {
    update(QRect(rectangle.left, rectangle.top, rectangle.right - rectangle.left,
                 rectangle.bottom - rectangle.top));
}

void CMainView::stopPlayback() {
    if (!player_) {
        return;
    }
    const auto& device = player_->getAudioOutDevice();
    if (device && device->isPlaying()) {
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
        UL::CTextDialog question;
        const int answer =
            question.ask(UL::ITextDialog::ButtonsOkCancel, UL::ITextDialog::IconQuestion,
                         ZQ3::MessageCatalogue::Instance().text(ZQ3::MessageOverwriteQuestion));
        if (answer != UL::ITextDialog::AnswerOk) {
            return;
        }
    }
    CWaveFileOpenDialog dialog(model, player_, profile_, window());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    domain_.controller->importFile(dialog.selectedFiles().first().toStdString(),
                                   dialog.importConversion());
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
    UL::CTextDialog question;
    const int answer =
        question.ask(UL::ITextDialog::ButtonsOkCancel, UL::ITextDialog::IconQuestion,
                     ZQ3::MessageCatalogue::Instance().text(ZQ3::MessageDeleteQuestion));
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
    const int pad = domain_.model->selectedPad;
    if (pad < 0 || static_cast<std::size_t>(pad) >= matrix_->getPads().size()) {
        return;
    }
    blinkingPad_ = pad;
    auto& shown = matrix_->getPads()[static_cast<std::size_t>(pad)];
    shown->hasSample = !shown->hasSample;
    shown->invalidate();
    blinkTimer_.start();
    playLineTimer_.start();
    onPlayLineTick();
}

void CMainView::onBlinkTick() {
    const int pad = blinkingPad_;
    const auto& device = player_ ? player_->getAudioOutDevice() : nullptr;
    if (pad < 0 || static_cast<std::size_t>(pad) >= matrix_->getPads().size()) {
        blinkTimer_.stop();
        return;
    }
    auto& shown = matrix_->getPads()[static_cast<std::size_t>(pad)];
    if (device && device->isPlaying()) {
        shown->hasSample = !shown->hasSample;
    } else {
        blinkTimer_.stop();
        blinkingPad_ = -1;
        shown->hasSample = domain_.model->hasSample(pad);
    }
    shown->invalidate();
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
    const QString name = BankName(model->bank) + QString::number(pad);
    if (!model->hasSample(pad)) {
        waveformView_->showWaveform(nullptr, name);
        return;
    }
    const double seconds = static_cast<double>(model->playedLength(pad)) / 44100.0;
    const QString length = Tr("%1 s").arg(seconds, 0, 'f', 2);
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
    if (!device || !device->isPlaying() || blinkingPad_ != pad || !model.hasSample(pad)) {
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
    if (!model.hasCard()) {
        status_->setText(Tr("No card"));
        return;
    }
    // The same measure as the command line's info: what a change can still put on the card.
    const ZQ3::CardSpace space = ZQ3::MeasureCardSpace(model.cardRoot);
    if (!space.freeBytes) {
        status_->clear();
        return;
    }
    // The figures in the core's units, so that they read as `zq3 info` gives them.
    status_->setText(Tr("Free: %1\nMono: %2 left\nStereo: %3 left")
                         .arg(QString::fromStdString(ZQ3::SizeText(*space.freeBytes)),
                              QString::fromStdString(ZQ3::DurationText(space.secondsLeftMono)),
                              QString::fromStdString(ZQ3::DurationText(space.secondsLeftStereo))));
}

QString CMainView::padToolTip(int pad) const {
    const ZQ3::CModel& model = *domain_.model;
    if (!model.hasSample(pad)) {
        return Tr("Pad %1%2: empty").arg(BankName(model.hasCard() ? model.bank : 0)).arg(pad);
    }
    const ZQ3::SampleEntry& entry = model.entryOf(pad);
    const double seconds = static_cast<double>(model.playedLength(pad)) / 44100.0;
    QString text = Tr("Pad %1%2: %3 s, %4")
                       .arg(BankName(model.bank))
                       .arg(pad)
                       .arg(seconds, 0, 'f', 2)
                       .arg(entry.stereo ? Tr("stereo") : Tr("mono"));
    text += entry.isLofi() ? Tr(", lo-fi") : Tr(", not lo-fi");
    // The card keeps the tempo in tenths of a beat per minute.
    text += Tr(", tempo %1 BPM").arg(static_cast<double>(entry.tempo) / 10.0, 0, 'f', 1);
    return text;
}

void CMainView::paintEvent(QPaintEvent*) {
    // Qt draws every widget into its window's back buffer and shows the finished picture, so
    // the matrix never flickers while its background and pads are drawn one over the other.
    QPainter painter(this);
    UL::CDrawInfo info(painter);
    matrix_->draw(info);
    if (!dropTargets_.empty()) {
        // The pads a drop would fill: a thick dashed frame, visible on any look.
        painter.setPen(QPen(palette().highlight().color(), 3, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        for (const int index : dropTargets_) {
            const ZQ3::CPadRect r = matrix_->getPads()[static_cast<std::size_t>(index)]->rect();
            painter.drawRect(r.left + 1, r.top + 1, r.right - r.left - 3, r.bottom - r.top - 3);
        }
    }
    if (hasFocus()) {
        // Where the keyboard goes: a thin frame round the matrix.
        const ZQ3::CPadRect area = matrix_->backgroundRect();
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.drawRect(area.left - 2, area.top - 2, area.right - area.left + 3,
                         area.bottom - area.top + 3);
    }
}

void CMainView::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    setFocus();
    matrix_->onMouseEvent(
        UL::CMouseEvent(this, UL::MouseInfoOf(*event, UL::CMouseInfo::ActionDown)));
}

void CMainView::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    matrix_->onMouseEvent(UL::CMouseEvent(this, UL::MouseInfoOf(*event, UL::CMouseInfo::ActionUp)));
}

void CMainView::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
    matrix_->onMouseEvent(
        UL::CMouseEvent(this, UL::MouseInfoOf(*event, UL::CMouseInfo::ActionDoubleClick)));
}

void CMainView::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    matrix_->onMouseEvent(
        UL::CMouseEvent(this, UL::MouseInfoOf(*event, UL::CMouseInfo::ActionMove)));
}

void CMainView::keyPressEvent(QKeyEvent* event) {
    const UL::CKeyEvent key = UL::KeyEventOf(this, *event, UL::CKeyEvent::ActionDown);
    switch (key.getCode()) {
    case UL::KeyCode::Delete:
        if (!event->isAutoRepeat() && deleteButton_->isEnabled()) {
            deleteSelectedPad();
        }
        return;
    case UL::KeyCode::PageUp:
        changeBankBy(-1);
        return;
    case UL::KeyCode::PageDown:
        changeBankBy(1);
        return;
    case UL::KeyCode::Escape:
        // Silences an audition at once, wherever the selection is.
        stopPlayback();
        return;
    case UL::KeyCode::Up:
    case UL::KeyCode::Down:
    case UL::KeyCode::Left:
    case UL::KeyCode::Right:
    case UL::KeyCode::Home:
    case UL::KeyCode::End:
        // Without a selected pad the keys have no pad to start from: they select the first pad
        // (End the last), so that the block can be worked from the keyboard alone.
        if (domain_.model->hasCard() && domain_.model->selectedPad < 0) {
            domain_.controller->selectPad(
                key.getCode() == UL::KeyCode::End ? ZQ3::CardLayout::PadsPerBank - 1 : 0);
            return;
        }
        break;
    default:
        break;
    }
    if (event->isAutoRepeat() &&
        (key.getCode() == UL::KeyCode::Space || key.getCode() == UL::KeyCode::Enter)) {
        return;
    }
    matrix_->onKeyEvent(key);
    if (key.getCode() != UL::KeyCode::Tab) {
        event->accept();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void CMainView::keyReleaseEvent(QKeyEvent* event) {
    // The pads act as a key goes down, so that one press is one action; they hear it going up
    // too, and do nothing with it.
    QWidget::keyReleaseEvent(event);
    matrix_->onKeyEvent(UL::KeyEventOf(this, *event, UL::CKeyEvent::ActionUp));
}

bool CMainView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const auto pad = matrix_->padAt(help->pos().x(), help->pos().y());
        if (pad && domain_.model->hasCard()) {
            QToolTip::showText(help->globalPos(), padToolTip(pad->index), this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

QStringList CMainView::DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files.append(url.toLocalFile());
        }
    }
    return files;
}

std::vector<int> CMainView::padsForDrop(const QPoint& position, int fileCount) const {
    std::vector<int> targets;
    const auto pad = matrix_->padAt(position.x(), position.y());
    if (!pad || !domain_.model->hasCard()) {
        return targets;
    }
    const int padCount = static_cast<int>(matrix_->getPads().size());
    for (int index = pad->index; index < padCount && index < pad->index + fileCount; ++index) {
        targets.push_back(index);
    }
    return targets;
}

void CMainView::setDropTargets(std::vector<int> targets) {
    if (targets != dropTargets_) {
        dropTargets_ = std::move(targets);
        update();
    }
}

void CMainView::dragEnterEvent(QDragEnterEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty() || !domain_.model->hasCard()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // A folder stands for its sound files, as in the import itself; listed once per drag.
    std::vector<std::string> sources;
    for (const QString& file : files) {
        sources.push_back(file.toStdString());
    }
    dragFileCount_ = 0;
    for (const std::string& source : sources) {
        std::vector<std::string> listed;
        dragFileCount_ += ZQ3::ListSoundFiles(source, listed) ? static_cast<int>(listed.size()) : 1;
    }
    setDropTargets(padsForDrop(event->position().toPoint(), dragFileCount_));
}

void CMainView::dragMoveEvent(QDragMoveEvent* event) {
    std::vector<int> targets = padsForDrop(event->position().toPoint(), dragFileCount_);
    if (targets.empty()) {
        event->ignore();
    } else {
        event->acceptProposedAction();
    }
    setDropTargets(std::move(targets));
}

void CMainView::dragLeaveEvent(QDragLeaveEvent* event) {
    QWidget::dragLeaveEvent(event);
    setDropTargets({});
}

void CMainView::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    const std::vector<int> targets =
        padsForDrop(event->position().toPoint(), static_cast<int>(files.size()));
    setDropTargets({});
    if (targets.empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The file manager waits until its drop is taken; the questions and the import come after.
    const int firstPad = targets.front();
    QTimer::singleShot(0, this, [this, firstPad, files] { importFilesFrom(firstPad, files); });
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
    UL::CTextDialog question;
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
