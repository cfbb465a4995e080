#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace ZQ3::Desktop {

// The progress dialog's window: a centred text line, the bar and Cancel. It never closes
// itself: Cancel, Escape and the window's close request all only tell the progress, which
// decides whether the job stops and ends the dialog when the job is over.
class CProgressWindow : public QDialog {
    Q_OBJECT

public:
    CProgressWindow();

    void setText(const QString& text);
    QString text() const;
    void setBarRange(int maximum);
    void setBarValue(int value);
    void setCancelShown(bool shown);
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

signals:
    // Every request to cancel.
    void cancelRequested();

protected:
    void reject() override;

private:
    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

} // namespace ZQ3::Desktop
