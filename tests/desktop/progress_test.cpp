// The progress dialog: how often it lets the program handle events, Cancel, and the window it
// disables while a job runs.

#include "desktop/progress_bar.h"
#include "desktop/progress_window.h"
#include "desktop/translations.h"
#include "tests/desktop/screenshots.h"
#include "tests/desktop/test_classes.h"

#include "app/controller.h"
#include "app/domain.h"
#include "app/message_catalogue.h"
#include "card/card_layout.h"
#include "tests/support/temporary_directory.h"
#include "tests/support/wav_fixture.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QWidget>

#include <cmath>
#include <filesystem>

namespace {

// The program's progress dialog, counting the times it handles events.
class CCountingProgress : public UL::CProgressBarA {
public:
    int eventRounds = 0;

protected:
    void processEvents() override {
        ++eventRounds;
        CProgressBarA::processEvents();
    }
};

// The program's progress dialog, noting each text its window shows, which presses Cancel once
// the window shows the text cancelAt.
class CStepWatchingProgress : public UL::CProgressBarA {
public:
    QStringList texts;
    QString cancelAt;

protected:
    void processEvents() override {
        if (ZQ3::Desktop::CProgressWindow* shown = window()) {
            const QString text = shown->text();
            if (texts.isEmpty() || texts.last() != text) {
                texts << text;
            }
            if (!cancelAt.isEmpty() && text == cancelAt && shown->cancelButton()->isVisible()) {
                QTest::mouseClick(shown->cancelButton(), Qt::LeftButton);
            }
        }
        CProgressBarA::processEvents();
    }
};

// A progress whose window cannot be made.
class CWindowlessProgress : public UL::CProgressBar {
protected:
    std::unique_ptr<ZQ3::Desktop::CProgressWindow> createWindow() override { return nullptr; }
};

class ProgressTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        owner_ = std::make_unique<QWidget>();
        owner_->resize(400, 300);
        owner_->show();
        QVERIFY(QTest::qWaitForWindowExposed(owner_.get()));
    }
    void cleanup() { owner_.reset(); }

    void aLongJobMovesTheBarAtMostAThousandTimesAndHandlesEventsOnlyThen() {
        CCountingProgress progress;
        progress.begin(100000, "Converting...", true);
        QVERIFY(progress.window() != nullptr);
        QSet<int> barValues;
        connect(progress.window()->bar(), &QProgressBar::valueChanged,
                [&barValues](int value) { barValues.insert(value); });
        const int roundsAtBegin = progress.eventRounds;
        for (int step = 0; step < 100000; ++step) {
            progress.step();
        }
        QCOMPARE(progress.window()->bar()->maximum(), 1000);
        QCOMPARE(barValues.size(), 1000);
        QCOMPARE(progress.window()->bar()->value(), 1000);
        QCOMPARE(progress.eventRounds - roundsAtBegin, 1000);
        progress.end();
    }

    void theBarFollowsShortJobsStepByStepAndScalesHugeOnes() {
        CCountingProgress progress;
        progress.begin(7, "Copying... 1/2", false);
        QCOMPARE(progress.window()->bar()->maximum(), 7);
        progress.setPosition(3);
        QCOMPARE(progress.window()->bar()->value(), 3);
        // A job of more steps than an int holds, such as one step per sample of a long file.
        progress.setRange(std::int64_t{5} << 32);
        progress.setPosition(std::int64_t{5} << 31);
        QCOMPARE(progress.window()->bar()->value(), 500);
        progress.end();
    }

    void cancelCountsOnlyWhileTheJobCanStopAndNeverClosesTheDialog() {
        UL::CProgressBarA progress;
        progress.begin(10, "Finalizing...", false);
        QPushButton* cancel = progress.window()->cancelButton();
        QVERIFY(cancel->isHidden());
        cancel->click();
        QTest::keyClick(progress.window(), Qt::Key_Escape);
        QVERIFY(!progress.isCancelled());

        progress.setCancellable(true);
        QVERIFY(!cancel->isHidden());
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(progress.isCancelled());
        QVERIFY(progress.window()->isVisible());
        progress.end();
        QVERIFY(progress.window() == nullptr);

        // The next job starts afresh.
        progress.begin(10, "Converting...", true);
        QVERIFY(!progress.isCancelled());
    }

    void theOwnerIsDisabledWhileShownAndEnabledAfterEnd() {
        {
            UL::CProgressBarA progress;
            progress.begin(10, "Converting...", true);
            QVERIFY(!owner_->isEnabled());
            // The dialog itself stays usable.
            QVERIFY(progress.window()->isEnabled());
            QVERIFY(progress.window()->cancelButton()->isEnabled());
            progress.end();
            QVERIFY(owner_->isEnabled());

            progress.begin(10, "Converting...", true);
            QVERIFY(!owner_->isEnabled());
        }
        // Destroying a shown progress ends it.
        QVERIFY(owner_->isEnabled());
    }

    void aDialogThatCannotBeMadeLeavesTheOwnerEnabledAndTheJobRunning() {
        CWindowlessProgress progress;
        progress.begin(100, "Converting...", true);
        QVERIFY(owner_->isEnabled());
        progress.setPosition(50);
        progress.setText("Copying... 1/1");
        QCOMPARE(progress.getPosition(), std::int64_t{50});
        QVERIFY(!progress.isCancelled());
        progress.end();
        QVERIFY(owner_->isEnabled());
    }

    void anImportThatConvertsShowsTheConversionAsItsOwnStepAndCancelStopsIt() {
        ZQ3::MessageCatalogue::Instance().fill(ZQ3::LanguageEnglish);
        ZQ3::Fixture::TemporaryDirectory folder;
        const std::string root = folder / "card";
        ZQ3::Fixture::MakeEmptyCard(root);
        // A second of 48 kHz 24-bit stereo, which the card takes only converted.
        const std::string kick = folder / "kick.wav";
        ZQ3::Fixture::WriteWav(kick, 48000, 2, 24, 48000, [](std::uint32_t frame, int) {
            return static_cast<std::int32_t>(std::lround(4e6 * std::sin(frame * 0.05)));
        });
        ZQ3::CDomain domain;
        auto progress = std::make_shared<CStepWatchingProgress>();
        domain.controller->setProgressFactory([progress] { return progress; });
        QVERIFY(domain.controller->selectDrive(root, 0));
        QVERIFY(domain.controller->selectPad(3));
        ZQ3::ImportConversion conversion;
        conversion.convert = true;

        QCOMPARE(domain.controller->importFile(kick, conversion), ZQ3::CommandOutcome::Succeeded);
        QVERIFY2(progress->texts.size() >= 2, qPrintable(progress->texts.join(QLatin1Char('|'))));
        QCOMPARE(progress->texts.at(0),
                 QStringLiteral("Converting kick.wav to 16-bit 44.1 kHz..."));
        QCOMPARE(progress->texts.at(1), QStringLiteral("Converting..."));
        QVERIFY(domain.model->hasSample(3));
        QVERIFY(owner_->isEnabled());

        // Cancel while the dialog shows the conversion: the pad stays empty, the card as it was.
        const auto cardBytes = [&root] {
            QStringList files;
            for (const auto& item :
                 std::filesystem::directory_iterator(ZQ3::CardLayout::CardDirectory(root))) {
                QFile file(QString::fromStdString(item.path().string()));
                file.open(QIODevice::ReadOnly);
                files << QString::fromStdString(item.path().filename().string()) +
                             QString::fromLatin1(file.readAll().toBase64());
            }
            files.sort();
            return files;
        };
        const QStringList before = cardBytes();
        progress->texts.clear();
        progress->cancelAt = QStringLiteral("Converting kick.wav to 16-bit 44.1 kHz...");
        QVERIFY(domain.controller->selectPad(4));
        QCOMPARE(domain.controller->importFile(kick, conversion), ZQ3::CommandOutcome::Cancelled);
        QCOMPARE(progress->texts, QStringList{progress->cancelAt});
        QVERIFY(!domain.model->hasSample(4));
        QCOMPARE(cardBytes(), before);
        QVERIFY(progress->window() == nullptr);
        QVERIFY(owner_->isEnabled());
    }

    void screenshotsInBothLanguages() {
        for (const int language : {ZQ3::LanguageEnglish, ZQ3::LanguageJapanese}) {
            QVERIFY(ZQ3::Desktop::InstallTranslations(language));
            UL::CProgressBarA progress;
            progress.begin(100, ZQ3::CatalogueText(ZQ3::MessageConverting), true);
            progress.setPosition(40);
            SaveScreenshot(*progress.window(), language == ZQ3::LanguageEnglish
                                                   ? QStringLiteral("progress_en")
                                                   : QStringLiteral("progress_ja"));
            QCOMPARE(progress.window()->cancelButton()->text(), language == ZQ3::LanguageEnglish
                                                                    ? QStringLiteral("Cancel")
                                                                    : QStringLiteral("キャンセル"));
            progress.end();
            // The step of an import that converts the user's file first.
            ZQ3::MessageCatalogue::Instance().setLanguage(language);
            progress.begin(100, ZQ3::ConvertingFileText("kick.flac"), true);
            progress.setPosition(70);
            SaveScreenshot(*progress.window(), language == ZQ3::LanguageEnglish
                                                   ? QStringLiteral("progress_conversion_en")
                                                   : QStringLiteral("progress_conversion_ja"));
            progress.end();
        }
        ZQ3::MessageCatalogue::Instance().setLanguage(ZQ3::LanguageEnglish);
        ZQ3::Desktop::InstallTranslations(ZQ3::LanguageEnglish);
    }

private:
    std::unique_ptr<QWidget> owner_;
};

} // namespace

std::unique_ptr<QObject> MakeProgressTest() {
    return std::make_unique<ProgressTest>();
}

#include "progress_test.moc"
