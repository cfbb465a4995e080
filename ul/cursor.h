#pragma once

#include <algorithm>
#include <memory>
#include <vector>

namespace UL {

// Cursor kinds: four system cursors, then the program's own cursors in a fixed order.
namespace CursorKind {
constexpr int Arrow = 0;
constexpr int Wait = 1;
constexpr int TextBeam = 2;
constexpr int Cross = 3;
constexpr int FirstOwn = 4;
constexpr int LastOwn = 13;
constexpr bool IsValid(int kind) {
    return kind >= Arrow && kind <= LastOwn;
}
} // namespace CursorKind

// Whoever pushed an entry onto the cursor stack.
class ICursorChanger {
public:
    virtual ~ICursorChanger() = default;
};

// The program's stack of cursor requests: the newest entry decides the mouse cursor, and when the
// last entry goes the window under the pointer chooses its own cursor again. Used on the
// user-interface thread only.
class ICursor {
public:
    virtual ~ICursor() = default;
    // Shows kind at once and returns the key that removes the entry again; -1, and nothing
    // pushed, for a kind that does not exist.
    virtual int push(int kind, ICursorChanger* changer) = 0;
    // Removes the entry of key wherever it is in the stack; an unknown key changes nothing.
    virtual void pop(int key) = 0;
    // The kind of the newest entry, -1 while the stack is empty. A window asked for its cursor
    // shows this kind instead of its own while there is one.
    virtual int topKind() const = 0;
};

// The stack itself; a display supplies how a kind is shown and how the window under the pointer
// gets its own cursor back.
class ACursor : public ICursor {
public:
    int push(int kind, ICursorChanger* changer) override {
        if (!CursorKind::IsValid(kind)) {
            return -1;
        }
        const int key = nextKey_++;
        entries_.push_back({key, kind, changer});
        showKind(kind);
        return key;
    }

    void pop(int key) override {
        const auto entry = std::find_if(entries_.begin(), entries_.end(),
                                        [key](const Entry& e) { return e.key == key; });
        if (entry == entries_.end()) {
            return;
        }
        entries_.erase(entry);
        if (entries_.empty()) {
            restoreWindowCursor();
        } else {
            showKind(entries_.back().kind);
        }
    }

    int topKind() const override { return entries_.empty() ? -1 : entries_.back().kind; }
    std::size_t depth() const { return entries_.size(); }

protected:
    virtual void showKind(int kind) = 0;
    virtual void restoreWindowCursor() = 0;

private:
    struct Entry {
        int key;
        int kind;
        ICursorChanger* changer;
    };
    std::vector<Entry> entries_;
    int nextKey_ = 0;
};

// A cursor stack without a display, for the command-line tool and for tests: remembers what it
// would have shown.
class CSilentCursor : public ACursor {
public:
    int shownKind() const { return shownKind_; }
    int showCount() const { return showCount_; }
    int restoreCount() const { return restoreCount_; }

protected:
    void showKind(int kind) override {
        shownKind_ = kind;
        ++showCount_;
    }
    void restoreWindowCursor() override {
        shownKind_ = -1;
        ++restoreCount_;
    }

private:
    int shownKind_ = -1;
    int showCount_ = 0;
    int restoreCount_ = 0;
};

// The program's one cursor stack. A program with a display installs its own before the first
// command; otherwise the first use makes a silent one.
std::shared_ptr<ICursor> CursorStack();

// Replaces the program's cursor stack; wait cursors that exist keep the stack they pushed onto.
void InstallCursorStack(std::shared_ptr<ICursor> cursor);

// The wait cursor shows for exactly as long as this object lives.
class CWaitCursor : public ICursorChanger {
public:
    CWaitCursor() : CWaitCursor(CursorStack()) {}
    explicit CWaitCursor(std::shared_ptr<ICursor> cursor)
        : cursor_(std::move(cursor)), key_(cursor_->push(CursorKind::Wait, this)) {}
    ~CWaitCursor() override { cursor_->pop(key_); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    std::shared_ptr<ICursor> cursor_;
    int key_;
};

} // namespace UL
