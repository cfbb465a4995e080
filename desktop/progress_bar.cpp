#include "desktop/progress_bar.h"

#include "desktop/progress_window.h"
#include "desktop/window_owner.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace UL {

CProgressBar::~CProgressBar() {
    end();
}

void CProgressBar::begin(std::int64_t range, const std::string& text, bool cancellable) {
    // A new job starts uncancelled, whatever the user did to the last one.
    cancelled_ = false;
    cancellable_ = cancellable;
    text_ = text;
    range_ = range;
    position_ = 0;
    show();
}

void CProgressBar::restart() {
    position_ = 0;
    show();
}

bool CProgressBar::show() {
    if (!window_) {
        owner_ = ZQ3::Desktop::FindOwnerWindow();
        const bool ownerWasEnabled = owner_ && owner_->isEnabled();
        if (ownerWasEnabled) {
            owner_->setEnabled(false);
        } else {
            // Only a window this dialog disabled is enabled again afterwards.
            owner_ = nullptr;
        }
        window_ = createWindow();
        if (!window_) {
            if (owner_) {
                owner_->setEnabled(true);
            }
            owner_ = nullptr;
            return false;
        }
        QObject::connect(window_.get(), &ZQ3::Desktop::CProgressWindow::cancelRequested,
                         [this] { onCancel(); });
        window_->setWindowTitle(QString::fromStdString(title_));
    }
    window_->setCancelShown(cancellable_);
    // The dialog is a window of its own rather than a child of the owner: a child would be
    // disabled with it. It stays above the owner and is centred over it.
    window_->adjustSize();
    if (owner_) {
        window_->winId();
        if (QWindow* handle = window_->windowHandle()) {
            handle->setTransientParent(owner_->windowHandle());
        }
        const QRect frame = owner_->frameGeometry();
        window_->move(frame.center() - window_->rect().center());
    }
    controlPosition_ = -1;
    setText(text_);
    setRange(range_);
    setPosition(position_);
    window_->show();
    window_->raise();
    processEvents();
    return true;
}

void CProgressBar::end() {
    if (!window_) {
        return;
    }
    if (owner_) {
        owner_->setEnabled(true);
    }
    window_.reset();
    owner_ = nullptr;
}

void CProgressBar::setRange(std::int64_t range) {
    range_ = range;
    controlRange_ = static_cast<int>(std::clamp<std::int64_t>(range, 0, MaximumBarSteps));
    controlPosition_ = -1;
    if (window_) {
        window_->setBarRange(controlRange_);
    }
}

void CProgressBar::setPosition(std::int64_t position) {
    position_ = position;
    int value = 0;
    if (range_ > 0) {
        const double share = static_cast<double>(position) / static_cast<double>(range_);
        value = static_cast<int>(std::clamp<long long>(std::llround(controlRange_ * share), 0,
                                                       static_cast<long long>(controlRange_)));
    }
    if (value == controlPosition_ || !window_) {
        return;
    }
    controlPosition_ = value;
    window_->setBarValue(value);
    if (!window_->isVisible()) {
        window_->show();
    }
    processEvents();
}

void CProgressBar::setTitle(const std::string& text) {
    title_ = text;
    if (window_) {
        window_->setWindowTitle(QString::fromStdString(text));
    }
}

void CProgressBar::setText(const std::string& text) {
    text_ = text;
    if (!window_) {
        return;
    }
    window_->setText(QString::fromStdString(text));
    if (!window_->isVisible()) {
        window_->show();
    }
    processEvents();
}

void CProgressBar::setCancellable(bool cancellable) {
    cancellable_ = cancellable;
    if (window_) {
        window_->setCancelShown(cancellable);
    }
}

bool CProgressBar::isCancelled() {
    processEvents();
    return cancelled_;
}

void CProgressBar::processEvents() {
    QApplication::processEvents();
}

void CProgressBar::onCancel() {
    // A job that cannot stop half-way ignores the button; the dialog stays until the job ends.
    if (cancellable_) {
        cancelled_ = true;
    }
}

std::unique_ptr<ZQ3::Desktop::CProgressWindow> CProgressBarA::createWindow() {
    return std::make_unique<ZQ3::Desktop::CProgressWindow>();
}

std::shared_ptr<IProgress> CreateProgress() {
    return std::make_shared<CProgressBarA>();
}

} // namespace UL
