#include "desktop/progress_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace ZQ3::Desktop {

CProgressWindow::CProgressWindow()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      label_(new QLabel(this)), bar_(new QProgressBar(this)),
      cancel_(new QPushButton(tr("Cancel"), this)) {
    label_->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest progress text in either language without the dialog growing
    // and jumping while a job runs.
    label_->setMinimumWidth(label_->fontMetrics().averageCharWidth() * 50);
    bar_->setTextVisible(false);
    // Cancel is a plain button: Enter must not cancel a job by accident.
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CProgressWindow::setText(const QString& text) {
    label_->setText(text);
}

QString CProgressWindow::text() const {
    return label_->text();
}

void CProgressWindow::setBarRange(int maximum) {
    bar_->setRange(0, maximum);
}

void CProgressWindow::setBarValue(int value) {
    bar_->setValue(value);
}

void CProgressWindow::setCancelShown(bool shown) {
    // The button keeps its place when hidden so that the dialog does not change size.
    QSizePolicy policy = cancel_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    cancel_->setSizePolicy(policy);
    cancel_->setVisible(shown);
}

void CProgressWindow::reject() {
    emit cancelRequested();
}

} // namespace ZQ3::Desktop
