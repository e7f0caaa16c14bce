#include "db/KeyItems.h"

TKeyItemsList::TKeyItemsList()
    : m_items([](const TKeyItem *a, const TKeyItem *b) {
          return a->Key < b->Key ? -1 : (a->Key > b->Key ? 1 : 0);
      })
{ }

TKeyItemsList::~TKeyItemsList()
{
    Clear();
}

void TKeyItemsList::Free(TKeyItem *item) const
{
    if (m_ownsItems) {
        std::default_delete<TKeyItem>()(item);
    }
}

void TKeyItemsList::Add(TKeyItem *item)
{
    m_items.Add(item);
}

void TKeyItemsList::Remove(int32_t key)
{
    const TKeyItem probe(key);
    if (m_items.Locate(&probe)) {
        TKeyItem *item = m_items.CurrentItem();
        m_items.Delete(m_items.Current());
        Free(item);
    }
}

TKeyItem *TKeyItemsList::Find(int32_t key) const
{
    const TKeyItem probe(key);
    int32_t position = -1;
    return m_items.Find(&probe, position) ? m_items.Items(position) : nullptr;
}

void TKeyItemsList::Clear()
{
    for (TKeyItem *item : m_items) {
        Free(item);
    }
    m_items.Clear();
}
