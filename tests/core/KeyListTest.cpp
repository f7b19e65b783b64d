#include "engine/KeyList.h"

#include <gtest/gtest.h>

namespace norvane {

namespace {

const KeyList kList = {"From", ";Received", "subject", "Subject", "X-Spam", ";x-spam", ";;Odd"};

// The first entry equal to the key, else the first equal to ';' and the key.
int LinearFind(const KeyList& list, std::string_view key)
{
    const auto& entries = list.StoredEntries();
    for (const std::string& form : {std::string(key), ";" + std::string(key)})
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (EqualsAsciiNoCase(entries[i], form))
                return static_cast<int>(i);
    return -1;
}

}  // namespace

TEST(KeyListFind, EitherFormWithoutRegardToCaseTickedFirst)
{
    struct Case {
        const char* key;
        int index;
        bool ticked;
    } cases[] = {
        {"SUBJECT", 2, true},  {"From", 0, true},     {"received", 1, false}, {"X-SPAM", 4, true},
        {";Odd", 6, false},    {"X-Spa", -1, false},  {"X-Spams", -1, false}, {"Odd", -1, false},
        {"", -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(kList.Find(c.key), c.index);
        EXPECT_EQ(kList.Contains(c.key), c.index >= 0);
        EXPECT_EQ(kList.IsTicked(c.key), c.ticked);
    }
    EXPECT_EQ(KeyList{}.Find("Subject"), -1);
    EXPECT_EQ((KeyList{"a", ""}).Find(""), 1);
}

TEST(KeyListChange, ActsOnTheEntryFindGivesInPlace)
{
    using Change = bool (KeyList::*)(std::string_view);
    struct Case {
        const char* name;
        Change change;
        const char* key;
        bool changed;
        KeyList after;
    } cases[] = {
        {"untick keeps case", &KeyList::Untick, "SUBJECT", true,
         {"From", ";Received", ";subject", "Subject", "X-Spam", ";x-spam", ";;Odd"}},
        {"untick a kept key", &KeyList::Untick, "Received", false, kList},
        {"tick keeps case", &KeyList::Tick, "RECEIVED", true,
         {"From", "Received", "subject", "Subject", "X-Spam", ";x-spam", ";;Odd"}},
        {"tick the kept twin", &KeyList::Tick, "x-spam", true,
         {"From", ";Received", "subject", "Subject", "X-Spam", "x-spam", ";;Odd"}},
        {"tick what is not held", &KeyList::Tick, "Date", false, kList},
        {"delete the ticked form first", &KeyList::Delete, "x-spam", true,
         {"From", ";Received", "subject", "Subject", ";x-spam", ";;Odd"}},
        {"delete a kept key", &KeyList::Delete, "received", true,
         {"From", "subject", "Subject", "X-Spam", ";x-spam", ";;Odd"}},
        {"delete what is not held", &KeyList::Delete, "Date", false, kList},
        {"register a held key", &KeyList::RegisterTicked, "FROM", false, kList},
        {"register a kept key", &KeyList::RegisterTicked, "Received", false, kList},
        {"register the prefix", &KeyList::RegisterTicked, ";Date", false, kList},
        {"register a line break", &KeyList::RegisterUnticked, "Da\nte", false, kList},
        {"register empty", &KeyList::RegisterUnticked, "", false, kList},
        {"register ticked", &KeyList::RegisterTicked, "Date", true,
         {"From", ";Received", "subject", "Subject", "X-Spam", ";x-spam", ";;Odd", "Date"}},
        {"register unticked", &KeyList::RegisterUnticked, "Date", true,
         {"From", ";Received", "subject", "Subject", "X-Spam", ";x-spam", ";;Odd", ";Date"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        KeyList list = kList;
        EXPECT_EQ((list.*c.change)(c.key), c.changed);
        EXPECT_EQ(list, c.after);
        // The index follows the change.
        for (const KeyList::Item item : list)
            EXPECT_EQ(list.Find(item.key), LinearFind(list, item.key)) << item.key;
    }
}

TEST(KeyList, ItemsShowTheKeyWithoutThePrefix)
{
    std::vector<std::pair<std::string, bool>> items;
    for (const KeyList::Item item : KeyList{"From", ";Received", ";;Odd", ""})
        items.emplace_back(item.key, item.ticked);
    EXPECT_EQ(items, (std::vector<std::pair<std::string, bool>>{
                         {"From", true}, {"Received", false}, {";Odd", false}, {"", true}}));
}

TEST(KeyList, SortForSavingFoldsCaseKeepsTiesAndPutsKeptKeysFirst)
{
    KeyList list = {"X-Mailer", "received", "Apple", ";date", "Received", "_x", "1st"};
    list.SortForSaving();
    // '_' comes before the letters, which are compared as lower case.
    EXPECT_EQ(list, (KeyList{"1st", ";date", "_x", "Apple", "received", "Received", "X-Mailer"}));
    EXPECT_TRUE(list.Untick("RECEIVED"));
    EXPECT_EQ(list.StoredEntries()[4], ";received");
}

TEST(KeyList, ManyKeysAreFoundThroughTheIndex)
{
    KeyList list;
    for (int i = 0; i < 50000; ++i)
        list.AppendStored((i % 2 ? ";X-Key-" : "X-Key-") + std::to_string(i));
    for (int i = 0; i < 50000; i += 997) {
        const std::string key = "x-key-" + std::to_string(i);
        EXPECT_EQ(list.Find(key), i);
        EXPECT_EQ(list.IsTicked(key), i % 2 == 0);
    }
    EXPECT_FALSE(list.RegisterUnticked("X-KEY-7"));
    EXPECT_EQ(list.Count(), 50000u);
}

}  // namespace norvane
