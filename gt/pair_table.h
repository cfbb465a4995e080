#pragma once

#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

namespace GT {

// A small ordered table of (key, value) pairs that never fails a lookup: a key or value that
// is not listed maps to the default pair, which is kept after the listed pairs. The order of the
// listed pairs is significant (the first match wins and walks follow it).
template <class K, class V>
class CPairTable {
public:
    using Pair = std::pair<K, V>;

    CPairTable(std::initializer_list<Pair> pairs, Pair defaultPair)
        : pairs_(pairs), legalCount_(pairs_.size()) {
        pairs_.push_back(std::move(defaultPair));
    }
    CPairTable(std::vector<Pair> pairs, Pair defaultPair)
        : pairs_(std::move(pairs)), legalCount_(pairs_.size()) {
        pairs_.push_back(std::move(defaultPair));
    }

    // The value of the first pair with this key, or the default value.
    const V& GetValue(const K& key) const {
        for (std::size_t i = 0; i < legalCount_; ++i) {
            if (pairs_[i].first == key) {
                return pairs_[i].second;
            }
        }
        return GetDefault().second;
    }

    // The key of the first pair with this value, or the default key.
    const K& GetKey(const V& value) const {
        for (std::size_t i = 0; i < legalCount_; ++i) {
            if (pairs_[i].second == value) {
                return pairs_[i].first;
            }
        }
        return GetDefault().first;
    }

    // The listed pairs, without the default pair.
    std::size_t GetSize() const { return legalCount_; }
    const Pair& GetPair(std::size_t index) const { return pairs_[index]; }
    const Pair& GetDefault() const { return pairs_.back(); }

    typename std::vector<Pair>::const_iterator begin() const { return pairs_.begin(); }
    typename std::vector<Pair>::const_iterator end() const {
        return pairs_.begin() + static_cast<std::ptrdiff_t>(legalCount_);
    }

private:
    std::vector<Pair> pairs_;
    std::size_t legalCount_;
};

} // namespace GT
