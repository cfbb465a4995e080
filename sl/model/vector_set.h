#pragma once

#include <algorithm>
#include <utility>
#include <vector>

namespace SL {

// A sorted vector without duplicates: the order is TLess, and an element equivalent to one
// already held is refused.
template <class T, class TLess>
class CVectorSet {
public:
    using const_iterator = typename std::vector<T>::const_iterator;

    // The element now at the place of value, and whether it is the new one.
    std::pair<T, bool> Insert(const T& value) {
        auto place = std::lower_bound(elements_.begin(), elements_.end(), value, TLess{});
        if (place != elements_.end() && !TLess{}(value, *place)) {
            return {*place, false};
        }
        return {*elements_.insert(place, value), true};
    }
    template <class TIterator>
    void Insert(TIterator first, TIterator last) {
        for (; first != last; ++first) {
            Insert(*first);
        }
    }

    const std::vector<T>& GetElements() const { return elements_; }
    std::size_t size() const { return elements_.size(); }
    bool empty() const { return elements_.empty(); }
    const_iterator begin() const { return elements_.begin(); }
    const_iterator end() const { return elements_.end(); }
    void clear() { elements_.clear(); }

private:
    std::vector<T> elements_;
};

} // namespace SL
