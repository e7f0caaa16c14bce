// The sorted list (linear search below 128 items, halving from 128) and the key item lists.

#include "db/SortedList.h"
#include "db/KeyItems.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct Number
{
    int value;
};

int CompareNumbers(const Number *a, const Number *b)
{
    return a->value < b->value ? -1 : (a->value > b->value ? 1 : 0);
}

// A list of `count` items holding 10, 20, 30, ...
struct Filled
{
    explicit Filled(int count) : list(CompareNumbers)
    {
        for (int i = 1; i <= count; ++i) {
            items.push_back(std::make_unique<Number>(Number {10 * i}));
            list.Add(items.back().get());
        }
    }
    std::vector<std::unique_ptr<Number>> items;
    TSortedList<Number> list;
};

// A counting item: how many are alive.
int g_alive = 0;
struct Counted : TKeyItem
{
    explicit Counted(int32_t key) : TKeyItem(key) { ++g_alive; }
    ~Counted() override { --g_alive; }
};

} // namespace

TEST(SortedList, LinearAndHalvingSearchesAgreeAtTheBoundary)
{
    for (int count : {0, 1, 2, 127, 128, 129, 300}) {
        Filled filled(count);
        for (int key = 0; key <= 10 * count + 15; key += 5) {
            Number probe {key};
            int32_t position = -2;
            const bool found = filled.list.Find(&probe, position);
            EXPECT_EQ(found, key % 10 == 0 && key >= 10 && key <= 10 * count)
                << count << " " << key;
            // Found: its index; missing: the index of the last smaller item (-1 if none).
            const int32_t expected = found ? key / 10 - 1 : std::min(key / 10, count) - 1;
            EXPECT_EQ(position, expected) << count << " items, key " << key;
        }
    }
}

TEST(SortedList, EqualItemsFirstBelow128LastFrom128)
{
    for (int count : {127, 128}) {
        Filled filled(count - 3);
        std::vector<std::unique_ptr<Number>> more;
        filled.list.SetAllowDuplicates(true);
        for (int i = 0; i < 3; ++i) {
            more.push_back(std::make_unique<Number>(Number {500}));
            filled.list.Add(more.back().get());
        }
        ASSERT_EQ(filled.list.Count(), count);
        Number probe {500};
        int32_t position = -1;
        ASSERT_TRUE(filled.list.Find(&probe, position));
        EXPECT_EQ(filled.list.Items(position)->value, 500);
        const bool firstOfRun = filled.list.Items(position - 1)->value < 500;
        const bool lastOfRun =
            position + 1 == count || filled.list.Items(position + 1)->value > 500;
        EXPECT_TRUE(count < 128 ? firstOfRun : lastOfRun) << count;
        for (int32_t i = 1; i < filled.list.Count(); ++i) {
            EXPECT_LE(filled.list.Items(i - 1)->value, filled.list.Items(i)->value);
        }
    }
}

TEST(SortedList, AddKeepsOrderFromBothEndsAndLocateSetsCurrent)
{
    for (int count : {5, 200}) {
        Filled filled(count);
        Number low {1};
        Number high {100000};
        filled.list.Add(&low);
        filled.list.Add(&high);
        EXPECT_EQ(filled.list.Items(0)->value, 1);
        EXPECT_EQ(filled.list.Items(filled.list.Count() - 1)->value, 100000);
        EXPECT_EQ(filled.list.Current(), -1);
        Number probe {30};
        EXPECT_TRUE(filled.list.Locate(&probe));
        EXPECT_EQ(filled.list.CurrentItem()->value, 30);
        Number absent {35};
        EXPECT_FALSE(filled.list.Locate(&absent));
        EXPECT_EQ(filled.list.CurrentItem()->value, 30);
    }
}

TEST(SortedList, Messages)
{
    Filled filled(3);
    Number again {20};
    try {
        filled.list.Add(&again);
        FAIL() << "added";
    } catch (const ESortedListError &error) {
        EXPECT_STREQ(error.what(), "Inserting item that already exists in sorted list.");
    }
    TSortedList<Number> bare;
    int32_t position = 0;
    for (int op = 0; op < 3; ++op) {
        try {
            if (op == 0) {
                bare.Add(&again);
            } else if (op == 1) {
                bare.Find(&again, position);
            } else {
                bare.Locate(&again);
            }
            FAIL() << "no error";
        } catch (const ESortedListError &error) {
            EXPECT_STREQ(error.what(), "Compare function not assigned for sorted list.");
        }
    }
}

TEST(KeyItemsList, KeyOrderOwnershipAndRemoval)
{
    g_alive = 0;
    {
        TRiskList list;
        EXPECT_TRUE(list.OwnsItems());
        for (int32_t key : {30, -5, 10, 2000000000}) {
            list.Add(std::make_unique<Counted>(key));
        }
        EXPECT_EQ(g_alive, 4);
        EXPECT_EQ(list.Items(0)->Key, -5);
        EXPECT_EQ(list.Items(3)->Key, 2000000000);
        auto duplicate = std::make_unique<Counted>(10);
        EXPECT_THROW(list.Add(std::move(duplicate)), ESortedListError);
        EXPECT_EQ(g_alive, 4); // the refused item went with its owner
        list.Remove(10);
        EXPECT_EQ(g_alive, 3);
        EXPECT_EQ(list.Count(), 3);
        list.Remove(11);
        EXPECT_EQ(list.Count(), 3);
        EXPECT_EQ(list.Find(30)->Key, 30);
        EXPECT_EQ(list.Find(31), nullptr);
        list.Clear();
        EXPECT_EQ(g_alive, 0);
        list.Add(std::make_unique<Counted>(1));
    }
    EXPECT_EQ(g_alive, 0);

    Counted kept(7);
    {
        TLocationList list;
        list.SetOwnsItems(false);
        list.Add(&kept);
        list.Remove(7);
        EXPECT_EQ(list.Count(), 0);
        list.Add(&kept);
    }
    EXPECT_EQ(g_alive, 1);
}
