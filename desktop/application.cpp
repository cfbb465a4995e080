#include "desktop/application.h"

#include "app/controller.h"
#include "app/player.h"
#include "app/preferences.h"
#include "app/private_directory.h"
#include "desktop/main_frame.h"
#include "desktop/main_view.h"
#include "desktop/progress_bar.h"
#include "desktop/qt_cursor.h"
#include "desktop/qt_state_bitmap.h"
#include "desktop/qt_text_dialog.h"
#include "desktop/translations.h"
#include "desktop/window_owner.h"
#include "sl/log/logger.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

CApplication::CApplication(GT::IProfile& profile, QString instanceName, std::string bitmapDirectory,
                           std::shared_ptr<UL::ITextDialog> textDialog)
    : profile_(profile), guard_(instanceName),
      textDialog_(textDialog ? std::move(textDialog) : std::make_shared<UL::CTextDialog>()),
      bitmapDirectory_(std::move(bitmapDirectory)) {}

CApplication::~CApplication() {
    shutDown();
}

CMainView* CApplication::view() const {
    return frame_ ? frame_->view() : nullptr;
}

CApplication::StartUp CApplication::startUp() {
    // A second copy raises the first and ends before it makes anything of its own.
    switch (guard_.acquire()) {
    case ZQ3::Desktop::CSingleInstance::Outcome::SecondRaisedFirst:
        return StartUp::SecondInstance;
    case ZQ3::Desktop::CSingleInstance::Outcome::Failed:
        // Without a place for the guard the program still runs; it only cannot keep a second
        // copy out.
        break;
    case ZQ3::Desktop::CSingleInstance::Outcome::First:
        break;
    }
    QObject::connect(&guard_, &ZQ3::Desktop::CSingleInstance::secondStarted,
                     [this] { raiseWindow(); });
    // What killed converters left in the temporary directory goes before this one adds to it.
    ZQ3::RemoveAbandonedWorkFolders();

    domain_ = std::make_unique<ZQ3::CDomain>();
    bitmapFactory_ = std::make_unique<UL::CStateBitmapFactory>(
        bitmapDirectory_.empty() ? UL::CStateBitmapFactory::ProgramBitmapDirectory()
                                 : bitmapDirectory_);

    ZQ3::Desktop::InstallTranslationsForLocale();
    background_ = bitmapFactory_->create("Background", 1, false, false);
    pads_ = bitmapFactory_->create("Pads64", 64, false, false);
    if (!background_->load(bitmapFactory_->getDirectory()) ||
        !pads_->load(bitmapFactory_->getDirectory())) {
        QMessageBox::critical(nullptr, QString::fromUtf8(CMainFrame::Title),
                              tr("The program's pictures are missing from %1.")
                                  .arg(QString::fromStdString(bitmapFactory_->getDirectory())));
        return StartUp::Failed;
    }

    const ZQ3::CPreferences preferences = ZQ3::CPreferences::Read(profile_);
    domain_->model->cardRoot = preferences.cardRoot;
    domain_->model->bank = preferences.bank;
    player_ = domain_->createPlayer(preferences.ringBufferTime, preferences.deviceBufferTime);
    domain_->controller->setReadBack(preferences.readBack);
    // Every change the program makes can be undone.
    domain_->controller->setRecordsHistory(true);
    domain_->controller->setProgressFactory([] { return UL::CreateProgress(); });
    UL::InstallQtCursorStack();

    auto* view = new CMainView(*domain_, player_, profile_, background_, pads_, textDialog_);
    frame_ = std::make_unique<CMainFrame>(profile_, view);
    ZQ3::Desktop::SetMainWindow(frame_.get());
    frame_->show();
    view->initialUpdate();
    return StartUp::Running;
}

void CApplication::shutDown() {
    if (shutDown_ || !domain_) {
        return;
    }
    shutDown_ = true;
    if (player_) {
        const auto& device = player_->getAudioOutDevice();
        if (device && device->isPlaying()) {
            player_->stop();
        }
    }
    // Reports after this point have no window to show in.
    SL::CLogger::Instance().ResetPrinter();
    // What the dialogs wrote meanwhile (the conversion choice) is kept as it is.
    ZQ3::CPreferences preferences = ZQ3::CPreferences::Read(profile_);
    // A folder that failed to load as a card, or a card taken out, leaves the card remembered.
    const ZQ3::CController::RememberedCard card = domain_->controller->rememberedCard();
    preferences.cardRoot = card.root;
    preferences.bank = card.bank;
    preferences.ringBufferTime = player_ ? player_->ringBufferTime : preferences.ringBufferTime;
    preferences.deviceBufferTime =
        player_ ? player_->deviceBufferTime : preferences.deviceBufferTime;
    preferences.write(profile_);
    if (frame_) {
        domain_->controller->setView(nullptr);
        ZQ3::Desktop::SetMainWindow(nullptr);
        frame_.reset();
    }
    if (background_) {
        background_->unload();
    }
    if (pads_) {
        pads_->unload();
    }
}

void CApplication::raiseWindow() {
    if (!frame_) {
        return;
    }
    if (frame_->isMinimized()) {
        frame_->showNormal();
    }
    frame_->raise();
    frame_->activateWindow();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

void CApplication::requestExit() {
    // Open dialogs close as if cancelled, so that their commands end before the window does.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (!modal->close()) {
            break;
        }
    }
    if (frame_) {
        frame_->close();
    } else {
        QApplication::quit();
    }
}

namespace {

int signalPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: the event loop reads the pipe and does the rest.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void ExitOnTerminationSignals(CApplication& application) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        return;
    }
    ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [&application] {
        char drained[16];
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[0], drained, sizeof drained);
        application.requestExit();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
