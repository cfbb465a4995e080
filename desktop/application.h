#pragma once

#include "app/domain.h"
#include "desktop/single_instance.h"
#include "gt/profile.h"
#include "ul/state_bitmap.h"
#include "ul/text_dialog.h"

#include <QCoreApplication>
#include <QString>

#include <memory>
#include <string>

class CMainFrame;
class CMainView;
namespace ZQ3 {
class CPlayer;
}

// The desktop program from start to end: the single-instance guard, the domain, the message
// texts, the pad pictures, the preferences and the main window, made in that order and saved
// and released again when the program ends.
class CApplication {
    Q_DECLARE_TR_FUNCTIONS(CApplication)

public:
    static constexpr const char* InstanceName = "zq3-converter";

    // bitmapDirectory: where the pad pictures are; empty for the program's own folder.
    // textDialog: asks the questions and shows the reports; null for the platform's message box.
    explicit CApplication(GT::IProfile& profile, QString instanceName = InstanceName,
                          std::string bitmapDirectory = std::string(),
                          std::shared_ptr<UL::ITextDialog> textDialog = nullptr);
    ~CApplication();

    enum class StartUp { Running, SecondInstance, Failed };
    StartUp startUp();
    // Stops playback, saves the preferences and releases the pictures; safe to call twice.
    void shutDown();

    // Ends the program as File / Exit does, from a signal or a second start's request.
    void requestExit();

    ZQ3::CDomain& domain() { return *domain_; }
    const std::shared_ptr<ZQ3::CPlayer>& player() const { return player_; }
    CMainFrame* frame() const { return frame_.get(); }
    CMainView* view() const;

private:
    void raiseWindow();

    GT::IProfile& profile_;
    ZQ3::Desktop::CSingleInstance guard_;
    std::shared_ptr<UL::ITextDialog> textDialog_;
    std::unique_ptr<ZQ3::CDomain> domain_;
    std::shared_ptr<ZQ3::CPlayer> player_;
    std::unique_ptr<UL::IStateBitmapFactory> bitmapFactory_;
    std::shared_ptr<UL::AStateBitmap> background_;
    std::shared_ptr<UL::AStateBitmap> pads_;
    std::unique_ptr<CMainFrame> frame_;
    std::string bitmapDirectory_;
    bool shutDown_ = false;
};

// Makes SIGTERM and SIGINT end the program as File / Exit does, through the event loop.
void ExitOnTerminationSignals(CApplication& application);
