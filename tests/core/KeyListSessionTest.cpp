#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/VeskFile.h"
#include "settings/IniFile.h"
#include "settings/KeyListStorage.h"
#include "TestFiles.h"

#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace norvane::test {

namespace fs = std::filesystem;

namespace {

KeyList StoredList(const std::string& path)
{
    KeyList list;
    LoadKeyList(path, list);
    return list;
}

std::string CreateError(const std::string& path)
{
    return FormatMessage(kMsgCannotCreate, path);
}

}  // namespace

TEST(MergeKeyLists, AppliesTheSaversChangesToTheStoredList)
{
    struct Case {
        const char* name;
        KeyList base;
        KeyList mine;
        KeyList stored;
        KeyList expected;
    } cases[] = {
        {"untouched keys keep their stored form; others' keys stay",
         {"A", ";B"}, {"A", ";B"}, {";A", "B", "C"}, {";A", "B", "C"}},
        {"adds on both sides: stored order, mine after",
         {"A"}, {"A", ";X-Mine", "X-Tick"}, {"A", "X-Theirs"}, {"A", "X-Theirs", ";X-Mine", "X-Tick"}},
        {"same key added on both sides in other case: one entry, stored place and case, mine's tick",
         {"A"}, {"A", ";x-new"}, {"X-New", "A"}, {";X-New", "A"}},
        {"same key added on both sides, ticked here", {}, {"X-Both"}, {";x-both"}, {"x-both"}},
        {"deleted here, ticked there: deletion wins", {";A", "B"}, {"B"}, {"A", "B"}, {"B"}},
        {"deleted here, unticked there: deletion wins", {"A", "B"}, {"B"}, {";A", "B"}, {"B"}},
        {"deleted here and there", {"A", "B"}, {"B"}, {"B"}, {"B"}},
        {"ticked here, unticked there: mine wins", {";A"}, {"A"}, {";A"}, {"A"}},
        {"unticked here, ticked there: mine wins; their tick of another key stays",
         {"A", ";B"}, {";A", ";B"}, {"A", "B"}, {";A", "B"}},
        {"ticked here, deleted there: stays deleted", {";A", "B"}, {"A", "B"}, {"B"}, {"B"}},
        {"empty stored list: only my additions", {"A", ";B"}, {"A", ";B", ";C"}, {}, {";C"}},
        {"empty base: all of mine appended", {}, {"A", ";B"}, {"C"}, {"C", "A", ";B"}},
        {"additions keep mine's order", {}, {";Z", ";A", "M"}, {}, {";Z", ";A", "M"}},
        {"a changed key stored twice becomes one entry", {";A"}, {"A"}, {";A", "a", "B"}, {"A", "B"}},
        {"an untouched key stored twice stays twice", {}, {}, {"A", ";a"}, {"A", ";a"}},
        {"a key in other case in mine is the same key", {"x-a"}, {"X-A"}, {"x-a", "Y"}, {"x-a", "Y"}},
        {"nothing anywhere", {}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MergeKeyLists(c.base, c.mine, c.stored), c.expected);
    }
}

TEST(KeyListSession, SaveMergesIntoTheStoredListAndKeepsTheRestOfTheFile)
{
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(eol == "\r\n" ? "CR LF" : eol == "\n" ? "LF" : "CR");
        TempDir dir;
        const auto path = dir.File("n.ini");
        WriteFile(path, "[norvane]" + eol + "Path=/x/" + eol + "[Dat]" + eol + "Dat1=Received" + eol +
                            "Dat2=;Subject" + eol + "Dat3=X-Old" + eol);
        KeyListSession session(path);
        KeyList mine;
        EXPECT_EQ(session.Load(mine), 3);
        EXPECT_EQ(session.Base(), mine);

        // Another saver meanwhile: ticks Subject, adds X-Theirs and a section.
        WriteFile(path, "[norvane]" + eol + "Path=/x/" + eol + "[Dat]" + eol + "Dat1=Received" + eol +
                            "Dat2=Subject" + eol + "Dat3=X-Old" + eol + "Dat4=;X-Theirs" + eol + "[Other]" +
                            eol + "a=1" + eol);
        mine.Delete("X-Old");
        mine.Untick("Received");
        mine.RegisterUnticked("X-Mine");
        EXPECT_EQ(session.Save(mine), 4);
        EXPECT_EQ(ReadFile(path), "[norvane]" + eol + "Path=/x/" + eol + "[Other]" + eol + "a=1" + eol + "[Dat]" +
                                      eol + "Dat1=;Received" + eol + "Dat2=Subject" + eol + "Dat3=;X-Theirs" + eol +
                                      "Dat4=;X-Mine" + eol);
        EXPECT_EQ(session.Base(), mine);
    }
}

TEST(KeyListSession, LaterSavesApplyOnlyLaterChanges)
{
    TempDir dir;
    const auto path = dir.File("n.ini");
    WriteFile(path, "[Dat]\nDat1=A\nDat2=B\n");
    KeyListSession session(path);
    KeyList mine;
    session.Load(mine);
    WriteFile(path, "[Dat]\nDat1=A\nDat2=B\nDat3=X-Theirs\n");
    mine.RegisterUnticked("X-Run");
    session.Save(mine);
    EXPECT_EQ(StoredList(path), (KeyList{"A", "B", "X-Theirs", ";X-Run"}));
    // Another saver deletes B, which this saver never touched: it is not
    // brought back, and X-Theirs, which this list never held, is no deletion
    // of this saver's. The key this saver stored is its own to delete.
    WriteFile(path, "[Dat]\nDat1=A\nDat2=X-Theirs\nDat3=;X-Run\n");
    mine.Delete("X-Run");
    session.Save(mine);
    EXPECT_EQ(StoredList(path), (KeyList{"A", "X-Theirs"}));
}

TEST(KeyListSession, WhatAMissingFileOrSectionMeans)
{
    struct Case {
        const char* name;
        bool removeFile;
        std::string storedNow;  // the file's text at the save, when not removed
        KeyList expected;
    } cases[] = {
        // No saver removes the file: the list is written as it stands.
        {"settings file missing", true, "", {"A", ";B", ";X-New"}},
        // An empty list is stored as no section: another saver deleted all.
        {"section missing", false, "[norvane]\nPath=\n", {";X-New"}},
        {"section empty", false, "[Dat]\n[norvane]\nPath=\n", {";X-New"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto path = dir.File("n.ini");
        WriteFile(path, "[Dat]\nDat1=A\nDat2=;B\n");
        KeyListSession session(path);
        KeyList mine;
        session.Load(mine);
        mine.RegisterUnticked("X-New");
        if (c.removeFile)
            fs::remove(path);
        else
            WriteFile(path, c.storedNow);
        session.Save(mine);
        EXPECT_EQ(StoredList(path), c.expected);
    }
}

TEST(KeyListSession, SortedSaveSortsTheMergedList)
{
    TempDir dir;
    const auto path = dir.File("n.ini");
    WriteFile(path, "[Dat]\nDat1=Zeta\nDat2=;Beta\n");
    KeyListSession session(path);
    KeyList mine;
    session.Load(mine);
    WriteFile(path, "[Dat]\nDat1=Zeta\nDat2=;Beta\nDat3=alpha\n");
    mine.RegisterTicked("Mu");
    session.Save(mine, KeyOrder::Sorted);
    EXPECT_EQ(ReadFile(path), "[Dat]\nDat1=;Beta\nDat2=alpha\nDat3=Mu\nDat4=Zeta\n");
}

TEST(KeyListSession, AFailedSaveRaisesTheCreateErrorNamingTheSettingsFile)
{
    struct Case {
        const char* name;
        std::string file;  // the settings file, relative to the folder
        void (*prepare)(const TempDir& dir, const std::string& path);
    } cases[] = {
        {"the rename fails", "n.ini",
         [](const TempDir&, const std::string&) {
             TestSeam().failBeforeRename = [](const std::string&) { return true; };
         }},
        {"its folder is missing", "none/n.ini", [](const TempDir&, const std::string&) {}},
        {"it is a folder", "n.ini",
         [](const TempDir&, const std::string& path) {
             fs::remove(path);
             fs::create_directory(path);
         }},
        {"it is too large to read", "n.ini",
         [](const TempDir&, const std::string& path) { fs::resize_file(path, kSettingsFileLimit + 1); }},
        {"its lock file is a folder", "n.ini",
         [](const TempDir&, const std::string& path) { fs::create_directory(path + ".lock"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SeamGuard guard;
        TempDir dir;
        const auto path = dir.File(c.file);
        WriteFile(path, "[Dat]\nDat1=A\n");
        KeyListSession session(path);
        KeyList mine;
        session.Load(mine);
        c.prepare(dir, path);
        std::string before;
        if (fs::is_regular_file(path))
            before = ReadFile(path);
        mine.RegisterTicked("X-New");
        EXPECT_EQ(ErrorText([&] { session.Save(mine); }), CreateError(path));
        if (fs::is_regular_file(path)) {
            EXPECT_EQ(ReadFile(path), before);
        }
        EXPECT_NE(session.Base(), mine);
    }
}

// Two processes load the same settings file, each registers its own keys by
// Vesk's auto-registration (one also deletes a key, the other ticks one), and
// both save at the same moment: every key of both is kept.
TEST(KeyListSession, ConcurrentSavesKeepEveryKey)
{
    constexpr int kTrials = 20;
    constexpr int kKeysEach = 30;
    TempDir dir;
    const auto path = dir.File("n.ini");
    const auto mailA = dir.File("a.eml");
    const auto mailB = dir.File("b.eml");
    std::string headersA;
    std::string headersB;
    for (int i = 0; i < kKeysEach; ++i) {
        headersA += "X-A-" + std::to_string(i) + ": a\r\n";
        headersB += "X-B-" + std::to_string(i) + ": b\r\n";
    }
    for (int trial = 0; trial < kTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        WriteFile(path, "[norvane]\r\nPath=\r\n[Dat]\r\nDat1=Received\r\nDat2=;Subject\r\nDat3=X-Gone\r\n");
        WriteFile(mailA, headersA + "Subject: a\r\n\r\nbody\r\n");
        WriteFile(mailB, headersB + "Subject: b\r\n\r\nbody\r\n");
        int ready[2];
        int go[2];
        ASSERT_EQ(::pipe(ready), 0);
        ASSERT_EQ(::pipe(go), 0);
        pid_t children[2];
        for (int who = 0; who < 2; ++who) {
            children[who] = ::fork();
            ASSERT_GE(children[who], 0);
            if (children[who] != 0)
                continue;
            ::alarm(20);
            ::close(ready[0]);
            ::close(go[1]);
            int status = 1;
            try {
                KeyList keys;
                KeyListSession session(path);
                session.Load(keys);
                const auto& mail = who == 0 ? mailA : mailB;
                VeskRun run({mail});
                VeskOptions options;
                options.autoRegister = true;
                VeskFile(mail, keys, options, run);
                if (who == 0)
                    keys.Delete("X-Gone");
                else
                    keys.Tick("Subject");
                char byte = 'r';
                char start = 0;
                if (::write(ready[1], &byte, 1) == 1 && ::read(go[0], &start, 1) == 1) {
                    session.Save(keys);
                    status = 0;
                }
            } catch (...) {
            }
            ::_exit(status);
        }
        ::close(ready[1]);
        ::close(go[0]);
        char byte = 0;
        for (int who = 0; who < 2; ++who)
            ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        const char start[2] = {'g', 'g'};
        ASSERT_EQ(::write(go[1], start, 2), 2);
        ::close(go[1]);
        ::close(ready[0]);
        for (const pid_t child : children) {
            int status = -1;
            ::waitpid(child, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        const auto stored = StoredList(path);
        EXPECT_EQ(stored.Count(), 2u + 2 * kKeysEach);
        std::string missing;
        for (int i = 0; i < kKeysEach; ++i)
            for (const char* prefix : {"X-A-", "X-B-"})
                if (!stored.Contains(prefix + std::to_string(i)))
                    missing += prefix + std::to_string(i) + " ";
        EXPECT_EQ(missing, "");
        EXPECT_TRUE(stored.IsTicked("Received"));
        EXPECT_TRUE(stored.IsTicked("Subject"));
        EXPECT_FALSE(stored.Contains("X-Gone"));
        EXPECT_EQ(ReadFile(path).rfind("[norvane]\r\nPath=\r\n[Dat]\r\nDat1=Received\r\nDat2=Subject\r\n", 0), 0u);
    }
}

}  // namespace norvane::test
