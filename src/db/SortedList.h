#pragma once

// A list of item pointers kept in the order of a compare function. Small lists are searched
// from the front, large ones by halving.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

class ESortedListError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

template<typename T>
class TSortedList
{
public:
    // Negative, zero or positive as the first item sorts before, with or after the second.
    using TCompare = std::function<int(const T *, const T *)>;

    // Lists of this many items and more are searched by halving.
    static constexpr int32_t kBinarySearchFrom = 128;

    explicit TSortedList(TCompare compare = {}) : m_compare(std::move(compare)) { }
    virtual ~TSortedList() = default;
    TSortedList(const TSortedList &) = delete;
    TSortedList &operator=(const TSortedList &) = delete;

    const TCompare &Compare() const { return m_compare; }
    void SetCompare(TCompare compare) { m_compare = std::move(compare); }
    bool AllowDuplicates() const { return m_allowDuplicates; }
    void SetAllowDuplicates(bool allow) { m_allowDuplicates = allow; }

    // Inserts the item after the position Find gives; returns where it went. Raises
    // ESortedListError for an item already present when duplicates are not allowed.
    virtual int32_t Add(T *item)
    {
        int32_t position = -1;
        if (Find(item, position) && !m_allowDuplicates) {
            throw ESortedListError("Inserting item that already exists in sorted list.");
        }
        m_items.insert(m_items.begin() + (position + 1), item);
        return position + 1;
    }

    // Whether an equal item is there. `position` is its index when found (with equal items:
    // the first below 128 items, the last from 128 on), otherwise the index of the last item
    // below it (-1 when there is none).
    bool Find(const T *item, int32_t &position) const
    {
        RequireCompare();
        const auto count = static_cast<int32_t>(m_items.size());
        if (count < kBinarySearchFrom) {
            position = -1;
            for (int32_t i = 0; i < count; ++i) {
                const int order = m_compare(At(i), item);
                if (order == 0) {
                    position = i;
                    return true;
                }
                if (order > 0) {
                    return false;
                }
                position = i;
            }
            return false;
        }
        int32_t lo = 0;
        int32_t hi = count - 1;
        while (lo < hi) {
            const int32_t mid = (lo + hi + 1) / 2;
            if (m_compare(item, At(mid)) < 0) {
                hi = mid - 1;
            } else {
                lo = mid;
            }
        }
        // The halving never moves below the first item: one above the key means none is.
        if (m_compare(item, At(hi)) < 0) {
            position = hi - 1;
            return false;
        }
        position = hi;
        return m_compare(item, At(hi)) == 0;
    }

    // Find; when found, the item becomes the current one.
    bool Locate(const T *item)
    {
        int32_t position = -1;
        if (!Find(item, position)) {
            return false;
        }
        m_current = position;
        return true;
    }

    // The position of the last located item, -1 before any.
    int32_t Current() const { return m_current; }
    T *CurrentItem() const
    {
        return m_current >= 0 && m_current < Count() ? At(m_current) : nullptr;
    }

    int32_t Count() const { return static_cast<int32_t>(m_items.size()); }
    T *Items(int32_t index) const { return m_items.at(static_cast<size_t>(index)); }
    // Removes the entry at `index`; the list closes up.
    void Delete(int32_t index) { m_items.erase(m_items.begin() + index); }
    void Clear()
    {
        m_items.clear();
        m_current = -1;
    }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    void RequireCompare() const
    {
        if (!m_compare) {
            throw ESortedListError("Compare function not assigned for sorted list.");
        }
    }
    T *At(int32_t index) const { return m_items[static_cast<size_t>(index)]; }

    TCompare m_compare;
    std::vector<T *> m_items;
    int32_t m_current = -1;
    bool m_allowDuplicates = false;
};
