#pragma once

#include <QLabel>

#include <string>

namespace ZQ3::Desktop {

// The few lines between the buttons that say what the card can still take.
class CStatusPanel : public QLabel {
    Q_OBJECT

public:
    explicit CStatusPanel(QWidget* parent = nullptr) : QLabel(parent) {
        setAlignment(Qt::AlignCenter);
        setWordWrap(true);
    }

    // What the card at root can still take, measured as the command line's info measures it;
    // root is empty when no card is loaded.
    void showCardSpace(const std::string& root);
    // What keeps the loaded card from being changed (a read-only card), with the whole reason
    // and what to do as the tooltip.
    void showCardNotice(const std::string& notice, const std::string& reason);
};

} // namespace ZQ3::Desktop
