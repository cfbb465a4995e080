// Takes the pictures of the program that the manual shows, in the manual's language: the main
// window with a few pads filled, the import's and the export's file dialogs, the progress
// dialog and the check-and-repair question. The build runs it without a display; it makes its
// own card and sound files in a temporary folder, and keeps every setting (its own and Qt's file
// dialog's) there too, never touching the user's.
//
//   zq3_manual_screenshots en|ja PICTURE_FOLDER BITMAP_FOLDER
//
// Writes main_window_LANG.png, open_dialog_LANG.png, save_dialog_LANG.png, progress_LANG.png
// and repair_question_LANG.png into PICTURE_FOLDER. Every window has a fixed size and font, so
// that the pictures come out the same on every machine.

#include "app/card_initialisation.h"
#include "app/controller.h"
#include "app/domain.h"
#include "app/message_catalogue.h"
#include "app/model.h"
#include "app/preferences.h"
#include "card/card_layout.h"
#include "desktop/application.h"
#include "desktop/card_repair_flow.h"
#include "desktop/ini_profile.h"
#include "desktop/main_frame.h"
#include "desktop/main_view.h"
#include "desktop/progress_bar.h"
#include "desktop/progress_window.h"
#include "desktop/qt_text_dialog.h"
#include "desktop/wave_file_open_dialog.h"
#include "desktop/wave_file_save_dialog.h"
#include "desktop/waveform_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QMessageBox>
#include <QPixmap>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QThread>
#include <QTime>
#include <QTimeZone>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <unistd.h>

namespace {

constexpr int SampleRate = 44100;
// The file dialogs at one size for every picture, large enough for the panel below their list.
constexpr QSize OpenDialogSize(820, 600);
constexpr QSize SaveDialogSize(820, 480);

// The size a dialog is shown at: the size given, unless the dialog makes itself larger, which
// its code decides alike on every machine.
QSize FixedSize(const QWidget& dialog, QSize size) {
    return size.expandedTo(dialog.size()).expandedTo(dialog.minimumSizeHint());
}

// Stops the run with what failed; the build then reports it and makes no manual.
[[noreturn]] void Fail(const QString& what) {
    throw std::runtime_error(what.toStdString());
}

// Handles events until done says so, for at most a few seconds.
void WaitUntil(const std::function<bool()>& done, const QString& what) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 10000) {
            Fail(QStringLiteral("gave up waiting for ") + what);
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

// Handles the events of a short while: the file dialogs fill their lists from a thread.
void Settle(int milliseconds = 300) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

// A 16-bit WAV file of frames frames, each sample given by sample(frame, channel) in -1..1.
void WriteWav(const QString& path, int channels, std::uint32_t frames,
              const std::function<double(double seconds, int channel)>& sample) {
    QByteArray data;
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < channels; ++channel) {
            const double value = std::clamp(sample(frame / double(SampleRate), channel), -1.0, 1.0);
            const auto level = static_cast<std::int16_t>(std::lround(value * 30000.0));
            data.append(static_cast<char>(level & 0xff));
            data.append(static_cast<char>((level >> 8) & 0xff));
        }
    }
    const auto le32 = [](QByteArray& bytes, std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.append(static_cast<char>((value >> shift) & 0xff));
        }
    };
    const auto le16 = [](QByteArray& bytes, std::uint32_t value) {
        bytes.append(static_cast<char>(value & 0xff));
        bytes.append(static_cast<char>((value >> 8) & 0xff));
    };
    const auto blockAlign = static_cast<std::uint32_t>(channels * 2);
    QByteArray file("RIFF");
    le32(file, static_cast<std::uint32_t>(36 + data.size()));
    file.append("WAVEfmt ");
    le32(file, 16);
    le16(file, 1);
    le16(file, static_cast<std::uint32_t>(channels));
    le32(file, SampleRate);
    le32(file, SampleRate * blockAlign);
    le16(file, blockAlign);
    le16(file, 16);
    file.append("data");
    le32(file, static_cast<std::uint32_t>(data.size()));
    file.append(data);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size()) {
        Fail(QStringLiteral("cannot write ") + path);
    }
}

// A struck sound that dies away: pitch in Hz, decay per second, the right side a little later.
void WriteStrike(const QString& path, int channels, double seconds, double pitch, double decay,
                 double noise) {
    std::uint32_t seed = 12345;
    WriteWav(path, channels, static_cast<std::uint32_t>(seconds * SampleRate),
             [&](double t, int channel) {
                 t -= 0.03 * channel;
                 if (t < 0) {
                     return 0.0;
                 }
                 seed = seed * 1664525u + 1013904223u;
                 const double hiss = (seed >> 8) / double(1u << 24) * 2.0 - 1.0;
                 const double tone =
                     std::sin(2.0 * M_PI * pitch * t * (1.0 + 0.5 * std::exp(-30 * t)));
                 return std::exp(-decay * t) * ((1.0 - noise) * tone + noise * hiss) * 0.9;
             });
}

class CScreenshots {
public:
    CScreenshots(QString language, QString pictureFolder, QString bitmapFolder)
        : language_(std::move(language)), pictures_(std::move(pictureFolder)),
          bitmaps_(std::move(bitmapFolder)) {}

    void takeAll() {
        const QString cardRoot = work_.filePath(QStringLiteral("card"));
        QDir().mkpath(cardRoot);
        if (ZQ3::InitialiseCard(cardRoot.toStdString()).problem !=
            ZQ3::CardInitialisation::Problem::None) {
            Fail(QStringLiteral("cannot make the card in ") + cardRoot);
        }
        const QString sounds = work_.filePath(QStringLiteral("Samples"));
        QDir().mkpath(sounds);
        const auto sound = [&](const char* name) {
            return QDir(sounds).filePath(QString::fromLatin1(name));
        };
        WriteStrike(sound("kick.wav"), 1, 0.6, 55, 7, 0.05);
        WriteStrike(sound("snare.wav"), 1, 0.4, 180, 10, 0.6);
        WriteStrike(sound("hat.wav"), 1, 0.15, 800, 30, 0.9);
        WriteStrike(sound("tom.wav"), 1, 0.5, 110, 8, 0.1);
        WriteStrike(sound("bass.wav"), 2, 1.2, 41, 2.5, 0.0);
        WriteStrike(sound("piano.wav"), 2, 1.5, 262, 2, 0.02);
        WriteStrike(sound("voice.wav"), 2, 1.0, 330, 3, 0.2);
        // The file dialogs list the files with their time: one of a day of their own rather
        // than the build's.
        const QDateTime recorded(QDate(2026, 4, 18), QTime(15, 30), QTimeZone::utc());
        for (const QFileInfo& file : QDir(sounds).entryInfoList(QDir::Files)) {
            QFile touched(file.filePath());
            if (!touched.open(QIODevice::ReadWrite) ||
                !touched.setFileTime(recorded, QFileDevice::FileModificationTime)) {
                Fail(QStringLiteral("cannot set the time of ") + file.filePath());
            }
        }

        ZQ3::Desktop::CIniProfile profile(
            work_.filePath(QStringLiteral("settings.ini")).toStdString());
        profile.setString(ZQ3::CPreferences::VolumeNameKey, cardRoot.toStdString());
        profile.setString(ZQ3::CPreferences::BankIdKey, "0");
        profile.setString("Preferece/Directory", sounds.toStdString());
        auto textDialog = std::make_shared<UL::CTextDialog>();
        CApplication application(profile, QStringLiteral("zq3-converter-manual-%1").arg(getpid()),
                                 bitmaps_.toStdString() + "/", textDialog);
        if (application.startUp() != CApplication::StartUp::Running) {
            Fail(QStringLiteral("the program did not start"));
        }
        ZQ3::CController& controller = *application.domain().controller;
        // Every change installs a new model: each dialog is given the one of its time.
        const auto model = [&application]() -> const ZQ3::CModel& {
            return *application.domain().model;
        };
        const std::pair<int, const char*> filled[] = {
            {0, "kick.wav"}, {1, "snare.wav"}, {2, "hat.wav"},   {3, "tom.wav"},
            {4, "bass.wav"}, {8, "piano.wav"}, {12, "voice.wav"}};
        for (const auto& [pad, name] : filled) {
            if (!controller.selectPad(pad) || controller.importFile(sound(name).toStdString()) !=
                                                  ZQ3::CommandOutcome::Succeeded) {
                Fail(QStringLiteral("cannot put %1 on pad %2").arg(QLatin1String(name)).arg(pad));
            }
        }

        CMainFrame& frame = *application.frame();
        controller.selectPad(8);
        save(frame, QStringLiteral("main_window"),
             [&] { return application.view()->waveformView()->waveform() != nullptr; });

        {
            CWaveFileOpenDialog dialog(model(), application.player(), profile, &frame);
            dialog.resize(FixedSize(dialog, OpenDialogSize));
            showOnlyOwnPlaces(dialog, sounds);
            dialog.setDirectory(sounds);
            dialog.selectFile(sound("piano.wav"));
            dialog.preview(sound("piano.wav"));
            save(dialog, QStringLiteral("open_dialog"),
                 [&] { return dialog.waveformView()->waveform() != nullptr; });
        }
        {
            CWaveFileSaveDialog dialog(model(), profile, &frame);
            dialog.resize(FixedSize(dialog, SaveDialogSize));
            showOnlyOwnPlaces(dialog, sounds);
            save(dialog, QStringLiteral("save_dialog"), [] { return true; });
        }
        {
            UL::CProgressBarA progress;
            progress.begin(100, ZQ3::ConvertingFileText("strings.flac"), true);
            progress.setPosition(45);
            save(*progress.window(), QStringLiteral("progress"), [] { return true; });
            progress.end();
        }
        repairQuestion(cardRoot, *textDialog, controller);
        application.shutDown();
    }

private:
    // The places beside a file dialog's list are the computer and the folder of sound files,
    // not the home folder of whoever builds the program.
    static void showOnlyOwnPlaces(QFileDialog& dialog, const QString& sounds) {
        dialog.setSidebarUrls({QUrl(QStringLiteral("file:")), QUrl::fromLocalFile(sounds)});
    }

    // The check-and-repair question for a card whose pad 4 lost its right channel file, taken
    // as it shows and answered with Cancel, so that nothing changes.
    void repairQuestion(const QString& cardRoot, UL::ITextDialog& textDialog,
                        ZQ3::CController& controller) {
        const QString lost =
            QString::fromStdString(ZQ3::CardLayout::RightFilePath(cardRoot.toStdString(), 4));
        if (!QFile::remove(lost)) {
            Fail(QStringLiteral("cannot remove ") + lost);
        }
        bool shown = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible() || shown) {
                return;
            }
            shown = true;
            poll.stop();
            save(*box, QStringLiteral("repair_question"), [] { return true; });
            box->reject();
        });
        poll.start();
        if (ZQ3::Desktop::CheckAndRepairCard(cardRoot.toStdString(), textDialog,
                                             controller.cardLockWaiting()) ||
            !shown) {
            Fail(QStringLiteral("the check found nothing to repair"));
        }
    }

    // Shows widget, waits until it is drawn and ready says so, and saves it as NAME_LANG.png.
    void save(QWidget& widget, const QString& name, const std::function<bool()>& ready) {
        widget.show();
        WaitUntil([&] { return widget.windowHandle() && widget.windowHandle()->isExposed(); },
                  name + QStringLiteral(" to show"));
        WaitUntil(ready, name + QStringLiteral(" to be ready"));
        Settle();
        const QString path =
            QDir(pictures_).filePath(name + QLatin1Char('_') + language_ + QStringLiteral(".png"));
        if (!widget.grab().save(path)) {
            Fail(QStringLiteral("cannot write ") + path);
        }
    }

    QString language_;
    QString pictures_;
    QString bitmaps_;
    // A short name, as it shows in the drive list and the file dialogs.
    QTemporaryDir work_{QDir::tempPath() + QStringLiteral("/zq3-XXXXXX")};
};

// Qt's warnings that the offscreen platform cannot raise or size a window as a desktop would, and
// that it has no runtime folder, say nothing about the pictures; the rest goes to the build's log.
void QuietOffscreenWarnings(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
    if (type == QtWarningMsg &&
        (message.startsWith(QStringLiteral("This plugin does not support")) ||
         message.contains(QStringLiteral("XDG_RUNTIME_DIR")))) {
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (qstrcmp(argv[1], "en") != 0 && qstrcmp(argv[1], "ja") != 0)) {
        std::fprintf(stderr, "usage: %s en|ja PICTURE_FOLDER BITMAP_FOLDER\n", argv[0]);
        return 2;
    }
    // Everything the program and Qt's file dialog would keep goes into a folder of the run's
    // own; the pictures are taken without a display, in the language asked for, without sound.
    QTemporaryDir settings;
    qInstallMessageHandler(QuietOffscreenWarnings);
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", settings.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ZQ3_AUDIO_OUT", "null");
    qputenv("LC_ALL", qstrcmp(argv[1], "ja") == 0 ? "ja_JP.UTF-8" : "C.UTF-8");
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK JP"), 9));
    try {
        CScreenshots(QString::fromLatin1(argv[1]), QString::fromLocal8Bit(argv[2]),
                     QString::fromLocal8Bit(argv[3]))
            .takeAll();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s: %s\n", argv[0], failure.what());
        return 1;
    }
    return 0;
}
