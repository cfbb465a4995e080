#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace GT {

// An ordered set of weak references: it never keeps a member alive, skips members that have
// died and purges them when a member is added. The device's worker thread walks a set while
// the user-interface thread adds to it, so every access takes the set's lock; callbacks run on
// a snapshot, outside the lock, so that a callback may add to the set.
template <typename T>
class CSafeReferenceSet {
public:
    void Add(const std::shared_ptr<T>& member) {
        if (!member) {
            return;
        }
        std::lock_guard lock(mutex_);
        std::erase_if(members_, [](const std::weak_ptr<T>& entry) { return entry.expired(); });
        members_.insert(member);
    }

    void Remove(const std::shared_ptr<T>& member) {
        std::lock_guard lock(mutex_);
        members_.erase(member);
    }

    // The members still alive, in set order.
    std::vector<std::shared_ptr<T>> Alive() const {
        std::vector<std::shared_ptr<T>> alive;
        std::lock_guard lock(mutex_);
        alive.reserve(members_.size());
        for (const auto& entry : members_) {
            if (auto member = entry.lock()) {
                alive.push_back(std::move(member));
            }
        }
        return alive;
    }

    template <typename Function>
    void ForEach(Function&& function) const {
        for (const auto& member : Alive()) {
            function(*member);
        }
    }

    std::size_t Size() const { return Alive().size(); }

private:
    mutable std::mutex mutex_;
    std::set<std::weak_ptr<T>, std::owner_less<std::weak_ptr<T>>> members_;
};

} // namespace GT
