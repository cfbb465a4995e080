#include "desktop/qt_text_dialog.h"

#include "desktop/window_owner.h"

#include <QKeyEvent>
#include <QMessageBox>

namespace UL {
namespace {

// A message box that tells an answer from a dismissal: Escape and the window's close request
// end it without a button, which the program counts as Cancel whatever the buttons offered.
class CAnswerBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

    bool dismissed() const { return dismissed_; }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
            dismiss();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        event->accept();
        dismiss();
    }

private:
    void dismiss() {
        dismissed_ = true;
        done(0);
    }

    bool dismissed_ = false;
};

QMessageBox::StandardButtons ButtonsOf(int buttons) {
    switch (buttons) {
    case ITextDialog::ButtonsOkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case ITextDialog::ButtonsYesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case ITextDialog::ButtonsYesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon IconOf(int icon) {
    switch (icon) {
    case ITextDialog::IconQuestion:
        return QMessageBox::Question;
    case ITextDialog::IconError:
        return QMessageBox::Critical;
    default:
        return QMessageBox::Warning;
    }
}

int AnswerOf(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return ITextDialog::AnswerOk;
    case QMessageBox::Yes:
        return ITextDialog::AnswerYes;
    case QMessageBox::No:
        return ITextDialog::AnswerNo;
    default:
        return ITextDialog::AnswerCancel;
    }
}

} // namespace

int CTextDialog::ask(int buttons, int icon, const std::string& text) {
    return askWithDetail(buttons, icon, text, std::string());
}

int CTextDialog::askWithDetail(int buttons, int icon, const std::string& text,
                               const std::string& detail) {
    CAnswerBox box(IconOf(icon), QString::fromLatin1(Caption), QString::fromStdString(text),
                   ButtonsOf(buttons), ZQ3::Desktop::FindOwnerWindow());
    if (!detail.empty()) {
        box.setInformativeText(QString::fromStdString(detail));
    }
    box.exec();
    if (box.dismissed() || box.clickedButton() == nullptr) {
        return AnswerCancel;
    }
    return AnswerOf(box.standardButton(box.clickedButton()));
}

} // namespace UL

namespace ZQ3::Desktop {

void CMessageBoxPrinter::Print(const std::string& text) {
    // A plain log line ends with its line feed, which a box does not show.
    std::string shown = text;
    while (!shown.empty() && shown.back() == '\n') {
        shown.pop_back();
    }
    if (!shown.empty()) {
        dialog_->ask(UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconWarning, shown);
    }
}

void CMessageBoxPrinter::PrintReport(const std::string& message, const std::string& detail) {
    dialog_->askWithDetail(UL::ITextDialog::ButtonsOk, UL::ITextDialog::IconWarning, message,
                           detail);
}

} // namespace ZQ3::Desktop
