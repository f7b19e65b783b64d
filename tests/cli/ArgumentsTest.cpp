#include "app/VeskJob.h"
#include "cli/Arguments.h"
#include "cli/Output.h"
#include "engine/VeskFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace norvane::cli {
namespace {

using namespace std::string_literals;

constexpr std::uint8_t kRemoval = OptionBit(Option::RemoveAttachments);
constexpr std::uint8_t kTraces = OptionBit(Option::RemoveTraces);

// The saving and note options a command line gives over stored ones.
std::string Shown(const ExtraOptions& extra)
{
    return std::string("save=") + (extra.saveAttachments ? "1" : "0") + " note=" + (extra.removalNote ? "1" : "0") +
           " folder=[" + extra.attachmentFolder + "]";
}

std::vector<std::string> Vesk(std::vector<std::string> flags)
{
    flags.insert(flags.begin(), "vesk");
    flags.push_back("a.eml");
    return flags;
}

TEST(ParseArguments, SavingAndNoteFlagsOverTheStoredOptions)
{
    ExtraOptions stored;
    stored.attachmentFolder = "/stored";
    struct Case {
        std::vector<std::string> flags;
        const char* expected;
        bool asks;
    } cases[] = {
        {{}, "save=0 note=1 folder=[/stored]", false},
        {{"--save-attachments"}, "save=1 note=1 folder=[/stored]", true},
        {{"--save-attachments=out"}, "save=1 note=1 folder=[out]", true},
        {{"--save-attachments=/abs/dir"}, "save=1 note=1 folder=[/abs/dir]", true},
        {{"--save-attachments="}, "save=1 note=1 folder=[]", true},
        {{"--save-attachments=a b=c;d"}, "save=1 note=1 folder=[a b=c;d]", true},
        {{"--save-attachments=\xE6\x97\xA5\xFF"}, "save=1 note=1 folder=[\xE6\x97\xA5\xFF]", true},
        {{"--save-attachments=x", "--save-attachments"}, "save=1 note=1 folder=[x]", true},
        {{"--save-attachments=x", "--save-attachments=y"}, "save=1 note=1 folder=[y]", true},
        {{"--save-attachments=x", "--no-save-attachments"}, "save=0 note=1 folder=[x]", false},
        {{"--no-save-attachments", "--save-attachments"}, "save=1 note=1 folder=[/stored]", true},
        {{"--no-removal-note"}, "save=0 note=0 folder=[/stored]", false},
        {{"--no-removal-note", "--removal-note"}, "save=0 note=1 folder=[/stored]", false},
        // After "--" it is a file name.
        {{"--", "--save-attachments=x"}, "save=0 note=1 folder=[/stored]", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.flags));
        const Arguments arguments = ParseArguments(Vesk(c.flags));
        EXPECT_EQ(Shown(ApplyExtraChanges(stored, arguments)), c.expected);
        EXPECT_EQ(AsksToSaveAttachments(arguments), c.asks);
    }
    // A stored "on" stays on without a flag, and the stored note "off" too.
    stored.saveAttachments = true;
    stored.removalNote = false;
    EXPECT_EQ(Shown(ApplyExtraChanges(stored, ParseArguments(Vesk({})))), "save=1 note=0 folder=[/stored]");
    EXPECT_FALSE(AsksToSaveAttachments(ParseArguments(Vesk({}))));
}

TEST(ParseArguments, MalformedSavingFlagsAreUsageErrors)
{
    const std::vector<std::string> cases[] = {
        {"--no-save-attachments=x"}, {"--save-attachment"},   {"--save-attachments-x"},
        {"--removal-note=1"},        {"--no-removal-note=0"}, {"--removal-notes"},
    };
    for (const auto& flags : cases) {
        SCOPED_TRACE(testing::PrintToString(flags));
        try {
            (void)ParseArguments(Vesk(flags));
            ADD_FAILURE() << "no usage error";
        } catch (const UsageError& error) {
            EXPECT_EQ(error.message, "unknown option '" + flags[0] + "'");
        }
    }
}

TEST(CheckOptionUse, SavingNeedsAttachmentRemovalInTheRun)
{
    struct Case {
        const char* name;
        std::uint8_t stored;
        std::vector<std::string> flags;
        bool usageError;
    } cases[] = {
        {"saving without removal", 0, {"--save-attachments"}, true},
        {"a folder without removal", 0x03, {"--save-attachments=out"}, true},
        {"removal on the command line", 0, {"--save-attachments", "--remove-attachments"}, false},
        {"removal flag before it", 0, {"--remove-attachments", "--save-attachments=d"}, false},
        {"removal stored", kRemoval, {"--save-attachments"}, false},
        {"removal stored, turned off", kRemoval, {"--save-attachments", "--no-remove-attachments"}, true},
        {"traces alone are no removal", kTraces, {"--save-attachments", "--remove-traces"}, true},
        {"saving turned off again", 0, {"--save-attachments", "--no-save-attachments"}, false},
        {"no saving flag", 0, {"--no-save-attachments", "--removal-note"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Arguments arguments = ParseArguments(Vesk(c.flags));
        const std::uint8_t flags = ApplyOptionChanges(c.stored, arguments);
        try {
            CheckOptionUse(flags, arguments);
            EXPECT_FALSE(c.usageError);
        } catch (const UsageError& error) {
            EXPECT_TRUE(c.usageError);
            EXPECT_EQ(error.message, "--save-attachments needs attachment removal (--remove-attachments)");
        }
    }
}

TEST(ApplyExtraOptions, TheToolsFlagsReachTheEngine)
{
    const Arguments arguments =
        ParseArguments(Vesk({"--remove-attachments", "--save-attachments=out/dir", "--no-removal-note"}));
    VeskOptions options = VeskOptionsFrom(ApplyOptionChanges(0, arguments));
    ApplyExtraOptions(ApplyExtraChanges(ExtraOptions{}, arguments), options);
    EXPECT_TRUE(options.removeAttachments);
    EXPECT_TRUE(options.saveAttachments);
    EXPECT_EQ(options.attachmentFolder, "out/dir");  // as given: the engine takes it from the current folder
    EXPECT_FALSE(options.removalNote);
}

TEST(SavedRecords, OneRecordPerSavedFileAfterTheFilesLine)
{
    struct Case {
        const char* name;
        std::vector<std::string> saved;
        std::string lines;
        std::string nulEnded;
    } cases[] = {
        {"nothing saved", {}, "", ""},
        {"two files in order",
         {"a.eml.attachments/report.pdf", "a.eml.attachments/report-2.pdf"},
         "saved\ta.eml.attachments/report.pdf\nsaved\ta.eml.attachments/report-2.pdf\n",
         "saved\ta.eml.attachments/report.pdf\0saved\ta.eml.attachments/report-2.pdf\0"s},
        {"control bytes escaped, others as they are",
         {"d/line\nfeed\ttab\\\x01\xE6\x97\xA5.txt"},
         "saved\td/line\\nfeed\\ttab\\\\\\x01\xE6\x97\xA5.txt\n",
         "saved\td/line\nfeed\ttab\\\x01\xE6\x97\xA5.txt\0"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SavedRecords(c.saved, RecordStyle{false}), c.lines);
        EXPECT_EQ(SavedRecords(c.saved, RecordStyle{true}), c.nulEnded);
    }
}

}  // namespace
}  // namespace norvane::cli
