// The import's file dialog on files the test makes: the preview, the reason line, Play and what
// the dialog remembers.

#include "desktop/translations.h"
#include "desktop/wave_file_open_dialog.h"
#include "desktop/waveform_view.h"
#include "tests/desktop/file_dialog_fixture.h"
#include "tests/desktop/screenshots.h"
#include "tests/desktop/test_classes.h"
#include "tests/support/required_program.h"
#include "tests/support/wav_fixture.h"

#include "app/domain.h"
#include "app/message_catalogue.h"
#include "app/preferences.h"
#include "card/card_layout.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <cmath>

namespace {

using Field = CWaveFileOpenDialog::Field;

// Two seconds at 44.1 kHz, stereo: half a second of silence, a second of a loud tone from 0.5 s
// to 1.5 s, and silence again.
QString WriteToneInSilence(const CFileDialogFixture& fixture, const QString& name) {
    const QString path = fixture.path(name);
    ZQ3::Fixture::WriteWav(path.toStdString(), 44100, 2, 16, 88200,
                           [](std::uint32_t frame, int channel) {
                               if (frame < 22050 || frame >= 66150) {
                                   return 0;
                               }
                               return static_cast<std::int32_t>(
                                   std::lround(20000.0 * std::sin(frame * 0.05 * (channel + 1))));
                           });
    return path;
}

class OpenDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(ZQ3::Desktop::InstallTranslations(ZQ3::LanguageEnglish)); }

    void anImportableFileFillsThePanelAndEnablesPlay() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        model.cardRoot = fixture.folder().toStdString();
        CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
        // 44100 frames of two channels take 2757 blocks of 16 bytes per channel on the card.
        dialog.preview(fixture.writeWav(QStringLiteral("take.wav"), 44100, 2, 16, 44100));
        QCOMPARE(dialog.fieldText(Field::Format), QStringLiteral("Windows RIFF Wave"));
        QCOMPARE(dialog.fieldText(Field::BitsPerSample), QStringLiteral("16"));
        QCOMPARE(dialog.fieldText(Field::SamplingFrequency), QStringLiteral("44100"));
        QCOMPARE(dialog.fieldText(Field::ChannelCount), QStringLiteral("2"));
        QCOMPARE(dialog.fieldText(Field::ConvertSize), QStringLiteral("88,224"));
        QVERIFY(!dialog.fieldText(Field::FreeSpace).isEmpty());
        QVERIFY(dialog.reasonText().isEmpty());
        QVERIFY(dialog.playButton()->isEnabled());
        QCOMPARE(dialog.playButton()->text(), QStringLiteral("Play"));
        // The waveform is read aside and shows both channels of the half-scale sine.
        QTRY_VERIFY(dialog.waveformView()->waveform() != nullptr);
        const auto& waveform = *dialog.waveformView()->waveform();
        QCOMPARE(waveform.channelCount(), 2);
        QCOMPARE(waveform.frameCount(), 44100);
        QVERIFY(std::abs(waveform.column(1, 10).max - 0.5f) < 0.01f);
        QVERIFY(std::abs(waveform.column(1, 10).min + 0.5f) < 0.01f);
    }

    void aFileTheCardDoesNotTakeShowsItsValuesAndWhyWithPlayDisabled() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
        dialog.preview(fixture.writeWav(QStringLiteral("deep.wav"), 44100, 1, 24, 4410));
        QCOMPARE(dialog.fieldText(Field::BitsPerSample), QStringLiteral("24"));
        QVERIFY(dialog.reasonText().contains(QStringLiteral("deep.wav")));
        QVERIFY(!dialog.playButton()->isEnabled());

        dialog.preview(fixture.writeWav(QStringLiteral("fast.wav"), 48000, 2, 16, 4800));
        QCOMPARE(dialog.fieldText(Field::SamplingFrequency), QStringLiteral("48000"));
        QCOMPARE(dialog.fieldText(Field::BitsPerSample), QStringLiteral("16"));
        QVERIFY(dialog.reasonText().contains(QStringLiteral("fast.wav")));
        QVERIFY(!dialog.playButton()->isEnabled());
        // No card: the free space stays empty.
        QVERIFY(dialog.fieldText(Field::FreeSpace).isEmpty());
    }

    void atItsOwnSizeTheListShowsRowsAndTheReasonIsWholeAndSaysWhatToDo() {
        for (const int language : {ZQ3::LanguageEnglish, ZQ3::LanguageJapanese}) {
            QVERIFY(ZQ3::Desktop::InstallTranslations(language));
            CFileDialogFixture fixture;
            for (int take = 0; take < 12; ++take) {
                fixture.writeWav(QStringLiteral("take %1.wav").arg(take), 44100, 1, 16, 441);
            }
            const QString deep = fixture.writeWav(QStringLiteral("deep.wav"), 48000, 2, 24, 48000);
            fixture.profile().setString("Preferece/Directory", fixture.folder().toStdString());
            ZQ3::CModel model;
            CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            // Whichever view lists the files shows a good part of the folder at once.
            QAbstractItemView* list = nullptr;
            for (const char* name : {"listView", "treeView"}) {
                auto* view = dialog.findChild<QAbstractItemView*>(QLatin1String(name));
                if (view != nullptr && view->isVisible()) {
                    list = view;
                }
            }
            QVERIFY(list != nullptr);
            QTRY_VERIFY(list->model()->rowCount(list->rootIndex()) >= 13);
            const int rowHeight =
                list->visualRect(list->model()->index(0, 0, list->rootIndex())).height();
            QVERIFY(rowHeight > 0);
            QVERIFY2(list->viewport()->height() >= CWaveFileOpenDialog::FileListRows * rowHeight,
                     qPrintable(QStringLiteral("%1 px for rows of %2 px")
                                    .arg(list->viewport()->height())
                                    .arg(rowHeight)));

            // The reason is shown whole, wrapped, and ends with what makes the file importable
            // and playable.
            dialog.preview(deep);
            const QString advice = language == ZQ3::LanguageEnglish
                                       ? QStringLiteral("To import it and play it, tick "
                                                        "Convert to the card's format.")
                                       : QStringLiteral("「カードの形式に変換する」");
            QVERIFY2(dialog.reasonText().contains(advice), qPrintable(dialog.reasonText()));
            QVERIFY(!dialog.playButton()->isEnabled());
            QLabel* line = dialog.reasonLine();
            QCOMPARE(line->text(), dialog.reasonText());
            QApplication::processEvents();
            QVERIFY(line->height() >= line->heightForWidth(line->width()));
            QVERIFY(line->width() + line->x() <= dialog.width());
            SaveScreenshot(dialog, language == ZQ3::LanguageEnglish
                                       ? QStringLiteral("open_dialog_own_size_en")
                                       : QStringLiteral("open_dialog_own_size_ja"));
            // A file no conversion makes long enough gets no such advice.
            dialog.preview(fixture.writeWav(QStringLiteral("blip.wav"), 48000, 1, 24, 480));
            QVERIFY(!dialog.reasonText().contains(advice));
        }
        ZQ3::Desktop::InstallTranslations(ZQ3::LanguageEnglish);
    }

    void theNameRememberedIsProposedOnlyWhereItIsAFile() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        fixture.profile().setString("Preferece/Directory", fixture.folder().toStdString());
        fixture.profile().setString("Preferece/File", "E04.wav");
        {
            CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
            QVERIFY(dialog.fileNameText().isEmpty());
        }
        fixture.writeWav(QStringLiteral("E04.wav"), 44100, 1, 16, 4410);
        CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
        QCOMPARE(dialog.fileNameText(), QStringLiteral("E04.wav"));
    }

    void anUnreadableFileClearsThePreview() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
        dialog.preview(fixture.writeWav(QStringLiteral("take.wav"), 44100, 1, 16, 4410));
        QVERIFY(dialog.playButton()->isEnabled());
        QFile text(fixture.path(QStringLiteral("notes.wav")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a sound file at all, only words");
        text.close();
        dialog.preview(text.fileName());
        for (const Field field : {Field::Format, Field::BitsPerSample, Field::SamplingFrequency,
                                  Field::ChannelCount, Field::ConvertSize}) {
            QVERIFY(dialog.fieldText(field).isEmpty());
        }
        QVERIFY(dialog.reasonText().contains(QStringLiteral("notes.wav")));
        QVERIFY(!dialog.playButton()->isEnabled());
        // Nor does the waveform of the file before it come back late.
        QTest::qWait(100);
        QVERIFY(dialog.waveformView()->waveform() == nullptr);
        // A folder under the cursor is no failure.
        dialog.preview(fixture.folder());
        QVERIFY(dialog.reasonText().isEmpty());
    }

    void playShowsStopUntilTheEndAndAnotherFileDoesNotInterrupt() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        ZQ3::CDomain domain;
        auto player = domain.createPlayer(0.18, 0.06);
        CWaveFileOpenDialog dialog(model, player, fixture.profile());
        // 0.3 s of sound on an output that keeps time.
        dialog.preview(fixture.writeWav(QStringLiteral("short.wav"), 44100, 2, 16, 13230));
        QTest::mouseClick(dialog.playButton(), Qt::LeftButton);
        QCOMPARE(dialog.playButton()->text(), QStringLiteral("Stop"));
        QVERIFY(player->getAudioOutDevice()->isPlaying());

        // Selecting a file that cannot be played keeps the first one playing and Stop usable.
        dialog.preview(fixture.writeWav(QStringLiteral("deep.wav"), 44100, 1, 24, 4410));
        QVERIFY(player->getAudioOutDevice()->isPlaying());
        QCOMPARE(dialog.playButton()->text(), QStringLiteral("Stop"));
        QVERIFY(dialog.playButton()->isEnabled());

        QTRY_COMPARE_WITH_TIMEOUT(dialog.playButton()->text(), QStringLiteral("Play"), 5000);
        QVERIFY(!dialog.playButton()->isEnabled());
    }

    void stopEndsThePlaybackAtOnce() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        ZQ3::CDomain domain;
        auto player = domain.createPlayer(0.18, 0.06);
        CWaveFileOpenDialog dialog(model, player, fixture.profile());
        dialog.preview(fixture.writeWav(QStringLiteral("long.wav"), 44100, 1, 16, 441000));
        QTest::mouseClick(dialog.playButton(), Qt::LeftButton);
        QVERIFY(player->getAudioOutDevice()->isPlaying());
        QTest::mouseClick(dialog.playButton(), Qt::LeftButton);
        QVERIFY(!player->getAudioOutDevice()->isPlaying());
        QCOMPARE(dialog.playButton()->text(), QStringLiteral("Play"));
        // Closing the dialog while playing stops the sound too.
        QTest::mouseClick(dialog.playButton(), Qt::LeftButton);
        dialog.reject();
        QVERIFY(!player->getAudioOutDevice()->isPlaying());
    }

    void aFileThatNeedsConversionIsRefusedUntilTheBoxAsksForIt() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        ZQ3::CDomain domain;
        auto player = domain.createPlayer(0.18, 0.06);
        CWaveFileOpenDialog dialog(model, player, fixture.profile());
        QVERIFY(!dialog.convertBox()->isChecked());
        QVERIFY(!dialog.importConversion().convert);
        // Half a second at 48 kHz, 24-bit.
        const QString deep = fixture.writeWav(QStringLiteral("deep.wav"), 48000, 2, 24, 24000);
        dialog.preview(deep);
        const QString refusal = dialog.reasonText();
        QVERIFY(refusal.startsWith(QStringLiteral("deep.wav: ")));
        QVERIFY(!refusal.contains(QStringLiteral("converted")));
        QVERIFY(!dialog.playButton()->isEnabled());

        dialog.convertBox()->click();
        QVERIFY(dialog.importConversion().convert);
        QCOMPARE(dialog.reasonText(),
                 QStringLiteral("deep.wav: will be converted to 16-bit 44.1 kHz"));
        // The file as it is, and the card's bytes of its conversion: 22050 frames.
        QCOMPARE(dialog.fieldText(Field::BitsPerSample), QStringLiteral("24"));
        QCOMPARE(dialog.fieldText(Field::SamplingFrequency), QStringLiteral("48000"));
        QCOMPARE(dialog.fieldText(Field::ConvertSize),
                 CWaveFileOpenDialog::ByteCountText(ZQ3::CardLayout::CardBytesNeeded(22050, 2)));
        QVERIFY(dialog.playButton()->isEnabled());

        // A file the card takes is imported as it is, box or not.
        dialog.preview(fixture.writeWav(QStringLiteral("take.wav"), 44100, 1, 16, 4410));
        QVERIFY(dialog.reasonText().isEmpty());
        // A file nothing can make long enough stays refused.
        dialog.preview(fixture.writeWav(QStringLiteral("blip.wav"), 48000, 1, 24, 480));
        QVERIFY(dialog.reasonText().startsWith(QStringLiteral("blip.wav: ")));
        QVERIFY(!dialog.playButton()->isEnabled());

        dialog.convertBox()->click();
        dialog.preview(deep);
        QCOMPARE(dialog.reasonText(), refusal);
    }

    void aFileOnlyTheConverterReadsIsDescribedAsLibsndfileReadsIt() {
        CFileDialogFixture fixture;
        const QString flac = fixture.path(QStringLiteral("loop.flac"));
        // sox makes the file: the converter's own code must not be its source.
        const std::string missing = ZQ3::Fixture::MissingProgram("sox", "sox");
        if (!missing.empty()) {
            QFAIL(missing.c_str());
        }
        const int made = QProcess::execute(
            QStringLiteral("sox"),
            {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("32000"),
             QStringLiteral("-b"), QStringLiteral("24"), QStringLiteral("-c"), QStringLiteral("1"),
             flac, QStringLiteral("synth"), QStringLiteral("0.5"), QStringLiteral("sine"),
             QStringLiteral("440")});
        if (made != 0) {
            QSKIP("sox cannot make a FLAC file here");
        }
        fixture.profile().setInt("Preference/ConvertToCardFormat", 1);
        ZQ3::CModel model;
        CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
        QVERIFY(dialog.convertBox()->isChecked());
        dialog.preview(flac);
        QCOMPARE(dialog.reasonText(),
                 QStringLiteral("loop.flac: will be converted to 16-bit 44.1 kHz"));
        QVERIFY(dialog.fieldText(Field::Format).startsWith(QStringLiteral("FLAC")));
        QCOMPARE(dialog.fieldText(Field::BitsPerSample), QStringLiteral("24"));
        QCOMPARE(dialog.fieldText(Field::SamplingFrequency), QStringLiteral("32000"));
        QCOMPARE(dialog.fieldText(Field::ChannelCount), QStringLiteral("1"));
        QCOMPARE(dialog.fieldText(Field::ConvertSize),
                 CWaveFileOpenDialog::ByteCountText(ZQ3::CardLayout::CardBytesNeeded(22050, 1)));
    }

    void theConvertChoiceOutlivesTheDialogAndTheProgram() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        {
            CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
            dialog.convertBox()->click();
            dialog.reject();
        }
        fixture.reopenProfile();
        {
            CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
            QVERIFY(dialog.convertBox()->isChecked());
            dialog.convertBox()->click();
            QMetaObject::invokeMethod(&dialog, "accept");
        }
        fixture.reopenProfile();
        CWaveFileOpenDialog again(model, nullptr, fixture.profile());
        QVERIFY(!again.convertBox()->isChecked());
    }

    void playPreviewsTheConvertedSoundAndStopCancelsItsConversion() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        ZQ3::CDomain domain;
        auto player = domain.createPlayer(0.18, 0.06);
        fixture.profile().setInt("Preference/ConvertToCardFormat", 1);
        CWaveFileOpenDialog dialog(model, player, fixture.profile());
        dialog.preview(fixture.writeWav(QStringLiteral("deep.wav"), 48000, 2, 24, 14400));
        QTest::mouseClick(dialog.playButton(), Qt::LeftButton);
        QCOMPARE(dialog.playButton()->text(), QStringLiteral("Stop"));
        // The conversion, 0.3 s of sound, plays once it is ready, and the button follows it to
        // its end.
        QTRY_VERIFY_WITH_TIMEOUT(player->getAudioOutDevice()->isPlaying(), 10000);
        QVERIFY(
            dialog.reasonText().endsWith(QStringLiteral("will be converted to 16-bit 44.1 kHz")));
        QTRY_COMPARE_WITH_TIMEOUT(dialog.playButton()->text(), QStringLiteral("Play"), 5000);
        QVERIFY(dialog.playButton()->isEnabled());

        // A long file: Stop at once cancels its conversion, and nothing plays afterwards.
        dialog.preview(fixture.writeWav(QStringLiteral("long.wav"), 48000, 2, 24, 48000 * 30));
        QTest::mouseClick(dialog.playButton(), Qt::LeftButton);
        QCOMPARE(dialog.playButton()->text(), QStringLiteral("Stop"));
        QTest::mouseClick(dialog.playButton(), Qt::LeftButton);
        QCOMPARE(dialog.playButton()->text(), QStringLiteral("Play"));
        QTest::qWait(200);
        QVERIFY(!player->getAudioOutDevice()->isPlaying());
    }

    void theFilterListOffersBothTypesAndAllFilesAndMatchesLongAndUpperCaseNames() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
        QCOMPARE(dialog.nameFilters(),
                 QStringList({QStringLiteral("Windows RIFF Wave Files (*.wav)"),
                              QStringLiteral("Apple AIFF Wave Files (*.aif)"),
                              QStringLiteral("All Files (*.*)")}));
        dialog.selectFilterIndex(2);
        QTRY_VERIFY(dialog.patternsInUse().contains(QStringLiteral("*.aiff")));
        QVERIFY(dialog.patternsInUse().contains(QStringLiteral("*.AIF")));
    }

    void theDialogRemembersFolderFileAndTypeAndShowsTheFolderInItsCaption() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        const QString file = fixture.writeWav(QStringLiteral("take.aif.wav"), 44100, 1, 16, 4410);
        {
            CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
            dialog.setDirectory(fixture.folder());
            dialog.selectFilterIndex(3);
            dialog.selectFile(file);
            QMetaObject::invokeMethod(&dialog, "accept");
        }
        QCOMPARE(QString::fromStdString(fixture.profile().getString("Preferece/Directory", "")),
                 fixture.folder());
        QCOMPARE(fixture.profile().getString("Preferece/File", ""), std::string("take.aif.wav"));
        QCOMPARE(fixture.profile().getInt("Preferece/Filter", 0), 3L);

        CWaveFileOpenDialog again(model, nullptr, fixture.profile());
        QCOMPARE(again.filterIndex(), 3);
        QCOMPARE(again.currentFolder(), fixture.folder());
        QCOMPARE(again.windowTitle(), QStringLiteral("Open - ") + fixture.folder());
        // The open dialog remembers the type even when cancelled.
        again.selectFilterIndex(2);
        again.reject();
        QCOMPARE(fixture.profile().getInt("Preferece/Filter", 0), 2L);
    }

    void japaneseLocaleGivesJapaneseLabelsAndButtons() {
        qputenv("LANG", "ja_JP.UTF-8");
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        QVERIFY(ZQ3::Desktop::InstallTranslationsForLocale());
        qputenv("LANG", "C.UTF-8");
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
        dialog.preview(fixture.writeWav(QStringLiteral("take.wav"), 44100, 2, 16, 44100));
        QCOMPARE(dialog.playButton()->text(), QStringLiteral("再生"));
        QStringList labels;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            labels << label->text();
        }
        QVERIFY2(labels.contains(QStringLiteral("サンプリング周波数 (Hz):")),
                 qPrintable(labels.join(QLatin1Char('|'))));
        QVERIFY(labels.contains(QStringLiteral("変換後のサイズ (バイト):")));
        QCOMPARE(dialog.convertBox()->text(), QStringLiteral("カードの形式に変換する"));
        dialog.convertBox()->click();
        dialog.preview(fixture.writeWav(QStringLiteral("deep.wav"), 48000, 2, 24, 24000));
        QCOMPARE(dialog.reasonText(),
                 QStringLiteral("deep.wav: 16 ビット 44.1 kHz に変換されます"));
        QCOMPARE(dialog.nameFilters().first(),
                 QStringLiteral("Windows RIFF Wave ファイル (*.wav)"));
        QVERIFY(dialog.windowTitle().startsWith(QStringLiteral("開く - ")));
    }

    void trimSetsTheHandlesWhereTheToneStartsAndEnds() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
        dialog.preview(WriteToneInSilence(fixture, QStringLiteral("tone.wav")));
        QVERIFY(!dialog.processing().any());
        dialog.thresholdField()->setValue(-40);
        dialog.trimButton()->click();
        // The trim keeps a few milliseconds before the tone's first loud sample.
        const SL::CSoundProcessing processing = dialog.processing();
        QVERIFY(processing.startSeconds && processing.endSeconds);
        QVERIFY(std::abs(*processing.startSeconds - 0.5) < 0.005);
        QVERIFY(std::abs(*processing.endSeconds - 1.5) < 0.005);
        QVERIFY(std::abs(dialog.waveformView()->regionStart() * 2.0 - 0.5) < 0.005);
        QVERIFY(std::abs(dialog.waveformView()->regionEnd() * 2.0 - 1.5) < 0.005);
        QCOMPARE(ZQ3::CPreferences::ReadTidying(fixture.profile()).trimThresholdDb, -40.0);
        // Ticking Convert looks at the same file again and keeps its region.
        dialog.convertBox()->click();
        QCOMPARE(dialog.processing(), processing);

        // Nothing above the threshold: the handles stay and the line says why.
        dialog.preview(fixture.writeWav(QStringLiteral("quiet.wav"), 44100, 1, 16, 4410));
        dialog.thresholdField()->setValue(0);
        dialog.trimButton()->click();
        QVERIFY(!dialog.processing().any());
        QVERIFY(dialog.reasonText().startsWith(QStringLiteral("quiet.wav: ")));
    }

    void aChopDrawsItsSlicePointsAndTheSettingsAreKept() {
        CFileDialogFixture fixture;
        ZQ3::CModel model;
        model.bank = 0;
        model.selectedPad = 14;
        {
            CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
            dialog.resize(900, 560);
            dialog.show();
            dialog.preview(WriteToneInSilence(fixture, QStringLiteral("loop.wav")));
            dialog.fadeInField()->setValue(12);
            SL::CSliceRequest request;
            request.count = 4;
            dialog.chopOntoPads(request);
            QCOMPARE(dialog.slicePlan().plan.slices.size(), std::size_t{4});
            const auto& drawn = dialog.waveformView()->slices();
            QCOMPARE(drawn.size(), std::size_t{4});
            QVERIFY(std::abs(drawn[2].first - 0.5) < 0.01);
            // A chop takes the whole file: the import gets no region or fades.
            QVERIFY(!dialog.importConversion().options.processing.any());
            // A click in the third slice picks it for Play.
            ZQ3::Desktop::CWaveformView& view = *dialog.waveformView();
            QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(view.xOf(0.6), view.height() / 2));
            QCOMPARE(dialog.sliceBox()->currentIndex(), 2);
            QCOMPARE(view.pickedSlice(), 2);
            // The line says where the slices go.
            QVERIFY(dialog.reasonText().startsWith(QStringLiteral("4 slices, onto pads ")));
        }
        // The next dialog starts from the settings last used; from the card's second last pad
        // the four slices do not fit, and the line says so before the import is tried.
        model.bank = ZQ3::CardLayout::BankCount - 1;
        CWaveFileOpenDialog again(model, nullptr, fixture.profile());
        QCOMPARE(again.fadeInField()->value(), 12);
        QCOMPARE(ZQ3::CPreferences::ReadTidying(fixture.profile()).sliceCount, 4);
        SL::CSliceRequest request;
        request.count = 4;
        again.preview(WriteToneInSilence(fixture, QStringLiteral("loop.wav")));
        again.chopOntoPads(request);
        QVERIFY(again.reasonText().contains(QStringLiteral("more than the 2 pads")));
    }

    void screenshotsOfTheHandlesAndTheChopInBothLanguages() {
        for (const int language : {ZQ3::LanguageEnglish, ZQ3::LanguageJapanese}) {
            QVERIFY(ZQ3::Desktop::InstallTranslations(language));
            CFileDialogFixture fixture;
            ZQ3::CModel model;
            model.cardRoot = fixture.folder().toStdString();
            model.selectedPad = 0;
            const QString tone = WriteToneInSilence(fixture, QStringLiteral("tone.wav"));
            fixture.profile().setString("Preferece/Directory", fixture.folder().toStdString());
            CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
            dialog.resize(900, 600);
            dialog.preview(tone);
            QTRY_VERIFY(dialog.waveformView()->waveform() != nullptr);
            dialog.trimButton()->click();
            dialog.fadeOutField()->setValue(20);
            const QString suffix =
                language == ZQ3::LanguageEnglish ? QStringLiteral("_en") : QStringLiteral("_ja");
            SaveScreenshot(dialog, QStringLiteral("open_dialog_handles") + suffix);
            SL::CSliceRequest request;
            request.count = 6;
            dialog.chopOntoPads(request);
            dialog.sliceBox()->setCurrentIndex(3);
            SaveScreenshot(dialog, QStringLiteral("open_dialog_chop") + suffix);
        }
        ZQ3::Desktop::InstallTranslations(ZQ3::LanguageEnglish);
    }

    void screenshotsInBothLanguages() {
        for (const int language : {ZQ3::LanguageEnglish, ZQ3::LanguageJapanese}) {
            QVERIFY(ZQ3::Desktop::InstallTranslations(language));
            CFileDialogFixture fixture;
            ZQ3::CModel model;
            model.cardRoot = fixture.folder().toStdString();
            fixture.writeWav(QStringLiteral("stereo take.wav"), 44100, 2, 16, 88200);
            const QString deep = fixture.writeWav(QStringLiteral("deep.wav"), 48000, 2, 24, 48000);
            fixture.profile().setString("Preferece/Directory", fixture.folder().toStdString());
            CWaveFileOpenDialog dialog(model, nullptr, fixture.profile());
            dialog.resize(900, 560);
            dialog.preview(deep);
            QTRY_VERIFY(dialog.waveformView()->waveform() != nullptr);
            const QString suffix =
                language == ZQ3::LanguageEnglish ? QStringLiteral("_en") : QStringLiteral("_ja");
            SaveScreenshot(dialog, QStringLiteral("open_dialog") + suffix);
            // The same file when the user asked for conversion: the panel says it will be.
            dialog.convertBox()->click();
            QVERIFY(dialog.reasonText().startsWith(QStringLiteral("deep.wav: ")));
            QTRY_VERIFY(dialog.waveformView()->waveform() != nullptr);
            SaveScreenshot(dialog, QStringLiteral("open_dialog_convert") + suffix);
        }
        ZQ3::Desktop::InstallTranslations(ZQ3::LanguageEnglish);
    }
};

} // namespace

std::unique_ptr<QObject> MakeOpenDialogTest() {
    return std::make_unique<OpenDialogTest>();
}

#include "open_dialog_test.moc"
