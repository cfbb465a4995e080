// The desktop program driven through its widgets on a card folder made by the test: start-up from
// the settings, the pad block's clicks and keys, the button rules, import, export and delete
// through the dialogs, playback's blink, and what is saved at exit. Screenshots of the main
// window in both languages go to the build's screenshot folder.

#include "app/controller.h"
#include "app/domain.h"
#include "app/message_catalogue.h"
#include "app/player.h"
#include "app/preferences.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"
#include "tests/ui/screenshots.h"
#include "ui/application.h"
#include "ui/ini_profile.h"
#include "ui/main_frame.h"
#include "ui/main_view.h"
#include "ui/state_bitmap.h"
#include "ui/translations.h"
#include "ui/waveform_view.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <memory>

namespace {

constexpr std::uint32_t SampleFrames = 13230; // 0.3 s

// One run of the program on a settings store and a card of the test's own.
class CProgramRun {
public:
    CProgramRun() : profile_(settings_.filePath("settings.ini").toStdString()) {}
    ~CProgramRun() { stop(); }

    GT::CIniProfile& profile() { return profile_; }
    QString cardRoot() const { return settings_.filePath("card"); }
    QString file(const QString& name) const { return settings_.filePath(name); }

    void makeCard() { ZQ3::Fixture::MakeEmptyCard(cardRoot().toStdString()); }
    QString makeWav(const QString& name, int channels = 1) const {
        ZQ3::Fixture::WriteTestWav(file(name).toStdString(), channels, SampleFrames);
        return file(name);
    }
    // A struck sound of one second that dies away, the right side later and shorter, so that
    // its waveform reads at a glance.
    QString makeDrumWav(const QString& name, int channels = 1) const {
        ZQ3::Fixture::WriteWav(
            file(name).toStdString(), 44100, channels, 16, 44100,
            [](std::uint32_t frame, int channel) {
                const double t = frame / 44100.0 - 0.08 * channel;
                if (t < 0.0) {
                    return 0;
                }
                const double level = 28000.0 * std::exp(-(4.0 + 4.0 * channel) * t);
                return static_cast<std::int32_t>(level * std::sin(2.0 * M_PI * 110.0 * t));
            });
        return file(name);
    }

    bool start() {
        // Each run guards under a name of its own, so that runs never meet.
        static int run = 0;
        application_ = std::make_unique<CApplication>(
            profile_, QStringLiteral("zq3-converter-test-%1-%2").arg(getpid()).arg(++run),
            std::string(ZQ3_BITMAP_DIR) + "/");
        return application_->startUp() == CApplication::StartUp::Running;
    }
    void stop() {
        if (application_) {
            application_->shutDown();
            application_.reset();
        }
        ZQ3::MessageCatalogue::Instance().setLanguage(ZQ3::LanguageEnglish);
        UL::InstallTranslations(ZQ3::LanguageEnglish);
    }

    CApplication& application() { return *application_; }
    CMainView& view() { return *application_->view(); }
    CMainFrame& frame() { return *application_->frame(); }
    const ZQ3::CModel& model() { return *application_->domain().model; }
    ZQ3::CController& controller() { return *application_->domain().controller; }

    ZQ3::APad& pad(int index) {
        return *view().matrix().getPads()[static_cast<std::size_t>(index)];
    }
    QPoint centreOf(int index) {
        const ZQ3::CPadRect r = pad(index).rect();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void click(int index, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(&view(), button, {}, centreOf(index));
    }
    void doubleClick(int index) {
        QTest::mouseDClick(&view(), Qt::LeftButton, {}, centreOf(index));
    }

    // Puts a sample on pad of the current bank through the controller, as Import does.
    void importDirectly(int pad, const QString& wav) {
        QVERIFY(controller().selectPad(pad));
        QCOMPARE(controller().importFile(wav.toStdString()), ZQ3::CommandOutcome::Succeeded);
    }

    bool playing() {
        const auto& device = application_->player()->getAudioOutDevice();
        return device && device->isPlaying();
    }

private:
    QTemporaryDir settings_;
    GT::CIniProfile profile_;
    std::unique_ptr<CApplication> application_;
};

void UseJapanese() {
    qputenv("LC_ALL", "ja_JP.UTF-8");
}
void UseEnglish() {
    qputenv("LC_ALL", "");
}

// Answers the next question box with button.
void AnswerNextQuestion(QMessageBox::StandardButton button) {
    OnNextModal([button](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        QVERIFY(box);
        QAbstractButton* chosen = box->button(button);
        QVERIFY(chosen);
        chosen->click();
    });
}

// Chooses path in the next file dialog and confirms it.
void ChooseInNextFileDialog(const QString& path) {
    // A file dialog may still be settling when it first shows: it reads its folder in the
    // background and puts in the remembered name. So the choice is made again on every tick
    // until the dialog has gone, and only the first file dialog that shows is answered.
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto answered = std::make_shared<QPointer<QFileDialog>>();
    auto seen = std::make_shared<bool>(false);
    QObject::connect(timer, &QTimer::timeout, [timer, path, answered, seen] {
        if (*seen && (answered->isNull() || !(*answered)->isVisible())) {
            timer->stop();
            timer->deleteLater();
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || (*seen && dialog != answered->data())) {
            return;
        }
        *seen = true;
        *answered = dialog;
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    timer->start();
}

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { UseEnglish(); }

    void anEmptyStoreOpensWithoutCardAt0x0() {
        CProgramRun run;
        QVERIFY(run.start());
        QVERIFY(QTest::qWaitForWindowExposed(&run.frame()));
        QCOMPARE(run.frame().windowTitle(), QStringLiteral("ZQ-314 WAVE CONVERTER"));
        QCOMPARE(run.frame().pos(), QPoint(0, 0));
        QCOMPARE(run.frame().size(), QSize(600, 400));
        QCOMPARE(run.view().bankCombo()->count(), 0);
        QVERIFY(!run.view().bankCombo()->isEnabled());
        for (const auto& pad : run.view().matrix().getPads()) {
            QVERIFY(!pad->enabled);
            QCOMPARE(pad->look(), ZQ3::APad::LookDark);
        }
        QVERIFY(!run.view().importButton()->isEnabled());
        QVERIFY(!run.view().exportButton()->isEnabled());
        QVERIFY(!run.view().deleteButton()->isEnabled());
        QVERIFY(run.view().exitButton()->isEnabled());
        // The drive list ends with the entry that takes any folder.
        QComboBox* drives = run.view().driveCombo();
        QVERIFY(drives->count() >= 1);
        QCOMPARE(drives->itemData(drives->count() - 1).toString(), QString());
        // A click without a card selects nothing.
        run.click(5);
        QCOMPARE(run.model().selectedPad, -1);
        SaveScreenshot(run.frame(), QStringLiteral("main_no_card_en"));
    }

    void aSavedCardAndBankReopen() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        run.profile().setString(ZQ3::CPreferences::BankIdKey, "2");
        run.profile().setString(CMainFrame::PositionKey, "10,20,610,420");
        QVERIFY(run.start());
        QCOMPARE(run.model().cardRoot, run.cardRoot().toStdString());
        QCOMPARE(run.model().bank, 2);
        QCOMPARE(run.view().bankCombo()->currentText(), QStringLiteral("E"));
        QVERIFY(run.view().bankCombo()->isEnabled());
        QCOMPARE(run.view().driveCombo()->currentData().toString(), run.cardRoot());
        QCOMPARE(run.frame().pos(), QPoint(10, 20));
        QCOMPARE(run.frame().size(), QSize(600, 400));
        // Opening the drive list keeps the card chosen.
        run.view().driveCombo()->showPopup();
        run.view().driveCombo()->hidePopup();
        QCOMPARE(run.view().driveCombo()->currentData().toString(), run.cardRoot());
        run.stop();

        // A bank the card does not have ("010" reads as 8) opens the first bank.
        run.profile().setString(ZQ3::CPreferences::BankIdKey, "010");
        QVERIFY(run.start());
        QCOMPARE(run.model().bank, 0);
        QCOMPARE(run.view().bankCombo()->currentText(), QStringLiteral("C"));
    }

    void anyFolderCanBeChosenAsTheCard() {
        CProgramRun run;
        run.makeCard();
        QVERIFY(run.start());
        run.view().askFolder = [&run] { return run.cardRoot() + "/"; };
        run.view().chooseDrive(run.view().driveCombo()->count() - 1);
        QCOMPARE(run.model().cardRoot, run.cardRoot().toStdString());
        QCOMPARE(run.model().bank, 0);
        QCOMPARE(run.view().driveCombo()->currentData().toString(), run.cardRoot());
        // A folder that is no card leaves the program without one.
        run.view().askFolder = [&run] { return run.file(QString()); };
        // The user is told why.
        AnswerNextQuestion(QMessageBox::Ok);
        run.view().chooseOtherFolder();
        QCOMPARE(run.model().bank, -1);
        QVERIFY(!run.view().bankCombo()->isEnabled());
    }

    void aCardThatWentAwayIsReportedOnceWhenTheDriveListOpens() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        QVERIFY(run.model().hasCard());
        QVERIFY(QDir(run.cardRoot()).removeRecursively());
        int reports = 0;
        OnNextModal([&reports](QWidget& modal) {
            ++reports;
            QVERIFY(qobject_cast<QMessageBox*>(&modal));
            modal.close();
        });
        run.view().driveCombo()->showPopup();
        run.view().driveCombo()->hidePopup();
        QCOMPARE(reports, 1);
        QVERIFY(!run.model().hasCard());
        QVERIFY(!run.view().bankCombo()->isEnabled());
        QVERIFY(!run.pad(0).enabled);
        // Opening the list again says nothing more.
        run.view().driveCombo()->showPopup();
        run.view().driveCombo()->hidePopup();
        QTest::qWait(50);
        QCOMPARE(reports, 1);
    }

    void clicksAndKeysFollowTheButtonRules() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        const QString wav = run.makeWav("tone.wav");
        run.importDirectly(5, wav);
        QVERIFY(run.controller().selectPad(-1));
        QVERIFY(run.pad(5).hasSample);

        // The gap between pads 0 and 1, and a right click on a pad: nothing.
        const ZQ3::CPadRect left = run.pad(0).rect();
        const ZQ3::CPadRect right = run.pad(1).rect();
        QTest::mouseClick(&run.view(), Qt::LeftButton, {},
                          QPoint((left.right + right.left) / 2, left.top + 10));
        QCOMPARE(run.model().selectedPad, -1);
        run.click(3, Qt::RightButton);
        QCOMPARE(run.model().selectedPad, -1);

        run.click(3);
        QCOMPARE(run.model().selectedPad, 3);
        QVERIFY(run.view().importButton()->isEnabled());
        QVERIFY(!run.view().exportButton()->isEnabled());
        QVERIFY(!run.view().deleteButton()->isEnabled());
        // A double click on an empty pad only selects it.
        run.doubleClick(3);
        QVERIFY(!run.playing());

        run.click(5);
        QVERIFY(run.view().importButton()->isEnabled());
        QVERIFY(run.view().exportButton()->isEnabled());
        QVERIFY(run.view().deleteButton()->isEnabled());
        QCOMPARE(run.pad(5).look(), ZQ3::APad::LookLitSelected);
        QTRY_VERIFY(run.view().waveformView()->waveform() != nullptr);
        SaveScreenshot(run.frame(), QStringLiteral("main_pad_selected_en"));

        // Another bank keeps the pad number selected; its pad 5 is empty.
        QTest::keyClick(&run.view(), Qt::Key_PageDown);
        QCOMPARE(run.model().bank, 1);
        QCOMPARE(run.model().selectedPad, 5);
        QVERIFY(!run.view().exportButton()->isEnabled());
        QTest::keyClick(&run.view(), Qt::Key_PageUp);
        QCOMPARE(run.model().bank, 0);

        // Arrows move the selection in the block: up is four pads on.
        QTest::keyClick(&run.view(), Qt::Key_Right);
        QCOMPARE(run.model().selectedPad, 6);
        QTest::keyClick(&run.view(), Qt::Key_Up);
        QCOMPARE(run.model().selectedPad, 10);
        QTest::keyClick(&run.view(), Qt::Key_Down);
        QTest::keyClick(&run.view(), Qt::Key_Left);
        QCOMPARE(run.model().selectedPad, 5);

        // Space plays the selected pad; it blinks until the sample has played.
        QTest::keyClick(&run.view(), Qt::Key_Space);
        QVERIFY(run.playing());
        QVERIFY(run.view().isBlinking());
        SaveScreenshot(run.frame(), QStringLiteral("main_pad_playing_en"));
        QTRY_VERIFY_WITH_TIMEOUT(!run.view().isBlinking(), 5000);
        QVERIFY(!run.playing());
        QCOMPARE(run.pad(5).look(), ZQ3::APad::LookLitSelected);

        // A double click plays too, and a click on any pad stops it.
        run.doubleClick(5);
        QVERIFY(run.playing());
        run.click(0);
        QVERIFY(!run.playing());
        QCOMPARE(run.model().selectedPad, 0);
    }

    void theSelectedPadShowsItsWaveformAndWherePlaybackIs() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        run.importDirectly(5, run.makeDrumWav("kick.wav", 2));
        run.importDirectly(6, run.makeDrumWav("tom.wav"));
        QVERIFY(run.controller().selectPad(-1));
        const CWaveformView& waveform = *run.view().waveformView();
        // Beside the pad block, inside the window, which keeps its size.
        const ZQ3::CPadRect block = run.view().matrix().backgroundRect();
        QVERIFY(waveform.geometry().left() > block.right + 2);
        QVERIFY(waveform.geometry().top() >= block.top);
        QVERIFY(run.view().rect().contains(waveform.geometry()));
        QCOMPARE(run.frame().size(), QSize(600, 400));
        QVERIFY(waveform.waveform() == nullptr);

        run.click(5);
        QTRY_VERIFY(waveform.waveform() != nullptr);
        QCOMPARE(waveform.waveform()->channelCount(), 2);
        QCOMPARE(waveform.waveform()->frameCount(), run.model().playedLength(5));
        QCOMPARE(waveform.waveform()->columnCount(), waveform.plotWidth());
        SaveScreenshot(run.frame(), QStringLiteral("main_waveform_en"));
        run.click(6);
        QTRY_VERIFY(waveform.waveform() != nullptr && waveform.waveform()->channelCount() == 1);
        // An empty pad shows none; a pad seen before shows its own again at once.
        run.click(3);
        QVERIFY(waveform.waveform() == nullptr);
        run.click(5);
        QVERIFY(waveform.waveform() != nullptr);
        QCOMPARE(waveform.waveform()->channelCount(), 2);

        // The play line moves while the pad plays and goes at its end.
        QCOMPARE(waveform.playPosition(), -1.0);
        run.doubleClick(5);
        QVERIFY(run.playing());
        QTRY_VERIFY(waveform.playPosition() > 0.2);
        SaveScreenshot(run.frame(), QStringLiteral("main_waveform_playing_en"));
        QTRY_VERIFY(waveform.playPosition() > 0.5 || !run.playing());
        QTRY_VERIFY_WITH_TIMEOUT(!run.view().isBlinking(), 5000);
        QTRY_COMPARE(waveform.playPosition(), -1.0);
        // Without a card the panel is empty.
        run.view().askFolder = [&run] { return run.file(QString()); };
        AnswerNextQuestion(QMessageBox::Ok);
        run.view().chooseOtherFolder();
        QVERIFY(waveform.waveform() == nullptr);
    }

    void padsAreDrawnFromTheirCellsBottomLeftFirst() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        run.importDirectly(0, run.makeWav("tone.wav"));
        QVERIFY(QTest::qWaitForWindowExposed(&run.frame()));
        UL::CStateBitmap cells("Pads64", 64, false, false);
        QVERIFY(cells.load(std::string(ZQ3_BITMAP_DIR) + "/"));
        const QImage shown = run.view().grab().toImage().convertToFormat(QImage::Format_RGB32);
        // Pad 0 is lit and selected, pad 12 dark; each shows its own numbered cell.
        const std::pair<int, int> expected[] = {{0, ZQ3::APad::LookLitSelected},
                                                {12, ZQ3::APad::LookDark}};
        for (const auto& [index, look] : expected) {
            const ZQ3::CPadRect r = run.pad(index).rect();
            const QImage drawn = shown.copy(r.left, r.top, r.right - r.left, r.bottom - r.top);
            const QImage cell =
                cells.cellImage(look * 16 + index).convertToFormat(QImage::Format_RGB32);
            QCOMPARE(drawn, cell);
        }
        const ZQ3::CPadRect bottomLeft = run.pad(0).rect();
        const ZQ3::CPadRect topLeft = run.pad(12).rect();
        QCOMPARE(bottomLeft.left, topLeft.left);
        QVERIFY(bottomLeft.top > topLeft.top);
        // The matrix is centred in the window.
        const ZQ3::CPadRect area = run.view().matrix().backgroundRect();
        QVERIFY(std::abs(area.left - (run.view().width() - area.right)) <= 1);
    }

    void importAndDeleteThroughTheDialogs() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        const QString wav = run.makeWav("stereo.wav", 2);

        run.click(2);
        ChooseInNextFileDialog(wav);
        run.view().importButton()->click();
        QVERIFY(run.model().hasSample(2));
        QVERIFY(run.pad(2).hasSample);
        QVERIFY(run.view().deleteButton()->isEnabled());

        // Import onto a pad with a sample asks first; Cancel changes nothing.
        AnswerNextQuestion(QMessageBox::Cancel);
        run.view().importButton()->click();
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(run.model().hasSample(2));

        AnswerNextQuestion(QMessageBox::Cancel);
        run.view().deleteButton()->click();
        QVERIFY(run.model().hasSample(2));
        AnswerNextQuestion(QMessageBox::Ok);
        QTest::keyClick(&run.view(), Qt::Key_Delete);
        QVERIFY(!run.model().hasSample(2));
        QVERIFY(!run.pad(2).hasSample);
        QVERIFY(!run.view().deleteButton()->isEnabled());
        QVERIFY(run.view().importButton()->isEnabled());
    }

    void importThroughTheDialogConvertsWhenTheUserAskedAndKeepsTheChoice() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        run.profile().setInt(ZQ3::CPreferences::ConvertToCardFormatKey, 1);
        QVERIFY(run.start());
        // Half a second of 48 kHz 24-bit stereo, which the card takes only converted.
        const QString deep = run.file(QStringLiteral("deep.wav"));
        ZQ3::Fixture::WriteWav(deep.toStdString(), 48000, 2, 24, 24000,
                               [](std::uint32_t frame, int channel) {
                                   return static_cast<std::int32_t>(
                                       std::lround(2e6 * std::sin(frame * 0.03 * (channel + 1))));
                               });

        run.click(4);
        ChooseInNextFileDialog(deep);
        run.view().importButton()->click();
        QVERIFY(run.model().hasSample(4));
        const ZQ3::SampleEntry& entry = run.model().entryOf(4);
        QVERIFY(entry.stereo);
        QCOMPARE(entry.frameCount, (22050 + 15) / 16 * 16);

        run.view().exitButton()->click();
        run.stop();
        QCOMPARE(run.profile().getInt(ZQ3::CPreferences::ConvertToCardFormatKey, 0), 1L);
    }

    void droppedFilesFillConsecutivePads() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        run.importDirectly(14, run.makeWav("old.wav"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(run.makeWav("a.wav")),
                      QUrl::fromLocalFile(run.makeWav("b.wav", 2)),
                      QUrl::fromLocalFile(run.makeWav("c.wav"))});
        // Dropped on pad 13: pads 13, 14 and 15; 14 holds a sample and asks first.
        const QPoint at = run.centreOf(13);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&run.view(), &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(run.view().dropTargets(), (std::vector<int>{13, 14, 15}));
        SaveScreenshot(run.frame(), QStringLiteral("main_dragging_en"));
        AnswerNextQuestion(QMessageBox::Ok);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&run.view(), &drop);
        QVERIFY(run.view().dropTargets().empty());
        for (const int pad : {13, 14, 15}) {
            QVERIFY(run.model().hasSample(pad));
        }
        QVERIFY(run.model().entryOf(14).stereo);
        QVERIFY(!run.model().hasSample(12));
    }

    void theAboutBoxAndTheManualFollowTheLanguage() {
        CProgramRun run;
        QVERIFY(run.start());
        QString shown;
        OnNextModal([&shown](QWidget& modal) {
            auto* box = qobject_cast<QMessageBox*>(&modal);
            QVERIFY(box);
            shown = box->windowTitle() + "|" + box->text();
            box->accept();
        });
        run.frame().showAbout();
        QVERIFY(shown.startsWith(QStringLiteral("About ZQ-314 Wave Converter|")));
        QVERIFY(shown.contains(QStringLiteral("Version " ZQ3_VERSION)));
        QVERIFY(shown.contains(QStringLiteral("Copyright")));
        QVERIFY(ManualPath().endsWith(QStringLiteral("/Manual/ZQ-314WaveConverterManualE.html")));
        run.stop();

        UseJapanese();
        QVERIFY(run.start());
        QVERIFY(ManualPath().endsWith(QStringLiteral("/Manual/ZQ-314WaveConverterManualJ.html")));
        // Both manuals are in the source tree the build copies beside the program.
        for (const char* name :
             {"ZQ-314WaveConverterManualE.html", "ZQ-314WaveConverterManualJ.html"}) {
            QVERIFY(QFileInfo::exists(qEnvironmentVariable("ZQ3_SOURCE_DIR") + "/ui/manual/" +
                                      QString::fromLatin1(name)));
        }
    }

    void exitSavesTheSettings() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        run.profile().setString(ZQ3::CPreferences::BankIdKey, "3");
        run.profile().setString(ZQ3::CPreferences::LoadsBufferTimeKey, "1");
        run.profile().setString(ZQ3::CPreferences::RingBufferTimeKey, "0.5");
        run.profile().setString(ZQ3::CPreferences::DeviceBufferTimeKey, "9");
        QVERIFY(run.start());
        QCOMPARE(run.application().player()->ringBufferTime, 0.5);
        QCOMPARE(run.application().player()->deviceBufferTime,
                 ZQ3::CPreferences::LongestBufferTime);
        run.frame().move(30, 40);
        QTest::keyClick(&run.view(), Qt::Key_PageUp);
        run.view().exitButton()->click();
        QVERIFY(!run.frame().isVisible());
        run.stop();
        GT::CIniProfile& saved = run.profile();
        QCOMPARE(saved.getString(ZQ3::CPreferences::RingBufferTimeKey, ""),
                 std::string("0.500000000000000"));
        QCOMPARE(saved.getString(ZQ3::CPreferences::DeviceBufferTimeKey, ""),
                 std::string("2.000000000000000"));
        QCOMPARE(saved.getString(ZQ3::CPreferences::BankIdKey, ""), std::string("2"));
        QCOMPARE(saved.getString(ZQ3::CPreferences::VolumeNameKey, ""),
                 run.cardRoot().toStdString());
        QCOMPARE(saved.getString(CMainFrame::PositionKey, ""), std::string("30,40,630,440"));
        QCOMPARE(saved.getInt(CMainFrame::MaximizedKey, -1), 0L);
    }

    void screenshotsInJapanese() {
        UseJapanese();
        CProgramRun run;
        QVERIFY(run.start());
        QCOMPARE(ZQ3::MessageCatalogue::Instance().language(), int(ZQ3::LanguageJapanese));
        SaveScreenshot(run.frame(), QStringLiteral("main_no_card_ja"));
        run.stop();

        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        UseJapanese();
        QVERIFY(run.start());
        run.importDirectly(7, run.makeWav("tone.wav"));
        run.importDirectly(9, run.makeDrumWav("drum.wav", 2));
        run.click(9);
        const CWaveformView& waveform = *run.view().waveformView();
        QTRY_VERIFY(waveform.waveform() != nullptr);
        SaveScreenshot(run.frame(), QStringLiteral("main_pad_selected_ja"));
        run.doubleClick(9);
        QTRY_VERIFY(waveform.playPosition() > 0.2);
        SaveScreenshot(run.frame(), QStringLiteral("main_pad_playing_ja"));
    }
};

} // namespace

std::unique_ptr<QObject> MakeMainWindowTest() {
    return std::make_unique<MainWindowTest>();
}

#include "main_window_test.moc"
