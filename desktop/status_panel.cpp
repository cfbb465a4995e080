#include "desktop/status_panel.h"

#include "app/card_space.h"
#include "app/quantity_text.h"

namespace ZQ3::Desktop {

void CStatusPanel::showCardNotice(const std::string& notice, const std::string& reason) {
    setText(QString::fromStdString(notice));
    setToolTip(QString::fromStdString(reason));
}

void CStatusPanel::showCardSpace(const std::string& root) {
    setToolTip(QString());
    if (root.empty()) {
        setText(tr("No card"));
        return;
    }
    // What a change can still put on the card, in the core's units, so that the figures read
    // as `zq3 info` gives them.
    const CardSpace space = MeasureCardSpace(root);
    if (!space.freeBytes) {
        clear();
        return;
    }
    setText(tr("Free: %1\nMono: %2 left\nStereo: %3 left")
                .arg(QString::fromStdString(SizeText(*space.freeBytes)),
                     QString::fromStdString(DurationText(space.secondsLeftMono)),
                     QString::fromStdString(DurationText(space.secondsLeftStereo))));
}

} // namespace ZQ3::Desktop
