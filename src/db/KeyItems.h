#pragma once

// Items with an integer key (the customer and quote records derive from TKeyItem) and the
// list that keeps them in key order.

#include "db/SortedList.h"

#include <cstdint>
#include <memory>

class TKeyItem
{
public:
    TKeyItem() = default;
    explicit TKeyItem(int32_t key) : Key(key) { }
    virtual ~TKeyItem() = default;

    int32_t Key = 0;
};

// Items in ascending key order, each key once. While OwnsItems is on (it is at creation) the
// list frees its items when they are removed, when it is cleared and when it goes.
class TKeyItemsList
{
public:
    TKeyItemsList();
    virtual ~TKeyItemsList();
    TKeyItemsList(const TKeyItemsList &) = delete;
    TKeyItemsList &operator=(const TKeyItemsList &) = delete;

    bool OwnsItems() const { return m_ownsItems; }
    void SetOwnsItems(bool owns) { m_ownsItems = owns; }

    // Inserts in key order; an item whose key is present raises ESortedListError and stays the
    // caller's. An owning list takes the item over.
    virtual void Add(TKeyItem *item);
    // Removes (and, when owning, frees) the item with the key; an absent key does nothing.
    virtual void Remove(int32_t key);

    // Adds an item the list is to own; returns it.
    template<typename T>
    T &Add(std::unique_ptr<T> item)
    {
        Add(static_cast<TKeyItem *>(item.get()));
        return *item.release();
    }

    // The item with the key, or nullptr.
    TKeyItem *Find(int32_t key) const;
    // By position in key order, from 0.
    TKeyItem *Items(int32_t index) const { return m_items.Items(index); }
    int32_t Count() const { return m_items.Count(); }
    void Clear();
    const TSortedList<TKeyItem> &ItemList() const { return m_items; }

private:
    void Free(TKeyItem *item) const;

    TSortedList<TKeyItem> m_items;
    bool m_ownsItems = true;
};

class TRiskList : public TKeyItemsList
{ };

class TLocationList : public TKeyItemsList
{ };
