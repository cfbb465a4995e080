// The message box: which answer each button and a dismissal give, and how a reported failure
// shows its reason.

#include "desktop/qt_text_dialog.h"
#include "desktop/translations.h"
#include "tests/desktop/screenshots.h"
#include "tests/desktop/test_classes.h"

#include "app/message_catalogue.h"
#include "app/report.h"
#include "sl/log/logger.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

namespace {

// Presses button on the next message box.
void PressOnNextBox(QMessageBox::StandardButton button) {
    OnNextModal([button](QWidget& modal) {
        auto* box = qobject_cast<QMessageBox*>(&modal);
        QVERIFY(box != nullptr);
        QAbstractButton* pressed = box->button(button);
        QVERIFY(pressed != nullptr);
        QTest::mouseClick(pressed, Qt::LeftButton);
    });
}

void EscapeOnNextBox() {
    OnNextModal([](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Escape); });
}

class TextDialogTest : public QObject {
    Q_OBJECT

private slots:
    void answersFollowTheButtonPressed() {
        UL::CTextDialog dialog;
        using D = UL::ITextDialog;
        PressOnNextBox(QMessageBox::Ok);
        QCOMPARE(dialog.ask(D::ButtonsOkCancel, D::IconQuestion, "Overwrite?"), D::AnswerOk);
        PressOnNextBox(QMessageBox::Cancel);
        QCOMPARE(dialog.ask(D::ButtonsOkCancel, D::IconQuestion, "Overwrite?"), D::AnswerCancel);
        PressOnNextBox(QMessageBox::Yes);
        QCOMPARE(dialog.ask(D::ButtonsYesNo, D::IconWarning, "Delete?"), D::AnswerYes);
        PressOnNextBox(QMessageBox::No);
        QCOMPARE(dialog.ask(D::ButtonsYesNoCancel, D::IconWarning, "Delete?"), D::AnswerNo);
        PressOnNextBox(QMessageBox::Cancel);
        QCOMPARE(dialog.ask(D::ButtonsYesNoCancel, D::IconWarning, "Delete?"), D::AnswerCancel);
        // Any other button code offers OK alone.
        PressOnNextBox(QMessageBox::Ok);
        QCOMPARE(dialog.ask(7, D::IconError, "Failed."), D::AnswerOk);
    }

    void escapeCountsAsCancelWhateverTheButtons() {
        UL::CTextDialog dialog;
        using D = UL::ITextDialog;
        for (const int buttons :
             {D::ButtonsOk, D::ButtonsOkCancel, D::ButtonsYesNo, D::ButtonsYesNoCancel}) {
            EscapeOnNextBox();
            QCOMPARE(dialog.ask(buttons, D::IconQuestion, "Continue?"), D::AnswerCancel);
        }
    }

    void iconsFollowTheIconCode() {
        UL::CTextDialog dialog;
        using D = UL::ITextDialog;
        const std::pair<int, QMessageBox::Icon> cases[] = {{D::IconQuestion, QMessageBox::Question},
                                                           {D::IconError, QMessageBox::Critical},
                                                           {D::IconWarning, QMessageBox::Warning},
                                                           {9, QMessageBox::Warning}};
        for (const auto& [icon, shown] : cases) {
            QMessageBox::Icon seen = QMessageBox::NoIcon;
            OnNextModal([&seen](QWidget& modal) {
                auto* box = qobject_cast<QMessageBox*>(&modal);
                QVERIFY(box != nullptr);
                seen = box->icon();
                QTest::keyClick(&modal, Qt::Key_Escape);
            });
            dialog.ask(D::ButtonsOk, icon, "Text");
            QCOMPARE(seen, shown);
        }
    }

    void aReportedFailureShowsTheMessageWithTheReasonAsInformativeText() {
        for (const int language : {ZQ3::LanguageEnglish, ZQ3::LanguageJapanese}) {
            QVERIFY(ZQ3::Desktop::InstallTranslations(language));
            SL::CLogger::Instance().SetPrinter(std::make_shared<ZQ3::Desktop::CMessageBoxPrinter>(
                std::make_shared<UL::CTextDialog>()));
            QString text;
            QString informative;
            OnNextModal([&](QWidget& modal) {
                auto* shown = qobject_cast<QMessageBox*>(&modal);
                QVERIFY(shown != nullptr);
                QMessageBox& box = *shown;
                text = box.text();
                informative = box.informativeText();
                SaveScreenshot(box, language == ZQ3::LanguageEnglish
                                        ? QStringLiteral("message_box_en")
                                        : QStringLiteral("message_box_ja"));
                QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
            });
            const std::string reason =
                language == ZQ3::LanguageEnglish
                    ? "take.wav has 24-bit samples; the card takes 16-bit."
                    : "take.wav は 24 ビットです。カードは 16 ビットのみです。";
            ZQ3::ReportMessage(ZQ3::MessageWaveFileRefused, reason);
            QCOMPARE(text, QString::fromStdString(ZQ3::CatalogueText(ZQ3::MessageWaveFileRefused)));
            QCOMPARE(informative, QString::fromStdString(reason));
            SL::CLogger::Instance().ResetPrinter();
        }
        ZQ3::Desktop::InstallTranslations(ZQ3::LanguageEnglish);
    }
};

} // namespace

std::unique_ptr<QObject> MakeTextDialogTest() {
    return std::make_unique<TextDialogTest>();
}

#include "qt_text_dialog_test.moc"
