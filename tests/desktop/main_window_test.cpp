// The desktop program driven through its widgets on a card folder made by the test: start-up from
// the settings, the pad block's clicks and keys, the button rules, import, export and delete
// through the dialogs, playback's blink, and what is saved at exit. Screenshots of the main
// window in both languages go to the build's screenshot folder.

#include "app/controller.h"
#include "app/domain.h"
#include "app/message_catalogue.h"
#include "app/player.h"
#include "app/preferences.h"
#include "card/card_layout.h"
#include "card/card_lock.h"
#include "desktop/application.h"
#include "desktop/drive_combo_box.h"
#include "desktop/ini_profile.h"
#include "desktop/main_frame.h"
#include "desktop/main_view.h"
#include "desktop/pad_grid.h"
#include "desktop/qt_state_bitmap.h"
#include "desktop/qt_text_dialog.h"
#include "desktop/status_panel.h"
#include "desktop/translations.h"
#include "desktop/udisks2_client.h"
#include "desktop/wave_file_open_dialog.h"
#include "desktop/waveform_view.h"
#include "tests/desktop/disk_service_mock.h"
#include "tests/desktop/screenshots.h"
#include "tests/support/read_only_file_system.h"
#include "tests/support/sound_file.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cmath>
#include <functional>
#include <memory>

namespace {

constexpr std::uint32_t SampleFrames = 13230; // 0.3 s

// The view's questions and the core's reports, answered from a script as a user would answer
// them: each text is kept (with the reason behind it after a "|"), and a question beyond the
// script is closed, which counts as Cancel.
class CScriptedTextDialog : public UL::ITextDialog {
public:
    int ask(int buttons, int icon, const std::string& text) override {
        return askWithDetail(buttons, icon, text, std::string());
    }
    int askWithDetail(int, int, const std::string& text, const std::string& detail) override {
        texts.append(QString::fromStdString(text) + QStringLiteral("|") +
                     QString::fromStdString(detail));
        return answers.isEmpty() ? AnswerCancel : answers.takeFirst();
    }

    QList<int> answers;
    QStringList texts;
};

// One run of the program on a settings store and a card of the test's own.
class CProgramRun {
public:
    CProgramRun() : profile_(settings_.filePath("settings.ini").toStdString()) {}
    ~CProgramRun() { stop(); }

    ZQ3::Desktop::CIniProfile& profile() { return profile_; }
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
            std::string(ZQ3_BITMAP_DIR) + "/", dialog_);
        return application_->startUp() == CApplication::StartUp::Running;
    }
    void stop() {
        if (application_) {
            application_->shutDown();
            application_.reset();
        }
        ZQ3::MessageCatalogue::Instance().setLanguage(ZQ3::LanguageEnglish);
        ZQ3::Desktop::InstallTranslations(ZQ3::LanguageEnglish);
    }

    CApplication& application() { return *application_; }
    CMainView& view() { return *application_->view(); }
    ZQ3::Desktop::CPadGrid& grid() { return *view().padGrid(); }
    CScriptedTextDialog& dialog() { return *dialog_; }
    // The next question is answered with answer (UL::ITextDialog::Answer...).
    void answerNext(int answer) { dialog_->answers.append(answer); }
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
        QTest::mouseClick(&grid(), button, {}, centreOf(index));
    }
    void doubleClick(int index) {
        QTest::mouseDClick(&grid(), Qt::LeftButton, {}, centreOf(index));
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
    ZQ3::Desktop::CIniProfile profile_;
    std::shared_ptr<CScriptedTextDialog> dialog_ = std::make_shared<CScriptedTextDialog>();
    std::unique_ptr<CApplication> application_;
};

// Writes the mount table the view reads and watches in place of the system's: the root file
// system, then a volume mounted at each of roots from device /dev/sdz1 on, written as the
// kernel writes its table (a blank as \040).
void WriteMountTable(const QString& table, const QStringList& roots) {
    QByteArray text = "/dev/sda1 / ext4 rw,relatime 0 0\n";
    char device = 'z';
    for (QString root : roots) {
        text += QStringLiteral("/dev/sd%1%2 %3 vfat rw,nosuid 0 0\n")
                    .arg(QString(QLatin1Char(device)), QStringLiteral("1"),
                         root.replace(QLatin1Char(' '), QLatin1String("\\040")))
                    .toUtf8();
        --device;
    }
    QFile file(table);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(text), text.size());
}

// The folder the drive chooser's "Other Folder..." gets from now on, as if the user chose it.
void AnswerFolder(CProgramRun& run, const QString& folder) {
    QObject::disconnect(&run.view(), &CMainView::folderWanted, nullptr, nullptr);
    QObject::connect(&run.view(), &CMainView::folderWanted,
                     [folder](QString& chosen) { chosen = folder; });
}

// Shows a question or report the scripted dialog kept ("text|detail") in the program's real
// message box with the buttons and icon the program asks for, as the user sees it, and saves it
// as name.
void ScreenshotOfBox(const QString& kept, int buttons, int icon, const QString& name) {
    const qsizetype bar = kept.indexOf(QLatin1Char('|'));
    OnNextModal([name](QWidget& modal) {
        SaveScreenshot(modal, name);
        modal.close();
    });
    UL::CTextDialog().askWithDetail(buttons, icon, kept.left(bar).toStdString(),
                                    kept.mid(bar + 1).toStdString());
}

void UseJapanese() {
    qputenv("LC_ALL", "ja_JP.UTF-8");
}
void UseEnglish() {
    qputenv("LC_ALL", "");
}

// Answers the questions asked while it lives, in turn, with the answers given, and keeps what
// every question and report said.
class CBoxAnswers {
public:
    CBoxAnswers(CProgramRun& run, QList<int> answers) : texts(run.dialog().texts) {
        run.dialog().answers = std::move(answers);
        run.dialog().texts.clear();
    }

    const QStringList& texts;
};

// Types path into the next file dialog's name field and confirms it, as a user does.
//
// Not QFileDialog::selectFile: once the dialog shows and its name field has the keyboard focus,
// selectFile leaves the field alone (it would overwrite what the user is typing), so the dialog
// kept the name it remembered. When the window got the focus before the choice was made (a matter
// of timing, more likely on a loaded machine), the export confirmed the remembered name of an
// existing file, and the dialog asked whether to replace it: a question nobody answered. (Without
// the focus, the dialog also keeps a file marked in its list as the choice over a typed name.) So
// the mark is cleared, the name goes into the field itself, and the dialog is confirmed only once
// it reports the path as its choice. Any other box that shows meanwhile is closed and makes the
// test fail instead of waiting for ever.
void ChooseInNextFileDialog(const QString& path) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, path] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) {
            timer->stop();
            timer->deleteLater();
            QWARN(qPrintable(QStringLiteral("unexpected box: ") + modal->windowTitle()));
            modal->close();
            return;
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
        QVERIFY(name && list);
        // A file marked in the list counts before the typed name; the dialog unmarks it when
        // the name changes only while the field has the focus.
        list->clearSelection();
        if (name->text() != path) {
            name->setText(path);
        }
        if (dialog->selectedFiles() != QStringList{path}) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        // A box this opens (it should not) is answered by the next tick of a timer of its own.
        auto* watch = new QTimer;
        watch->setInterval(10);
        QPointer<QFileDialog> chosen(dialog);
        QObject::connect(watch, &QTimer::timeout, [watch, chosen] {
            QWidget* shown = QApplication::activeModalWidget();
            if (chosen.isNull() || !chosen->isVisible()) {
                watch->stop();
                watch->deleteLater();
            } else if (shown != nullptr && shown != chosen.data()) {
                QWARN(qPrintable(QStringLiteral("the file dialog asked: ") +
                                 (qobject_cast<QMessageBox*>(shown)
                                      ? qobject_cast<QMessageBox*>(shown)->text()
                                      : shown->windowTitle())));
                shown->close();
                chosen->reject();
            }
        });
        watch->start();
        // As the dialog's own Save or Open button does.
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
    timer->start();
}

// Chooses path in the next open dialog, as ChooseInNextFileDialog does, and lets setUp work the
// dialog's tidying controls on it before it is confirmed.
void TidyInNextOpenDialog(const QString& path,
                          const std::function<void(CWaveFileOpenDialog&)>& setUp) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, path, setUp] {
        auto* dialog = dynamic_cast<CWaveFileOpenDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
        list->clearSelection();
        if (name->text() != path) {
            name->setText(path);
        }
        if (dialog->selectedFiles() != QStringList{path}) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        dialog->preview(path);
        setUp(*dialog);
        QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    });
    timer->start();
}

// Drags the handle at fraction from of view to fraction to, as the mouse does.
void DragHandle(ZQ3::Desktop::CWaveformView& view, double from, double to) {
    const int y = view.height() / 2;
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(view.xOf(from), y));
    QMouseEvent move(QEvent::MouseMove, QPointF(view.xOf(to), y),
                     view.mapToGlobal(QPointF(view.xOf(to), y)), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&view, &move);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(view.xOf(to), y));
}

// Records the file Help / Manual hands to the desktop's viewer, instead of opening it.
class CUrlRecorder : public QObject {
    Q_OBJECT

public:
    QUrl opened;

public slots:
    void open(const QUrl& url) { opened = url; }
};

QString OpenedManual(CProgramRun& run) {
    CUrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    run.frame().showManual();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    return recorder.opened.toLocalFile();
}

// The text of a PDF file as poppler's pdftotext, not the program, reads it.
QString ManualText(const QString& pdf) {
    const QString tool = QStringLiteral(ZQ3_PDFTOTEXT);
    if (tool.isEmpty()) {
        QTest::qFail("pdftotext (Debian: poppler-utils) is needed to read the manuals", __FILE__,
                     __LINE__);
        return {};
    }
    QProcess process;
    process.start(tool,
                  {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
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

    void aPlaceOffEveryScreenOpensOnTheScreenAndNeverMaximised() {
        CProgramRun run;
        // Saved on a screen that is gone, and marked maximised by hand.
        run.profile().setString(CMainFrame::PositionKey, "5000,-3000,5600,-2600");
        run.profile().setInt(CMainFrame::MaximizedKey, 1);
        QVERIFY(run.start());
        QVERIFY(QTest::qWaitForWindowExposed(&run.frame()));
        QCOMPARE(run.frame().pos(),
                 QGuiApplication::primaryScreen()->availableGeometry().topLeft());
        QCOMPARE(run.frame().size(), QSize(600, 400));
        QVERIFY(!run.frame().isMaximized());
        run.view().exitButton()->click();
        run.stop();
        QCOMPARE(run.profile().getInt(CMainFrame::MaximizedKey, -1), 0L);

        // Partly off the screen, with enough of its title bar showing to be grabbed: it stays.
        run.profile().setString(CMainFrame::PositionKey, "-300,10,300,410");
        QVERIFY(run.start());
        QCOMPARE(run.frame().pos(), QPoint(-300, 10));
    }

    void anyFolderCanBeChosenAsTheCard() {
        CProgramRun run;
        run.makeCard();
        QVERIFY(run.start());
        AnswerFolder(run, run.cardRoot() + "/");
        run.view().chooseDrive(run.view().driveCombo()->count() - 1);
        QCOMPARE(run.model().cardRoot, run.cardRoot().toStdString());
        QCOMPARE(run.model().bank, 0);
        QCOMPARE(run.view().driveCombo()->currentData().toString(), run.cardRoot());
        // A folder that is no card leaves the program without one.
        AnswerFolder(run, run.file(QString()));
        // The user is told why.
        run.answerNext(UL::ITextDialog::AnswerOk);
        run.view().chooseOtherFolder();
        QCOMPARE(run.model().bank, -1);
        QVERIFY(!run.view().bankCombo()->isEnabled());
    }

    // The read-back follows the stored choice at start and the Options menu afterwards, and the
    // choice is stored when toggled.
    void theReadBackFollowsTheStoredChoiceAndTheMenu() {
        CProgramRun run;
        run.profile().setInt(ZQ3::CPreferences::ReadBackKey, 0);
        QVERIFY(run.start());
        QVERIFY(!run.controller().readsBack());
        QVERIFY(!run.frame().readBackAction()->isChecked());
        run.frame().readBackAction()->trigger();
        QVERIFY(run.controller().readsBack());
        QCOMPARE(run.profile().getInt(ZQ3::CPreferences::ReadBackKey, 0), 1);
    }

    // A pad dragged onto another moves there, with Ctrl it is copied, asking before a sample is
    // replaced; Edit / Cut and Paste move a pad into another bank. Screenshots of a drag and of
    // the Edit menu in both languages.
    void padsMoveByDragCopyWithCtrlAndPasteIntoAnotherBank() {
        for (const bool japanese : {false, true}) {
            const QString language = japanese ? QStringLiteral("ja") : QStringLiteral("en");
            CProgramRun run;
            run.makeCard();
            run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
            if (japanese) {
                UseJapanese();
            }
            QVERIFY(run.start());
            run.importDirectly(0, run.makeWav("a.wav"));
            run.importDirectly(1, run.makeDrumWav("b.wav", 2));
            const ZQ3::SampleEntry first = run.model().entryOf(0);

            QTest::mousePress(&run.grid(), Qt::LeftButton, {}, run.centreOf(0));
            QTest::mouseMove(&run.grid(), run.centreOf(4));
            QTest::mouseMove(&run.grid(), run.centreOf(5));
            QCOMPARE(run.grid().dropTargets(), std::vector<int>{5});
            SaveScreenshot(run.frame(), QStringLiteral("main_pad_drag_") + language);
            QTest::mouseRelease(&run.grid(), Qt::LeftButton, {}, run.centreOf(5));
            QCOMPARE(run.model().entryOf(5), first);
            QVERIFY(run.model().entryOf(0).isEmpty());

            CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk});
            QTest::mousePress(&run.grid(), Qt::LeftButton, {}, run.centreOf(5));
            QTest::mouseMove(&run.grid(), run.centreOf(1));
            QTest::mouseRelease(&run.grid(), Qt::LeftButton, Qt::ControlModifier, run.centreOf(1));
            QCOMPARE(answers.texts.size(), 1);
            QVERIFY(answers.texts[0].startsWith(QStringLiteral("C1")));
            QCOMPARE(run.model().entryOf(1), first);
            QCOMPARE(run.model().entryOf(5), first);

            run.click(5);
            QMenu& edit = *run.frame().editMenu();
            edit.popup(run.frame().mapToGlobal(QPoint(40, 20)));
            QVERIFY(QTest::qWaitForWindowExposed(&edit));
            SaveScreenshot(edit, QStringLiteral("main_edit_menu_") + language);
            edit.close();
            run.view().cutSelectedPad();
            QVERIFY(run.controller().selectBank(3));
            QVERIFY(run.controller().selectPad(2));
            run.view().pasteOnSelectedPad();
            QCOMPARE(run.model().entryOf(2), first);
            QVERIFY(run.controller().selectBank(0));
            QVERIFY(run.model().entryOf(5).isEmpty());
            QVERIFY(!run.view().canPaste());

            // A pad copied on one card is pasted onto another card.
            run.click(1);
            run.view().copySelectedPad();
            const std::string otherCard = run.cardRoot().toStdString() + "-other";
            ZQ3::Fixture::MakeEmptyCard(otherCard);
            QVERIFY(run.controller().selectDrive(otherCard, 4));
            QVERIFY(run.controller().selectPad(7));
            run.view().pasteOnSelectedPad();
            QCOMPARE(run.model().entryOf(7), first);
            QCOMPARE(
                ZQ3::Fixture::ReadFileBytes(ZQ3::CardLayout::LeftFilePath(otherCard, 4 * 16 + 7)),
                ZQ3::Fixture::ReadFileBytes(
                    ZQ3::CardLayout::LeftFilePath(run.cardRoot().toStdString(), 1)));
        }
    }

    // Edit / Undo names the last change and puts the card and its pads back as they were;
    // Redo makes the change again. Screenshots of the Edit menu with Undo in both languages.
    void undoAndRedoFromTheEditMenu() {
        for (const bool japanese : {false, true}) {
            CProgramRun run;
            run.makeCard();
            run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
            if (japanese) {
                UseJapanese();
            }
            QVERIFY(run.start());
            const std::string card = run.cardRoot().toStdString();
            const auto before = ZQ3::Fixture::FilesBelow(card);
            const std::vector<ZQ3::SampleEntry> empty = run.model().entries;
            run.importDirectly(5, run.makeWav("kick.wav"));
            const auto after = ZQ3::Fixture::FilesBelow(card);
            const std::vector<ZQ3::SampleEntry> imported = run.model().entries;

            QMenu& edit = *run.frame().editMenu();
            edit.popup(run.frame().mapToGlobal(QPoint(40, 20)));
            QVERIFY(QTest::qWaitForWindowExposed(&edit));
            QAction* undo = edit.actions().at(0);
            QAction* redo = edit.actions().at(1);
            QVERIFY(undo->isEnabled());
            QVERIFY(!redo->isEnabled());
            QVERIFY2(undo->text().contains(QStringLiteral("kick.wav")) &&
                         undo->text().contains(QStringLiteral("C5")),
                     qPrintable(undo->text()));
            QCOMPARE(undo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
            QCOMPARE(redo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
            SaveScreenshot(edit, QStringLiteral("main_edit_menu_undo_") +
                                     (japanese ? QStringLiteral("ja") : QStringLiteral("en")));
            edit.close();

            undo->trigger();
            QCOMPARE(run.model().entries, empty);
            QVERIFY(ZQ3::Fixture::FilesBelow(card) == before);
            redo->trigger();
            QCOMPARE(run.model().entries, imported);
            QVERIFY(ZQ3::Fixture::FilesBelow(card) == after);
        }
    }

    void aReadOnlyCardTurnsOffImportAndDeleteAndSaysWhy() {
        ZQ3::Testing::CReadOnlyFileSystem readOnly;
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        run.importDirectly(3, run.makeWav("tone.wav"));
        // The card as it shows once its write-protect switch is on and it is opened again.
        run.controller().setFileSystem(readOnly);
        QVERIFY(run.controller().selectDrive(run.cardRoot().toStdString(), 0));
        run.click(3);
        QVERIFY(!run.view().importButton()->isEnabled());
        QVERIFY(!run.view().deleteButton()->isEnabled());
        QVERIFY(run.view().exportButton()->isEnabled());
        const QString why = run.view().deleteButton()->toolTip();
        QVERIFY2(why.startsWith(run.cardRoot() + ": ") && why.contains("write-protect"),
                 qPrintable(why));
        QCOMPARE(run.view().importButton()->toolTip(), why);
        QVERIFY(run.view().statusLine()->text().startsWith(QStringLiteral("Read-only card")));
        QCOMPARE(run.view().statusLine()->toolTip(), why);
        SaveScreenshot(run.frame(), QStringLiteral("main_read_only_card_en"));
        {
            // A drop onto a pad asks nothing and says why.
            CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk});
            run.view().importFilesFrom(4, {run.file("tone.wav")});
            QTRY_COMPARE(answers.texts.size(), 1);
            QVERIFY2(answers.texts.front().contains(why), qPrintable(answers.texts.front()));
            QVERIFY(!run.model().hasSample(4));
        }
        // Writable again, the card shows its space and the buttons need no excuse.
        run.controller().setFileSystem(ZQ3::PosixFileSystem());
        QVERIFY(run.controller().selectDrive(run.cardRoot().toStdString(), 0));
        run.click(3);
        QVERIFY(run.view().deleteButton()->isEnabled());
        QVERIFY(run.view().deleteButton()->toolTip().isEmpty());
        QVERIFY(run.view().statusLine()->text().startsWith(QStringLiteral("Free: ")));

        run.stop();
        UseJapanese();
        QVERIFY(run.start());
        run.controller().setFileSystem(readOnly);
        QVERIFY(run.controller().selectDrive(run.cardRoot().toStdString(), 0));
        run.click(3);
        QVERIFY(run.view().deleteButton()->toolTip().contains(QStringLiteral("読み取り専用")));
        QVERIFY(run.view().statusLine()->text().startsWith(QStringLiteral("読み取り専用")));
        SaveScreenshot(run.frame(), QStringLiteral("main_read_only_card_ja"));
        run.controller().setFileSystem(ZQ3::PosixFileSystem());
    }

    // File / Back Up Card... writes the card into a tar archive; File / Restore Card... asks,
    // naming the pads that hold samples now, and puts the card back byte for byte. Screenshots
    // of the File menu and of the question in both languages.
    void theCardIsBackedUpAndRestoredFromTheFileMenu() {
        for (const bool japanese : {false, true}) {
            const QString language = japanese ? QStringLiteral("ja") : QStringLiteral("en");
            CProgramRun run;
            run.makeCard();
            const std::string root = run.cardRoot().toStdString();
            run.profile().setString(ZQ3::CPreferences::VolumeNameKey, root);
            if (japanese) {
                UseJapanese();
            }
            QVERIFY(run.start());
            run.importDirectly(0, run.makeWav("a.wav"));
            run.importDirectly(1, run.makeDrumWav("b.wav", 2));
            const auto before = ZQ3::Fixture::FilesBelow(root);
            const QString archive = run.file("card.tar");
            QObject::connect(&run.view(), &CMainView::backupFileWanted,
                             [archive](QString& path, bool) { path = archive; });

            QMenu& file = *run.frame().fileMenu();
            file.popup(run.frame().mapToGlobal(QPoint(10, 20)));
            QVERIFY(QTest::qWaitForWindowExposed(&file));
            QVERIFY(file.actions()[0]->isEnabled() && file.actions()[1]->isEnabled());
            SaveScreenshot(file, QStringLiteral("main_file_menu_") + language);
            file.close();
            {
                CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk});
                run.view().backUpCard();
                QCOMPARE(answers.texts.size(), 1);
                QVERIFY(answers.texts[0].contains(archive));
            }

            run.importDirectly(0, run.makeDrumWav("c.wav", 2));
            QCOMPARE(run.controller().deletePad(1), ZQ3::CommandOutcome::Succeeded);
            {
                CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk});
                run.view().restoreCard();
                QCOMPARE(answers.texts.size(), 1);
                QVERIFY(answers.texts[0].contains(archive));
                QVERIFY(answers.texts[0].contains(QStringLiteral("C0")));
                ScreenshotOfBox(answers.texts[0], UL::ITextDialog::ButtonsOkCancel,
                                UL::ITextDialog::IconQuestion,
                                QStringLiteral("main_restore_question_") + language);
            }
            QVERIFY(ZQ3::Fixture::FilesBelow(root) == before);
            QVERIFY(run.model().entryOf(1).stereo);
            UseEnglish();
        }
    }

    void aDamagedCardIsCheckedAndRepairedAfterOneQuestion() {
        CProgramRun run;
        run.makeCard();
        const std::string information =
            ZQ3::CardLayout::InformationFilePath(run.cardRoot().toStdString());
        std::string bytes = ZQ3::Fixture::ReadFileBytes(information);
        bytes[5 * 23 + 17] = '\xFF';
        QFile::remove(QString::fromStdString(information));
        ZQ3::Fixture::WriteFileBytes(information, bytes);
        QVERIFY(run.start());
        QVERIFY(!run.model().hasCard());
        AnswerFolder(run, run.cardRoot());
        CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk, UL::ITextDialog::AnswerOk});
        run.view().checkAndRepairCard();
        QCOMPARE(answers.texts.size(), 2);
        QVERIFY(answers.texts[0].startsWith(QStringLiteral("Repair the card?")));
        QVERIFY(answers.texts[0].contains(QStringLiteral("C5: its record is damaged")));
        QVERIFY(answers.texts[1].contains(QStringLiteral("repaired")));
        QCOMPARE(run.model().cardRoot, run.cardRoot().toStdString());
    }

    void aCardThatWentAwayIsReportedOnceWhenTheDriveListOpens() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        QVERIFY(run.model().hasCard());
        QVERIFY(QDir(run.cardRoot()).removeRecursively());
        const QStringList& reports = run.dialog().texts;
        run.view().driveCombo()->showPopup();
        run.view().driveCombo()->hidePopup();
        QCOMPARE(reports.size(), 1);
        QVERIFY(!run.model().hasCard());
        QVERIFY(!run.view().bankCombo()->isEnabled());
        QVERIFY(!run.pad(0).enabled);
        // Opening the list again says nothing more.
        run.view().driveCombo()->showPopup();
        run.view().driveCombo()->hidePopup();
        QTest::qWait(50);
        QCOMPARE(reports.size(), 1);
    }

    void aCardThatWentAwayIsReportedOnceAtTheNextCommand() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        run.importDirectly(3, run.makeWav("tone.wav"));
        QVERIFY(QDir(run.cardRoot()).removeRecursively());
        {
            // Delete says the card is gone, asks nothing, and the view shows no card.
            CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk});
            QTest::keyClick(&run.grid(), Qt::Key_Delete);
            QTRY_COMPARE(answers.texts.size(), 1);
            QVERIFY(answers.texts.front().startsWith(
                QStringLiteral("The selected drive is not for the ZQ-314.")));
            QVERIFY(!run.model().hasCard());
            QVERIFY(!run.view().bankCombo()->isEnabled());
            QVERIFY(!run.view().importButton()->isEnabled());
            QVERIFY(!run.pad(3).enabled);
            QCOMPARE(run.view().statusLine()->text(), QStringLiteral("No card"));
            // Nothing more to say at the next key or opening of the drive list.
            QTest::keyClick(&run.grid(), Qt::Key_Delete);
            run.view().driveCombo()->showPopup();
            run.view().driveCombo()->hidePopup();
            QTest::qWait(50);
            QCOMPARE(answers.texts.size(), 1);
        }
    }

    void aCardTakenOutIsLetGoOfAtOnceAndTheStatusLineSaysSo() {
        for (const bool japanese : {false, true}) {
            if (japanese) {
                UseJapanese();
            }
            CProgramRun run;
            run.makeCard();
            run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
            QVERIFY(run.start());
            run.importDirectly(3, run.makeWav("tone.wav"));
            QVERIFY(run.pad(3).hasSample);
            QVERIFY(run.view().driveCombo()->findData(run.cardRoot()) >= 0);
            const CBoxAnswers answers(run, {});
            // What the import changed in the card's folder is told first.
            QTest::qWait(100);
            // Taken out, as a card kept in a plain folder can be: its folder renamed away.
            QVERIFY(QDir().rename(run.cardRoot(), run.file("elsewhere")));
            QTRY_VERIFY_WITH_TIMEOUT(!run.pad(3).hasSample, 1000);
            QVERIFY(!run.model().hasCard());
            QVERIFY(!run.view().importButton()->isEnabled());
            const QString said = japanese ? QStringLiteral("%1 のカードが取り外されました。")
                                          : QStringLiteral("The card at %1 was removed.");
            QCOMPARE(run.view().statusLine()->text(), said.arg(run.cardRoot()));
            QCOMPARE(run.view().driveCombo()->findData(run.cardRoot()), -1);
            SaveScreenshot(run.frame(), japanese ? QStringLiteral("main_card_removed_ja")
                                                 : QStringLiteral("main_card_removed_en"));
            // Nothing asked the user anything, and the card is still the one remembered.
            QVERIFY(answers.texts.isEmpty());
            run.view().exitButton()->click();
            run.stop();
            QCOMPARE(QString::fromStdString(
                         run.profile().getString(ZQ3::CPreferences::VolumeNameKey, "")),
                     run.cardRoot());
        }
    }

    void aCardTakenOutWhileADialogIsOpenIsLetGoOfWhenItCloses() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        run.importDirectly(3, run.makeWav("tone.wav"));
        // The dialog works on the model shown; it must not be replaced under it.
        bool keptWhileOpen = false;
        OnNextModal([&](QWidget& modal) {
            QVERIFY(QDir().rename(run.cardRoot(), run.file("elsewhere")));
            QTest::qWait(2 * CMainView::CardRecheckMilliseconds);
            keptWhileOpen = run.model().hasSample(3);
            modal.close();
        });
        QMessageBox box(QMessageBox::Information, QStringLiteral("Busy"), QStringLiteral("Busy"),
                        QMessageBox::Ok, &run.frame());
        box.exec();
        QVERIFY(keptWhileOpen);
        QTRY_VERIFY_WITH_TIMEOUT(!run.model().hasCard(), 1000);
    }

    void aFolderThatIsNoCardLeavesTheRememberedCard() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        run.profile().setString(ZQ3::CPreferences::BankIdKey, "3");
        QVERIFY(run.start());
        AnswerFolder(run, run.file(QString()));
        run.answerNext(UL::ITextDialog::AnswerOk);
        run.view().chooseOtherFolder();
        QVERIFY(!run.model().hasCard());
        run.view().exitButton()->click();
        run.stop();
        QCOMPARE(
            QString::fromStdString(run.profile().getString(ZQ3::CPreferences::VolumeNameKey, "")),
            run.cardRoot());
        QCOMPARE(run.profile().getString(ZQ3::CPreferences::BankIdKey, ""), std::string("3"));
    }

    void aDamagedCardChosenAsTheDriveIsOfferedTheRepair() {
        for (const bool japanese : {false, true}) {
            if (japanese) {
                UseJapanese();
            }
            CProgramRun run;
            run.makeCard();
            const std::string information =
                ZQ3::CardLayout::InformationFilePath(run.cardRoot().toStdString());
            std::string bytes = ZQ3::Fixture::ReadFileBytes(information);
            bytes[5 * 23 + 17] = '\xFF';
            QFile::remove(QString::fromStdString(information));
            ZQ3::Fixture::WriteFileBytes(information, bytes);
            QVERIFY(run.start());
            AnswerFolder(run, run.cardRoot());
            const CBoxAnswers answers(run, {UL::ITextDialog::AnswerYes, UL::ITextDialog::AnswerOk,
                                            UL::ITextDialog::AnswerOk});
            run.view().chooseOtherFolder();
            QCOMPARE(answers.texts.size(), 3);
            const QString notACard = QString::fromStdString(
                ZQ3::MessageCatalogue::Instance().text(ZQ3::MessageNotACard));
            QVERIFY(answers.texts[0].startsWith(notACard + QStringLiteral("|")));
            QVERIFY(answers.texts[0].contains(QStringLiteral("Check and Repair Card...")) ||
                    answers.texts[0].contains(QStringLiteral("カードの検査と修復...")));
            // Yes leads into the check and repair, and the repaired card is loaded.
            QVERIFY(answers.texts[1].contains(QStringLiteral("C5")));
            QVERIFY(run.model().hasCard());
            QCOMPARE(run.model().cardRoot, run.cardRoot().toStdString());
            ScreenshotOfBox(
                answers.texts[0], UL::ITextDialog::ButtonsYesNo, UL::ITextDialog::IconWarning,
                japanese ? QStringLiteral("repair_offer_ja") : QStringLiteral("repair_offer_en"));
        }
    }

    void theReplaceAndDeleteQuestionsNameThePadAndItsSample() {
        for (const bool japanese : {false, true}) {
            if (japanese) {
                UseJapanese();
            }
            CProgramRun run;
            run.makeCard();
            run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
            QVERIFY(run.start());
            QVERIFY(run.controller().selectBank(2));
            run.importDirectly(4, run.makeWav("stereo.wav", 2));
            const QString seconds = QString::number(run.model().playedSeconds(4), 'f', 2);
            const QString detail = japanese ? QStringLiteral("E4: %1 秒、ステレオ").arg(seconds)
                                            : QStringLiteral("E4: %1 s, stereo").arg(seconds);
            const auto catalogue = [](int id) {
                return QString::fromStdString(ZQ3::MessageCatalogue::Instance().text(id));
            };
            const CBoxAnswers answers(
                run, {UL::ITextDialog::AnswerCancel, UL::ITextDialog::AnswerCancel});
            run.view().importButton()->click();
            run.view().deleteButton()->click();
            QCOMPARE(answers.texts,
                     QStringList({catalogue(ZQ3::MessageOverwriteQuestion) + "|" + detail,
                                  catalogue(ZQ3::MessageDeleteQuestion) + "|" + detail}));
            QVERIFY(run.model().hasSample(4));
            const QString suffix = japanese ? QStringLiteral("_ja") : QStringLiteral("_en");
            for (const auto& [kept, name] :
                 {std::pair{answers.texts[0], QStringLiteral("replace_question")},
                  std::pair{answers.texts[1], QStringLiteral("delete_question")}}) {
                ScreenshotOfBox(kept, UL::ITextDialog::ButtonsOkCancel,
                                UL::ITextDialog::IconQuestion, name + suffix);
            }
        }
    }

    void theManualWithoutAViewerSaysWhereItIs() {
        CProgramRun run;
        QVERIFY(run.start());
        const CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk, UL::ITextDialog::AnswerOk});
        // No program on the path opens anything.
        const QByteArray path = qgetenv("PATH");
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toLocal8Bit());
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        const QString manuals = QStringLiteral(ZQ3_MANUAL_DIR);
        run.frame().setManualDirectory(manuals);
        run.frame().showManual();
        qputenv("PATH", path);
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY(answers.texts[0].startsWith(QStringLiteral(
            "The manual could not be opened: no program to show PDF files was found.|")));
        QVERIFY(answers.texts[0].contains(manuals + "/ZQ-314WaveConverterManualE.pdf"));
        ScreenshotOfBox(answers.texts[0], UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconWarning,
                        QStringLiteral("manual_no_viewer_en"));
        // A manual that is not there says so, with where it was looked for.
        run.frame().setManualDirectory(run.file("nowhere"));
        run.frame().showManual();
        QCOMPARE(answers.texts.size(), 2);
        QVERIFY(answers.texts[1].startsWith(QStringLiteral("The manual is missing.|")));
        QVERIFY(answers.texts[1].contains(run.file("nowhere")));
        run.stop();
        UseJapanese();
        QVERIFY(run.start());
        const CBoxAnswers japanese(run, {UL::ITextDialog::AnswerOk});
        qputenv("PATH", empty.path().toLocal8Bit());
        run.frame().setManualDirectory(manuals);
        run.frame().showManual();
        qputenv("PATH", path);
        QCOMPARE(japanese.texts.size(), 1);
        QVERIFY(japanese.texts[0].contains(manuals + "/ZQ-314WaveConverterManualJ.pdf"));
        ScreenshotOfBox(japanese.texts[0], UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconWarning,
                        QStringLiteral("manual_no_viewer_ja"));
    }

    void aCardChangedByAnotherProgramIsReloadedAndNotWritten() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        run.importDirectly(3, run.makeWav("tone.wav"));
        // Another converter, with a model of its own, fills pad 7 meanwhile.
        ZQ3::CDomain other;
        QVERIFY(other.controller->selectDrive(run.cardRoot().toStdString(), 0));
        QVERIFY(other.controller->selectPad(7));
        QCOMPARE(other.controller->importFile(run.file("tone.wav").toStdString()),
                 ZQ3::CommandOutcome::Succeeded);
        QVERIFY(!run.pad(7).hasSample);
        {
            CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk, UL::ITextDialog::AnswerOk});
            QTest::keyClick(&run.grid(), Qt::Key_Delete);
            QTRY_COMPARE(answers.texts.size(), 2);
            QVERIFY(answers.texts[1].startsWith(
                QStringLiteral("The card was changed by another program. It has been reloaded")));
        }
        // The delete did not happen; the view shows the card as the other converter left it.
        QVERIFY(run.model().hasSample(3));
        QVERIFY(run.model().hasSample(7));
        QVERIFY(run.pad(7).hasSample);
        QVERIFY(run.pad(3).hasSample);
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
        // The pointer over a pad tells what it holds; the tempo is kept in tenths of a BPM.
        const ZQ3::SampleEntry& entry = run.model().entryOf(5);
        QVERIFY(entry.tempo > 300 && entry.tempo < 3000);
        QCOMPARE(run.view().padToolTip(5),
                 QStringLiteral("Pad C5: %1 s, mono, not lo-fi, tempo %2 BPM")
                     .arg(static_cast<double>(run.model().playedLength(5)) / 44100.0, 0, 'f', 2)
                     .arg(entry.tempo / 10.0, 0, 'f', 1));
        QCOMPARE(run.view().padToolTip(6), QStringLiteral("Pad C6: empty"));
        // The status line: free space and the sample time left, mono and stereo.
        const QString status = run.view().statusLine()->text();
        QVERIFY(status.startsWith(QStringLiteral("Free: ")));
        QVERIFY(status.contains(QStringLiteral("\nMono: ")));
        QVERIFY(status.contains(QStringLiteral("\nStereo: ")));
        QVERIFY(status.endsWith(QStringLiteral(" left")));

        // The gap between pads 0 and 1, and a right click on a pad: nothing.
        const ZQ3::CPadRect left = run.pad(0).rect();
        const ZQ3::CPadRect right = run.pad(1).rect();
        QTest::mouseClick(&run.grid(), Qt::LeftButton, {},
                          QPoint((left.right + right.left) / 2, left.top + 10));
        QCOMPARE(run.model().selectedPad, -1);
        run.click(3, Qt::RightButton);
        QCOMPARE(run.model().selectedPad, -1);
        // Without a selection the keys select a pad to start from: End the last, the others
        // the first.
        QTest::keyClick(&run.grid(), Qt::Key_End);
        QCOMPARE(run.model().selectedPad, 15);
        QVERIFY(run.controller().selectPad(-1));
        QTest::keyClick(&run.grid(), Qt::Key_Up);
        QCOMPARE(run.model().selectedPad, 0);

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
        QTest::keyClick(&run.grid(), Qt::Key_PageDown);
        QCOMPARE(run.model().bank, 1);
        QCOMPARE(run.model().selectedPad, 5);
        QVERIFY(!run.view().exportButton()->isEnabled());
        QTest::keyClick(&run.grid(), Qt::Key_PageUp);
        QCOMPARE(run.model().bank, 0);

        // Arrows move the selection in the block: up is four pads on.
        QTest::keyClick(&run.grid(), Qt::Key_Right);
        QCOMPARE(run.model().selectedPad, 6);
        QTest::keyClick(&run.grid(), Qt::Key_Up);
        QCOMPARE(run.model().selectedPad, 10);
        QTest::keyClick(&run.grid(), Qt::Key_Down);
        QTest::keyClick(&run.grid(), Qt::Key_Left);
        QCOMPARE(run.model().selectedPad, 5);
        // Home and End: the first and the last pad of the bank; a key going up does nothing.
        QTest::keyClick(&run.grid(), Qt::Key_End);
        QCOMPARE(run.model().selectedPad, 15);
        QTest::keyClick(&run.grid(), Qt::Key_Home);
        QCOMPARE(run.model().selectedPad, 0);
        QTest::keyRelease(&run.grid(), Qt::Key_Up);
        QCOMPARE(run.model().selectedPad, 0);
        QTest::keyClick(&run.grid(), Qt::Key_Right);
        QTest::keyClick(&run.grid(), Qt::Key_Up);
        QCOMPARE(run.model().selectedPad, 5);

        // Space plays the selected pad; it blinks until the sample has played.
        QTest::keyClick(&run.grid(), Qt::Key_Space);
        QVERIFY(run.playing());
        // The player's news reaches the view through the event loop.
        QTRY_VERIFY(run.grid().isBlinking());
        SaveScreenshot(run.frame(), QStringLiteral("main_pad_playing_en"));
        QTRY_VERIFY_WITH_TIMEOUT(!run.grid().isBlinking(), 5000);
        QVERIFY(!run.playing());
        QCOMPARE(run.pad(5).look(), ZQ3::APad::LookLitSelected);

        // Enter plays too, and Escape stops it.
        QTest::keyClick(&run.grid(), Qt::Key_Return);
        QVERIFY(run.playing());
        QTest::keyClick(&run.grid(), Qt::Key_Escape);
        QVERIFY(!run.playing());
        QCOMPARE(run.model().selectedPad, 5);

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
        const ZQ3::Desktop::CWaveformView& waveform = *run.view().waveformView();
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
        QCOMPARE(waveform.waveform()->columnCount(), waveform.plotPixels());
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
        QTRY_VERIFY_WITH_TIMEOUT(!run.grid().isBlinking(), 5000);
        QTRY_COMPARE(waveform.playPosition(), -1.0);
        // Without a card the panel is empty.
        AnswerFolder(run, run.file(QString()));
        run.answerNext(UL::ITextDialog::AnswerOk);
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

    // The grid reports what is done to a pad through its signals; a playing pad blinks in the
    // picture only, the pad itself keeping the look the model gives it.
    void theGridReportsPadsAndBlinksInThePictureOnly() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        run.importDirectly(0, run.makeWav("tone.wav"));
        QVERIFY(QTest::qWaitForWindowExposed(&run.frame()));
        QSignalSpy selected(&run.grid(), &ZQ3::Desktop::CPadGrid::padSelected);
        QSignalSpy activated(&run.grid(), &ZQ3::Desktop::CPadGrid::padActivated);
        run.click(3);
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().at(0).toInt(), 3);
        QCOMPARE(activated.size(), 0);
        run.doubleClick(0);
        QCOMPARE(selected.last().at(0).toInt(), 0);
        QCOMPARE(activated.size(), 1);
        QCOMPARE(activated.first().at(0).toInt(), 0);

        QTRY_VERIFY(run.grid().isBlinking());
        QVERIFY(run.pad(0).hasSample);
        QCOMPARE(run.pad(0).look(), ZQ3::APad::LookLitSelected);
        UL::CStateBitmap cells("Pads64", 64, false, false);
        QVERIFY(cells.load(std::string(ZQ3_BITMAP_DIR) + "/"));
        const ZQ3::CPadRect r = run.pad(0).rect();
        const QImage shown = run.grid().grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(
            shown.copy(r.left, r.top, r.right - r.left, r.bottom - r.top),
            cells.cellImage(ZQ3::APad::LookSelected * 16).convertToFormat(QImage::Format_RGB32));
        QTest::keyClick(&run.grid(), Qt::Key_Escape);
        QTRY_VERIFY(!run.grid().isBlinking());
        QVERIFY(run.pad(0).hasSample);
    }

    void importExportAndDeleteThroughTheDialogs() {
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
        run.answerNext(UL::ITextDialog::AnswerCancel);
        run.view().importButton()->click();
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(run.model().hasSample(2));

        // The save dialog proposes the pad's own name; the export goes to the name typed
        // instead.
        const QString exported = run.file("out.wav");
        ChooseInNextFileDialog(exported);
        run.view().exportButton()->click();
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        // libsndfile, not the converter, reads the exported file back.
        const auto exportedFile = ZQ3::Fixture::ReadSoundFile<std::int16_t>(exported.toStdString());
        QVERIFY(exportedFile.has_value());
        QCOMPARE(exportedFile->channels, 2);
        // The card keeps whole 16-frame blocks; the export writes what the pad plays.
        QCOMPARE(exportedFile->frames, run.model().playedLength(2));
        QVERIFY(exportedFile->frames >= SampleFrames && exportedFile->frames < SampleFrames + 16);
        QCOMPARE(QString::fromStdString(run.profile().getString("Preferece/File", "")),
                 QStringLiteral("out.wav"));

        run.answerNext(UL::ITextDialog::AnswerCancel);
        run.view().deleteButton()->click();
        QVERIFY(run.model().hasSample(2));
        run.answerNext(UL::ITextDialog::AnswerOk);
        QTest::keyClick(&run.grid(), Qt::Key_Delete);
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

    void aRegionDraggedOnTheWaveformImportsWithItsLength() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        const QString drum = run.makeDrumWav(QStringLiteral("drum.wav"));
        run.click(3);
        double start = 0.0;
        double end = 0.0;
        TidyInNextOpenDialog(drum, [&](CWaveFileOpenDialog& dialog) {
            ZQ3::Desktop::CWaveformView& view = *dialog.waveformView();
            DragHandle(view, 0.0, 0.2);
            DragHandle(view, 1.0, 0.7);
            start = view.regionStart();
            end = view.regionEnd();
        });
        run.view().importButton()->click();
        QVERIFY(std::abs(start - 0.2) < 0.01);
        QVERIFY(std::abs(end - 0.7) < 0.01);
        QVERIFY(run.model().hasSample(3));
        // The card keeps whole blocks of 16 frames of the region's length.
        const auto regionFrames = static_cast<std::int64_t>(std::lround((end - start) * 44100));
        const std::int64_t stored = run.model().entryOf(3).frameCount;
        QVERIFY2(std::abs(stored - regionFrames) <= 16,
                 qPrintable(QStringLiteral("%1 frames for %2").arg(stored).arg(regionFrames)));
    }

    void aChopLandsOnConsecutivePadsAndOneThatDoesNotFitLeavesTheCardAlone() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        const QString drum = run.makeDrumWav(QStringLiteral("loop.wav"), 2);
        SL::CSliceRequest four;
        four.count = 4;
        run.click(5);
        TidyInNextOpenDialog(drum, [&](CWaveFileOpenDialog& dialog) { dialog.chopOntoPads(four); });
        run.view().importButton()->click();
        // A quarter of the second each, on pads 5 to 8 and nowhere else.
        for (int pad = 0; pad < ZQ3::CardLayout::PadsPerBank; ++pad) {
            const bool sliced = pad >= 5 && pad < 9;
            QCOMPARE(run.model().hasSample(pad), sliced);
            if (sliced) {
                // Each end may move to a zero crossing; the card keeps whole 16-frame blocks.
                const std::int64_t reach =
                    SL::CardFrames(SL::CSliceRequest::kZeroCrossingSeconds) * 2 + 16;
                QVERIFY(std::abs(run.model().entryOf(pad).frameCount - 11025) <= reach);
            }
        }

        // From the card's second last pad only two pads are left: refused with the reason,
        // and not a byte of the card changes.
        QVERIFY(run.controller().selectBank(ZQ3::CardLayout::BankCount - 1));
        run.click(14);
        const auto before = ZQ3::Fixture::FilesBelow(run.cardRoot().toStdString());
        CBoxAnswers answers(run, {});
        TidyInNextOpenDialog(drum, [&](CWaveFileOpenDialog& dialog) { dialog.chopOntoPads(four); });
        run.view().importButton()->click();
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY2(answers.texts.first().contains(QStringLiteral("do not fit")),
                 qPrintable(answers.texts.first()));
        QVERIFY(ZQ3::Fixture::FilesBelow(run.cardRoot().toStdString()) == before);
        QVERIFY(!run.model().hasSample(14));
    }

    // Sends a drag over pad and a drop of files onto it, as the file manager does.
    static void DropOnPad(CProgramRun& run, int pad, const QStringList& files,
                          std::vector<int>* highlighted = nullptr,
                          const QString& screenshot = QString()) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files) {
            urls.append(QUrl::fromLocalFile(file));
        }
        data.setUrls(urls);
        const QPoint at = run.centreOf(pad);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&run.grid(), &enter);
        QVERIFY(enter.isAccepted());
        if (highlighted) {
            *highlighted = run.grid().dropTargets();
        }
        if (!screenshot.isEmpty()) {
            SaveScreenshot(run.frame(), screenshot);
        }
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&run.grid(), &drop);
        QVERIFY(drop.isAccepted());
        QVERIFY(run.grid().dropTargets().empty());
    }

    void droppedFilesAreOneImportAfterOneQuestion() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        run.importDirectly(13, run.makeWav("old.wav"));
        run.importDirectly(14, run.file("old.wav"));
        const QStringList files = {run.makeWav("a.wav"), run.makeWav("b.wav", 2),
                                   run.makeWav("c.wav")};
        std::vector<int> highlighted;
        {
            // Dropped on pad 12: pads 12, 13 and 14, the two holding samples named in one
            // question; Cancel changes nothing.
            CBoxAnswers answers(run, {UL::ITextDialog::AnswerCancel});
            DropOnPad(run, 12, files, &highlighted, QStringLiteral("main_dragging_en"));
            QTRY_COMPARE(answers.texts.size(), 1);
            QTest::qWait(50);
            QCOMPARE(answers.texts.size(), 1);
            QVERIFY(answers.texts.front().startsWith(
                QStringLiteral("C13, C14 already hold samples. Replace them?")));
        }
        QCOMPARE(highlighted, (std::vector<int>{12, 13, 14}));
        QVERIFY(!run.model().hasSample(12));
        QVERIFY(!run.model().entryOf(13).stereo);
        {
            CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk});
            DropOnPad(run, 12, files);
            QTRY_VERIFY(run.model().hasSample(12));
            QCOMPARE(answers.texts.size(), 1);
        }
        QVERIFY(run.model().hasSample(13) && run.model().entryOf(13).stereo);
        QVERIFY(run.model().hasSample(14) && !run.model().entryOf(14).stereo);
        QVERIFY(!run.model().hasSample(15));
        QCOMPARE(run.model().selectedPad, 12);

        // Past pad 15 the files run on into the next bank, as the command line's import does;
        // the highlight shows the pads of the bank in view.
        {
            CBoxAnswers answers(run, {});
            DropOnPad(run, 15, {files[0], files[2]}, &highlighted);
            QTRY_VERIFY(run.model().hasSample(15));
            QVERIFY(answers.texts.isEmpty());
        }
        QCOMPARE(highlighted, (std::vector<int>{15}));
        QCOMPARE(run.model().bank, 0);
        QVERIFY(run.model().entries[16].frameCount > 0);

        // A kit folder stands for its sound files in name order, highlighted as such.
        const QString kit = run.file("kit");
        QVERIFY(QDir().mkpath(kit));
        ZQ3::Fixture::WriteTestWav((kit + "/hat10.wav").toStdString(), 2, SampleFrames);
        ZQ3::Fixture::WriteTestWav((kit + "/hat9.wav").toStdString(), 1, SampleFrames);
        {
            CBoxAnswers answers(run, {});
            DropOnPad(run, 0, {kit}, &highlighted);
            QTRY_VERIFY(run.model().hasSample(1));
            QVERIFY(answers.texts.isEmpty());
        }
        QCOMPARE(highlighted, (std::vector<int>{0, 1}));
        QVERIFY(!run.model().entryOf(0).stereo);
        QVERIFY(run.model().entryOf(1).stereo);
    }

    void aDropOfFilesTheCardDoesNotTakeAsksOnceToConvert() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        // 24-bit 48 kHz and 32-bit 44.1 kHz: both need converting; the third file fits as it is.
        const QString wide = run.file("wide.wav");
        ZQ3::Fixture::WriteWav(wide.toStdString(), 48000, 1, 24, 14400,
                               [](std::uint32_t frame, int) {
                                   return static_cast<std::int32_t>((frame % 100) * 20000);
                               });
        const QString deep = run.file("deep.wav");
        ZQ3::Fixture::WriteWav(deep.toStdString(), 44100, 2, 32, 13230,
                               [](std::uint32_t frame, int) {
                                   return static_cast<std::int32_t>((frame % 50) * 4000000);
                               });
        const QStringList files = {wide, run.makeWav("fits.wav"), deep};
        {
            // No: every file that needs it is refused with its reason, and nothing is written,
            // not even the file that fits.
            CBoxAnswers answers(run, {UL::ITextDialog::AnswerNo, UL::ITextDialog::AnswerOk});
            DropOnPad(run, 4, files);
            QTRY_COMPARE(answers.texts.size(), 2);
            QVERIFY(answers.texts[0].startsWith(QStringLiteral(
                "wide.wav, deep.wav are not in the card's format (16-bit 44.1 kHz). Convert")));
            QVERIFY(answers.texts[1].contains(QStringLiteral("wide.wav")));
            QVERIFY(answers.texts[1].contains(QStringLiteral("deep.wav")));
            QVERIFY(!answers.texts[1].contains(QStringLiteral("fits.wav")));
            // The desktop program has no command-line option to advise.
            QVERIFY(!answers.texts[1].contains(QStringLiteral("--convert")));
        }
        for (const int pad : {4, 5, 6}) {
            QVERIFY(!run.model().hasSample(pad));
        }
        {
            CBoxAnswers answers(run, {UL::ITextDialog::AnswerYes});
            DropOnPad(run, 4, files);
            QTRY_VERIFY(run.model().hasSample(6));
            QCOMPARE(answers.texts.size(), 1);
        }
        // 0.3 s at 48 kHz is 13230 frames at 44.1 kHz, kept in whole 16-frame blocks.
        QCOMPARE(run.model().entryOf(4).frameCount, 13232);
        QVERIFY(!run.model().entryOf(4).stereo);
        QVERIFY(run.model().hasSample(5));
        QVERIFY(run.model().entryOf(6).stereo);
        // The drop's answer held for that drop only: the next import converts nothing.
        {
            CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk});
            QVERIFY(run.controller().selectPad(7));
            QCOMPARE(run.controller().importFile(wide.toStdString()), ZQ3::CommandOutcome::Failed);
            QCOMPARE(answers.texts.size(), 1);
            QVERIFY(answers.texts[0].contains(QStringLiteral("wide.wav")));
        }
        QVERIFY(!run.model().hasSample(7));
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
        // The manuals the build laid out; Help / Manual opens the one of the language.
        const QString manuals = QStringLiteral(ZQ3_MANUAL_DIR);
        run.frame().setManualDirectory(manuals);
        const QString english = manuals + QStringLiteral("/ZQ-314WaveConverterManualE.pdf");
        QCOMPARE(OpenedManual(run), english);
        QVERIFY(ManualText(english).contains(QStringLiteral("Choosing the card")));
        run.stop();

        UseJapanese();
        QVERIFY(run.start());
        run.frame().setManualDirectory(manuals);
        const QString japanese = manuals + QStringLiteral("/ZQ-314WaveConverterManualJ.pdf");
        QCOMPARE(OpenedManual(run), japanese);
        // The Japanese manual holds Japanese text, not boxes for a missing font.
        const QString text = ManualText(japanese);
        QVERIFY(text.contains(QStringLiteral("カードを選ぶ")));
        QVERIFY(text.contains(QStringLiteral("インポート")));
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
        QTest::keyClick(&run.grid(), Qt::Key_PageUp);
        run.view().exitButton()->click();
        QVERIFY(!run.frame().isVisible());
        run.stop();
        ZQ3::Desktop::CIniProfile& saved = run.profile();
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

    void aCardMountedWhileNoneIsOpenIsListedAndOpened() {
        CProgramRun run;
        QVERIFY(run.start());
        const QString table = run.file("mounts");
        WriteMountTable(table, {});
        run.view().setMountTable(table);
        const QString card = run.file("my card");
        ZQ3::Fixture::MakeEmptyCard(card.toStdString());
        const CBoxAnswers answers(run, {});
        WriteMountTable(table, {card});
        QTRY_VERIFY_WITH_TIMEOUT(run.model().hasCard(), 2000);
        QCOMPARE(QString::fromStdString(run.model().cardRoot), card);
        ZQ3::Desktop::CDriveComboBox& drives = *run.view().driveCombo();
        QCOMPARE(drives.currentData().toString(), card);
        // Another card put in while one is open is listed and left alone.
        const QString second = run.file("second");
        run.makeCard();
        ZQ3::Fixture::MakeEmptyCard(second.toStdString());
        WriteMountTable(table, {card, second});
        QTRY_VERIFY_WITH_TIMEOUT(drives.findData(second) >= 0, 2000);
        QCOMPARE(QString::fromStdString(run.model().cardRoot), card);
        // Taken out: the view lets go of it at once and says so.
        QVERIFY(QDir().rename(card, run.file("elsewhere")));
        WriteMountTable(table, {second});
        QTRY_VERIFY_WITH_TIMEOUT(!run.model().hasCard(), 2000);
        QCOMPARE(run.view().statusLine()->text(),
                 QStringLiteral("The card at %1 was removed.").arg(card));
        QCOMPARE(drives.findData(card), -1);
        // Two cards at once while none is open: the user chooses.
        WriteMountTable(table, {second, run.cardRoot(), run.file("elsewhere")});
        QTRY_VERIFY_WITH_TIMEOUT(drives.findData(run.cardRoot()) >= 0, 2000);
        QTest::qWait(100);
        QVERIFY(!run.model().hasCard());
        QVERIFY(answers.texts.isEmpty());
    }

    void aScreenReaderHearsEveryPadAndEveryControl() {
        CProgramRun run;
        run.makeCard();
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        run.importDirectly(3, run.makeWav("tone.wav"));
        run.importDirectly(6, run.makeWav("wide.wav", 2));
        run.frame().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&run.frame()));
        run.click(3);
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(&run.grid());
        QVERIFY(grid != nullptr);
        QCOMPARE(grid->childCount(), 16);
        const auto name = [](int pad) {
            return QString::fromStdString(ZQ3::CardLayout::PadName(pad));
        };
        const auto seconds = [&](int pad) {
            return QString::number(run.model().playedSeconds(pad), 'f', 2);
        };
        QCOMPARE(grid->child(3)->text(QAccessible::Name),
                 QStringLiteral("%1, %2 s, mono").arg(name(3), seconds(3)));
        QCOMPARE(grid->child(6)->text(QAccessible::Name),
                 QStringLiteral("%1, %2 s, stereo").arg(name(6), seconds(6)));
        QCOMPARE(grid->child(0)->text(QAccessible::Name), QStringLiteral("%1, empty").arg(name(0)));
        QVERIFY(grid->child(3)->state().selected);
        QVERIFY(grid->child(3)->state().focused);
        QCOMPARE(grid->focusChild(), grid->child(3));
        QVERIFY(!grid->child(6)->state().selected);
        for (int pad = 0; pad < 16; ++pad) {
            QAccessibleInterface* child = grid->child(pad);
            QCOMPARE(grid->indexOfChild(child), pad);
            QCOMPARE(child->parent(), grid);
            const QPoint centre = run.grid().mapToGlobal(run.centreOf(pad));
            QVERIFY(child->rect().contains(centre));
            QCOMPARE(grid->childAt(centre.x(), centre.y()), child);
        }
        // Pressing a pad, as a screen reader's user does, selects and plays it.
        QAccessibleActionInterface* press = grid->child(6)->actionInterface();
        QVERIFY(press != nullptr);
        press->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(run.model().selectedPad, 6);
        QTRY_VERIFY(run.playing());
        QTest::keyClick(&run.grid(), Qt::Key_Escape);
        // In another bank the pads say their own names.
        QTest::keyClick(&run.grid(), Qt::Key_PageDown);
        QCOMPARE(grid->child(3)->text(QAccessible::Name),
                 QStringLiteral("%1, empty").arg(name(ZQ3::CardLayout::Slot(1, 3))));
        // Every control the user can reach, and the waveform, has a name to be read out.
        QStringList nameless;
        for (QWidget* widget : run.frame().findChildren<QWidget*>()) {
            const bool control =
                widget->focusPolicy() != Qt::NoFocus || widget == run.view().waveformView();
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(widget);
            if (widget->isVisible() && control &&
                (spoken == nullptr || spoken->text(QAccessible::Name).trimmed().isEmpty())) {
                nameless.append(QString::fromLatin1(widget->metaObject()->className()));
            }
        }
        QVERIFY2(nameless.isEmpty(), qPrintable(nameless.join(", ")));
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
        const ZQ3::Desktop::CWaveformView& waveform = *run.view().waveformView();
        QTRY_VERIFY(waveform.waveform() != nullptr);
        SaveScreenshot(run.frame(), QStringLiteral("main_pad_selected_ja"));
        run.doubleClick(9);
        QTRY_VERIFY(waveform.playPosition() > 0.2);
        SaveScreenshot(run.frame(), QStringLiteral("main_pad_playing_ja"));
    }
};

// File / Eject Card against a disk service mocked on a private D-Bus bus.
class EjectTest : public QObject {
    Q_OBJECT

private slots:
    void theVolumeEjectedIsTheInnermostMountHoldingTheCard() {
        QTemporaryDir folder;
        const QString table = folder.filePath(QStringLiteral("mounts"));
        WriteMountTable(table, {QStringLiteral("/media/u/card"), QStringLiteral("/media/u/card 2"),
                                QStringLiteral("/media/u/card/inner")});
        const ZQ3::Desktop::CMountTable mounts(table);
        const auto held = [&](const char* path) {
            const ZQ3::Desktop::MountEntry mount = mounts.mountHolding(QString::fromUtf8(path));
            return mount.root + QLatin1Char('|') + mount.device;
        };
        QCOMPARE(held("/media/u/card"), QStringLiteral("/media/u/card|/dev/sdz1"));
        QCOMPARE(held("/media/u/card 2/kit"), QStringLiteral("/media/u/card 2|/dev/sdy1"));
        QCOMPARE(held("/media/u/card/inner/x"), QStringLiteral("/media/u/card/inner|/dev/sdx1"));
        QCOMPARE(held("/media/u/cardboard"), QStringLiteral("/|/dev/sda1"));
    }

    void ejectingACardUnmountsItSwitchesItsDriveOffAndSaysItIsSafe() {
        CProgramRun run;
        run.makeCard();
        CDiskServiceMock disks;
        QVERIFY2(disks.startBus(), qPrintable(disks.problem()));
        QVERIFY2(disks.startService({{"mount_point", run.cardRoot()}}),
                 qPrintable(disks.problem()));
        run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
        QVERIFY(run.start());
        WriteMountTable(run.file("mounts"), {run.cardRoot()});
        run.view().setMountTable(run.file("mounts"));
        run.view().setDiskService(
            std::make_unique<ZQ3::Desktop::CUDisks2Client>(disks.connection()));
        run.importDirectly(3, run.makeWav("tone.wav"));
        QVERIFY(run.view().ejectButton()->isEnabled());
        run.doubleClick(3);
        QTRY_VERIFY(run.playing());
        const CBoxAnswers answers(run, {});
        QAction* eject = nullptr;
        for (QAction* action : run.frame().findChildren<QAction*>()) {
            eject = action->text() == QStringLiteral("&Eject Card") ? action : eject;
        }
        QVERIFY(eject != nullptr);
        eject->trigger();
        QVERIFY2(answers.texts.isEmpty(), qPrintable(answers.texts.join('\n')));
        QVERIFY(!run.playing());
        QVERIFY(!run.model().hasCard());
        QCOMPARE(run.view().statusLine()->text(),
                 QStringLiteral("The card can be taken out safely now."));
        QVERIFY(!run.view().ejectButton()->isEnabled());
        const QString calls = disks.calls();
        QVERIFY2(calls.contains(QStringLiteral("Unmount {}")), qPrintable(calls));
        QVERIFY2(calls.indexOf(QStringLiteral("PowerOff {}")) > calls.indexOf("Unmount"),
                 qPrintable(calls));
        SaveScreenshot(run.frame(), QStringLiteral("main_card_ejected_en"));
    }

    void aCardThatCannotBeEjectedStaysOpenAndTheBoxSaysWhy() {
        struct Case {
            QJsonObject service;
            QString headline;
            QString detail;
        };
        CProgramRun run;
        run.makeCard();
        const QString root = run.cardRoot();
        const QList<Case> cases = {
            {{{"mount_point", root}, {"busy", true}},
             QStringLiteral("The card was not ejected: it is in use."),
             QStringLiteral("Error unmounting /dev/sdz1: target is busy")},
            {{{"mount_point", root}, {"removable", false}, {"can_power_off", false}},
             QStringLiteral("The card was not ejected: it is not on a removable drive."),
             QStringLiteral("a drive that stays in the computer")},
            // Without the disk service the box says how to eject by hand.
            {{},
             QStringLiteral("The card was not ejected: the system's disk service (UDisks2) "
                            "is not running."),
             QStringLiteral("udisksctl unmount -b /dev/sdz1\" and then \"udisksctl power-off -b "
                            "/dev/sdz1\" (or \"umount %1\" as root)")
                 .arg(root)},
        };
        int shown = 0;
        for (const Case& tried : cases) {
            CDiskServiceMock disks;
            QVERIFY2(disks.startBus(), qPrintable(disks.problem()));
            if (!tried.service.isEmpty()) {
                QVERIFY2(disks.startService(tried.service), qPrintable(disks.problem()));
            }
            run.profile().setString(ZQ3::CPreferences::VolumeNameKey, root.toStdString());
            QVERIFY(run.start());
            WriteMountTable(run.file("mounts"), {root});
            run.view().setMountTable(run.file("mounts"));
            run.view().setDiskService(
                std::make_unique<ZQ3::Desktop::CUDisks2Client>(disks.connection()));
            const CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk});
            run.view().ejectButton()->click();
            QCOMPARE(answers.texts.size(), 1);
            QVERIFY2(answers.texts.front().startsWith(tried.headline + "|"),
                     qPrintable(answers.texts.front()));
            QVERIFY2(answers.texts.front().contains(tried.detail),
                     qPrintable(answers.texts.front()));
            ScreenshotOfBox(answers.texts.front(), UL::ITextDialog::ButtonsOk,
                            UL::ITextDialog::IconWarning,
                            QStringLiteral("eject_refused_%1_en").arg(++shown));
            // The card is still there, and open again.
            QVERIFY(run.model().hasCard());
            QVERIFY(run.view().ejectButton()->isEnabled());
            QVERIFY(!disks.calls().contains(QStringLiteral("PowerOff")));
            run.stop();
        }
        // While another converter changes the card, it is waited for; one that takes too long
        // leaves the card mounted.
        CDiskServiceMock disks;
        QVERIFY2(disks.startBus(), qPrintable(disks.problem()));
        QVERIFY2(disks.startService({{"mount_point", root}}), qPrintable(disks.problem()));
        QVERIFY(run.start());
        run.view().setDiskService(
            std::make_unique<ZQ3::Desktop::CUDisks2Client>(disks.connection()));
        ZQ3::CCardLock otherConverter;
        QCOMPARE(otherConverter.acquire(root.toStdString()), ZQ3::CCardLock::Result::Locked);
        ZQ3::CardLockWaiting briefly;
        briefly.timeout = std::chrono::milliseconds(200);
        run.controller().setCardLockWaiting(briefly);
        const CBoxAnswers answers(run, {UL::ITextDialog::AnswerOk});
        run.view().ejectButton()->click();
        QCOMPARE(answers.texts.size(), 1);
        QVERIFY2(answers.texts.front().startsWith(
                     QStringLiteral("The card was not ejected: another program is changing it.")),
                 qPrintable(answers.texts.front()));
        QVERIFY(!disks.calls().contains(QStringLiteral("Unmount")));
        QVERIFY(run.model().hasCard());
    }
};

// The main window on a screen that shows two pixels for every point: run with QT_SCALE_FACTOR=2.
class HighDpiTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { UseEnglish(); }

    void theWindowIsSharpAndWholeAtTwiceTheDensity() {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        QImage pads;
        QVERIFY(pads.load(QStringLiteral(ZQ3_BITMAP_DIR "/Pads64@2x.png")));
        for (const bool japanese : {false, true}) {
            if (japanese) {
                UseJapanese();
            }
            CProgramRun run;
            run.makeCard();
            run.profile().setString(ZQ3::CPreferences::VolumeNameKey, run.cardRoot().toStdString());
            QVERIFY(run.start());
            run.importDirectly(7, run.makeWav("tone.wav"));
            run.importDirectly(9, run.makeDrumWav("drum.wav", 2));
            run.click(9);
            const ZQ3::Desktop::CWaveformView& waveform = *run.view().waveformView();
            QTRY_VERIFY(waveform.waveform() != nullptr);
            // The outline has a column for each of the screen's pixels, not each point.
            QCOMPARE(waveform.waveform()->columnCount(), 2 * waveform.plotWidth());
            SaveScreenshot(run.frame(), japanese ? QStringLiteral("main_scale2_ja")
                                                 : QStringLiteral("main_scale2_en"));

            // So has the Import dialog's outline of the file chosen.
            int dialogColumns = 0;
            int dialogPixels = 0;
            bool handlesAtTheEnds = false;
            TidyInNextOpenDialog(run.makeWav("long.wav"), [&](CWaveFileOpenDialog& dialog) {
                ZQ3::Desktop::CWaveformView& view = *dialog.waveformView();
                QTRY_VERIFY(view.waveform() != nullptr);
                dialogColumns = view.waveform()->columnCount();
                dialogPixels = view.plotPixels();
                // The handles stand at the ends of the sound, not where their points would fall
                // in the screen's pixels: the same colour at both ends, low in the lane.
                const QImage image = view.grab().toImage();
                const int left = 2 * ZQ3::Desktop::CWaveformView::Border;
                const int y = image.height() - left - 3;
                handlesAtTheEnds =
                    image.pixelColor(left, y) == image.pixelColor(left + dialogPixels - 1, y);
                SaveScreenshot(dialog, japanese ? QStringLiteral("open_dialog_scale2_ja")
                                                : QStringLiteral("open_dialog_scale2_en"));
            });
            run.click(3);
            run.view().importButton()->click();
            QVERIFY(dialogPixels > 1024);
            QVERIFY(dialogColumns >= dialogPixels);
            QVERIFY(handlesAtTheEnds);

            // Each pad is its picture drawn at twice the density, pixel for pixel.
            const QPixmap shot = run.view().grab();
            QCOMPARE(shot.devicePixelRatio(), 2.0);
            const QImage screen = shot.toImage().convertToFormat(QImage::Format_RGB32);
            const int cellHeight = pads.height() / 64;
            for (const auto& [pad, look] :
                 {std::pair{0, ZQ3::APad::LookDark}, std::pair{7, ZQ3::APad::LookLit},
                  std::pair{9, run.pad(9).look()}}) {
                const ZQ3::CPadRect r = run.pad(pad).rect();
                const QImage drawn = screen.copy(2 * r.left, 2 * r.top, 2 * (r.right - r.left),
                                                 2 * (r.bottom - r.top));
                const QImage picture =
                    pads.copy(0, (look * 16 + pad) * cellHeight, pads.width(), cellHeight)
                        .convertToFormat(QImage::Format_RGB32);
                QVERIFY2(drawn == picture, qPrintable(QStringLiteral("pad %1").arg(pad)));
            }

            // Nothing is cut off: every text fits its control, every control the window.
            const QRect window = run.frame().rect();
            for (QWidget* widget : run.frame().findChildren<QWidget*>()) {
                if (!widget->isVisible() || widget->isWindow()) {
                    continue;
                }
                const QRect placed(widget->mapTo(&run.frame(), QPoint(0, 0)), widget->size());
                QVERIFY2(window.contains(placed), widget->metaObject()->className());
                QString text;
                int room = 0;
                if (auto* label = qobject_cast<QLabel*>(widget)) {
                    if (label->wordWrap()) {
                        QVERIFY2(label->heightForWidth(label->width()) <= label->height(),
                                 qPrintable(label->text()));
                        continue;
                    }
                    text = label->text();
                    room = label->contentsRect().width();
                } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
                    text = button->text();
                    room = button->width() - 8;
                }
                text.remove(QLatin1Char('&'));
                QVERIFY2(widget->fontMetrics().horizontalAdvance(text) <= room || text.isEmpty(),
                         qPrintable(text));
            }
            run.stop();
        }
    }
};

} // namespace

std::unique_ptr<QObject> MakeEjectTest() {
    return std::make_unique<EjectTest>();
}

std::unique_ptr<QObject> MakeHighDpiTest() {
    return std::make_unique<HighDpiTest>();
}

std::unique_ptr<QObject> MakeMainWindowTest() {
    return std::make_unique<MainWindowTest>();
}

#include "main_window_test.moc"
