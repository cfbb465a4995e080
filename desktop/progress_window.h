#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace UL {

// The progress dialog's window: a centred text line, the bar and Cancel. It never closes
// itself: Cancel, Escape and the window's close request all only tell the progress, which
// decides whether the job stops and ends the dialog when the job is over.
class CProgressWindow : public QDialog {
public:
    CProgressWindow();

    void setText(const QString& text);
    QString text() const;
    void setBarRange(int maximum);
    void setBarValue(int value);
    void setCancelShown(bool shown);
    // Called for every request to cancel.
    void setCancelHandler(std::function<void()> handler) { cancelHandler_ = std::move(handler); }

    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void reject() override;

private:
    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    std::function<void()> cancelHandler_;
};

} // namespace UL
