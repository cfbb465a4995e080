#include "desktop/pad_grid_accessible.h"

#include "desktop/pad_grid.h"

#include <QPointer>
#include <QWindow>

namespace ZQ3::Desktop {
namespace {

// One pad: a button without a widget of its own, answering from the grid. Pressing it plays it,
// as a double click does; focusing it selects it.
class CPadAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    CPadAccessible(CPadGrid* grid, int pad) : grid_(grid), pad_(pad) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override {
        return grid_ && grid_->isOpen() ? QStringList{pressAction(), setFocusAction()}
                                        : QStringList();
    }
    void doAction(const QString& action) override {
        if (!grid_ || !grid_->isOpen()) {
            return;
        }
        if (action == setFocusAction() || action == pressAction()) {
            grid_->setFocus();
            emit grid_->padSelected(pad_);
        }
        if (action == pressAction()) {
            emit grid_->padActivated(pad_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    bool isValid() const override { return !grid_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation) const override {
        return {};
    }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return grid_ ? QAccessible::queryAccessibleInterface(grid_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text kind) const override {
        if (!grid_) {
            return {};
        }
        switch (kind) {
        case QAccessible::Name:
            return grid_->padAccessibleText(pad_);
        case QAccessible::Help:
        case QAccessible::Description:
            return grid_->padToolTip(pad_);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!grid_) {
            return {};
        }
        const QRect local = grid_->padRect(pad_);
        return QRect(grid_->mapToGlobal(local.topLeft()), local.size());
    }
    QAccessible::Role role() const override { return QAccessible::Button; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!grid_) {
            state.invalid = true;
            return state;
        }
        const bool open = grid_->isOpen();
        state.disabled = !open;
        state.selectable = open;
        state.focusable = open;
        state.selected = grid_->selectedPad() == pad_;
        state.focused = state.selected && grid_->hasFocus();
        state.invisible = !grid_->isVisible();
        return state;
    }

private:
    QPointer<CPadGrid> grid_;
    int pad_;
};

QAccessibleInterface* PadGridFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(CPadGrid::staticMetaObject.className()) && object &&
        object->isWidgetType()) {
        return new CPadGridAccessible(static_cast<CPadGrid*>(object));
    }
    return nullptr;
}

} // namespace

CPadGridAccessible::CPadGridAccessible(CPadGrid* grid)
    : QAccessibleWidget(grid, QAccessible::Grouping) {}

CPadGridAccessible::~CPadGridAccessible() {
    for (const QAccessible::Id id : pads_) {
        if (id != 0) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }
}

CPadGrid* CPadGridAccessible::grid() const {
    return static_cast<CPadGrid*>(widget());
}

int CPadGridAccessible::childCount() const {
    return static_cast<int>(pads_.size());
}

QAccessibleInterface* CPadGridAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) {
        return nullptr;
    }
    QAccessible::Id& id = pads_[static_cast<std::size_t>(index)];
    if (id == 0) {
        id = QAccessible::registerAccessibleInterface(new CPadAccessible(grid(), index));
    }
    return QAccessible::accessibleInterface(id);
}

int CPadGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (int index = 0; index < childCount(); ++index) {
        const QAccessible::Id id = pads_[static_cast<std::size_t>(index)];
        if (id != 0 && QAccessible::accessibleInterface(id) == child) {
            return index;
        }
    }
    return -1;
}

QAccessibleInterface* CPadGridAccessible::childAt(int x, int y) const {
    const QPoint local = grid()->mapFromGlobal(QPoint(x, y));
    for (int index = 0; index < childCount(); ++index) {
        if (grid()->padRect(index).contains(local)) {
            return child(index);
        }
    }
    return nullptr;
}

QAccessibleInterface* CPadGridAccessible::focusChild() const {
    return grid()->hasFocus() && grid()->selectedPad() >= 0 ? child(grid()->selectedPad())
                                                            : nullptr;
}

void InstallPadGridAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(PadGridFactory);
        return true;
    }();
    (void)installed;
}

} // namespace ZQ3::Desktop
