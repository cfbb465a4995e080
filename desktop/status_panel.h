#pragma once

#include <QLabel>

namespace ZQ3::Desktop {

// The few lines between the buttons that say what the card can still take.
class CStatusPanel : public QLabel {
    Q_OBJECT

public:
    explicit CStatusPanel(QWidget* parent = nullptr) : QLabel(parent) {
        setAlignment(Qt::AlignCenter);
        setWordWrap(true);
    }
};

} // namespace ZQ3::Desktop
