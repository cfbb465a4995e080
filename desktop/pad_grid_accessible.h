#pragma once

#include <QAccessibleWidget>

#include <array>

namespace ZQ3::Desktop {

class CPadGrid;

// What a screen reader learns of the pad block: a group of sixteen pads, each a child that
// says its name and what it holds ("C5, 0.42 s, stereo"), whether it is selected, and where it
// lies. Qt makes it for every CPadGrid once InstallPadGridAccessibility has run.
class CPadGridAccessible : public QAccessibleWidget {
public:
    explicit CPadGridAccessible(CPadGrid* grid);
    ~CPadGridAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    CPadGrid* grid() const;

private:
    // The pads' interfaces, made when first asked for and kept in Qt's registry until the grid
    // goes; 0 for one not made yet.
    mutable std::array<QAccessible::Id, 16> pads_{};
};

// Lets Qt make a CPadGridAccessible for each pad grid; running it again does nothing.
void InstallPadGridAccessibility();

} // namespace ZQ3::Desktop
