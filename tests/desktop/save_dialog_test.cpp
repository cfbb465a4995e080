// The export's file dialog: the extension follows the type, the convert size follows the type,
// and what is remembered after OK and after Cancel.

#include "desktop/translations.h"
#include "desktop/wave_file_save_dialog.h"
#include "tests/desktop/file_dialog_fixture.h"
#include "tests/desktop/screenshots.h"
#include "tests/desktop/test_classes.h"

#include "app/message_catalogue.h"
#include "card/card_layout.h"

#include <QDir>
#include <QMessageBox>
#include <QTest>

namespace {

// A card with a stereo sample of 1000 frames on the selected pad 5 of bank D.
ZQ3::CModel ModelWithSelectedSample(const QString& root) {
    ZQ3::CModel model;
    model.cardRoot = root.toStdString();
    model.bank = 1;
    model.selectedPad = 5;
    model.entryOf(5).frameCount = 1000;
    model.entryOf(5).stereo = true;
    return model;
}

class SaveDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(ZQ3::Desktop::InstallTranslations(ZQ3::LanguageEnglish)); }

    void switchingToAiffChangesTheExtensionAndTheConvertSize() {
        CFileDialogFixture fixture;
        const ZQ3::CModel model = ModelWithSelectedSample(fixture.folder());
        CWaveFileSaveDialog dialog(model, fixture.profile());
        QCOMPARE(dialog.nameFilters(),
                 QStringList({QStringLiteral("Windows RIFF Wave Files (*.wav)"),
                              QStringLiteral("Apple AIFF Wave Files (*.aif)")}));
        QCOMPARE(dialog.chosenFormat(), SL::CWaveFileFormat::WINWAVE);
        // 1000 frames of two 16-bit channels and the header of each format.
        QCOMPARE(dialog.convertSizeText(), QStringLiteral("4,046"));
        dialog.setFileNameText(QStringLiteral("take.wav"));
        dialog.selectFilterIndex(2);
        QCOMPARE(dialog.chosenFormat(), SL::CWaveFileFormat::AIFF);
        QCOMPARE(dialog.fileNameText(), QStringLiteral("take.aif"));
        QCOMPARE(dialog.convertSizeText(), QStringLiteral("4,054"));
        dialog.selectFilterIndex(1);
        QCOMPARE(dialog.fileNameText(), QStringLiteral("take.wav"));
        QVERIFY(!dialog.freeSpaceText().isEmpty());
    }

    void theNameProposedIsThePadsOwnInTheRememberedFolder() {
        CFileDialogFixture fixture;
        const ZQ3::CModel model = ModelWithSelectedSample(fixture.folder());
        // The file imported last, the user's own, lies in the folder remembered.
        fixture.writeWav(QStringLiteral("huge.wav"), 44100, 1, 16, 4410);
        fixture.profile().setString("Preferece/Directory", fixture.folder().toStdString());
        fixture.profile().setString("Preferece/File", "huge.wav");
        CWaveFileSaveDialog dialog(model, fixture.profile());
        QCOMPARE(dialog.currentFolder(), fixture.folder());
        QCOMPARE(dialog.fileNameText(), QStringLiteral("D05.wav"));
        QCOMPARE(dialog.selectedFiles(), QStringList{fixture.path(QStringLiteral("D05.wav"))});
        // OK writes the name chosen, as before.
        QMetaObject::invokeMethod(&dialog, "accept");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(fixture.profile().getString("Preferece/File", ""), std::string("D05.wav"));
    }

    void cancelAfterBrowsingKeepsTheFolderButNotTheFileOrType() {
        CFileDialogFixture fixture;
        const ZQ3::CModel model = ModelWithSelectedSample(fixture.folder());
        fixture.profile().setString("Preferece/File", "old.wav");
        fixture.profile().setInt("Preferece/Filter", 1);
        QVERIFY(QDir(fixture.folder()).mkdir(QStringLiteral("exports")));
        const QString exports = fixture.path(QStringLiteral("exports"));
        CWaveFileSaveDialog dialog(model, fixture.profile());
        dialog.setDirectory(exports);
        dialog.selectFilterIndex(2);
        dialog.setFileNameText(QStringLiteral("new.aif"));
        dialog.reject();
        QCOMPARE(QString::fromStdString(fixture.profile().getString("Preferece/Directory", "")),
                 exports);
        QCOMPARE(fixture.profile().getString("Preferece/File", ""), std::string("old.wav"));
        QCOMPARE(fixture.profile().getInt("Preferece/Filter", 0), 1L);
    }

    void theTypeSavedLastIsPreselectedNextTime() {
        CFileDialogFixture fixture;
        const ZQ3::CModel model = ModelWithSelectedSample(fixture.folder());
        {
            CWaveFileSaveDialog dialog(model, fixture.profile());
            dialog.setDirectory(fixture.folder());
            dialog.selectFilterIndex(2);
            dialog.selectFile(QStringLiteral("take.aif"));
            QMetaObject::invokeMethod(&dialog, "accept");
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        }
        QCOMPARE(fixture.profile().getString("Preferece/File", ""), std::string("take.aif"));
        CWaveFileSaveDialog again(model, fixture.profile());
        QCOMPARE(again.filterIndex(), 2);
        QCOMPARE(again.chosenFormat(), SL::CWaveFileFormat::AIFF);
        QCOMPARE(again.convertSizeText(), QStringLiteral("4,054"));
    }

    void anExistingFileIsOnlyReplacedAfterAsking() {
        CFileDialogFixture fixture;
        const ZQ3::CModel model = ModelWithSelectedSample(fixture.folder());
        const QString existing = fixture.writeWav(QStringLiteral("take.wav"), 44100, 1, 16, 10);
        CWaveFileSaveDialog dialog(model, fixture.profile());
        dialog.setDirectory(fixture.folder());
        dialog.selectFile(existing);
        bool asked = false;
        OnNextModal([&asked](QWidget& modal) {
            asked = qobject_cast<QMessageBox*>(&modal) != nullptr;
            QTest::keyClick(&modal, Qt::Key_Escape);
        });
        QMetaObject::invokeMethod(&dialog, "accept");
        QVERIFY(asked);
        QVERIFY(dialog.result() != QDialog::Accepted);
    }

    void screenshotsInBothLanguages() {
        for (const int language : {ZQ3::LanguageEnglish, ZQ3::LanguageJapanese}) {
            QVERIFY(ZQ3::Desktop::InstallTranslations(language));
            CFileDialogFixture fixture;
            const ZQ3::CModel model = ModelWithSelectedSample(fixture.folder());
            fixture.writeWav(QStringLiteral("old take.wav"), 44100, 2, 16, 4410);
            fixture.profile().setString("Preferece/Directory", fixture.folder().toStdString());
            fixture.profile().setString("Preferece/File", "D5.wav");
            CWaveFileSaveDialog dialog(model, fixture.profile());
            dialog.resize(900, 520);
            const QString suffix =
                language == ZQ3::LanguageEnglish ? QStringLiteral("_en") : QStringLiteral("_ja");
            SaveScreenshot(dialog, QStringLiteral("save_dialog") + suffix);
        }
        ZQ3::Desktop::InstallTranslations(ZQ3::LanguageEnglish);
    }
};

} // namespace

std::unique_ptr<QObject> MakeSaveDialogTest() {
    return std::make_unique<SaveDialogTest>();
}

#include "save_dialog_test.moc"
