#include "bench/Verify.h"

#include "app/VeskJob.h"
#include "bench/Harness.h"
#include "bench/Jobs.h"
#include "bench/Reference.h"
#include "engine/Attachments.h"
#include "engine/FileIo.h"
#include "engine/HeaderAnalysis.h"
#include "engine/StripHeaders.h"
#include "engine/VeskFile.h"
#include "engine/VeskRun.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane::bench {

namespace {

std::string Visible(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

// Empty when equal, else where the texts part.
std::string Difference(const std::string& a, const std::string& b)
{
    if (a == b)
        return {};
    const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    const std::size_t at = static_cast<std::size_t>(mismatch.first - a.begin());
    const std::size_t from = at > 60 ? at - 60 : 0;
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
           ", first difference at byte " + std::to_string(at) + ": \"" +
           Visible(std::string_view(a).substr(from, 120)) + "\" vs \"" +
           Visible(std::string_view(b).substr(from, 120)) + "\"";
}

std::string CountText(int attachmentLines, int headerLines)
{
    return std::to_string(attachmentLines) + "/" + std::to_string(headerLines);
}

// The options of a verified run: backup always on, so backups are compared too.
VeskOptions OptionsFor(const VeskConfig& config)
{
    unsigned flags = OptionBit(Option::BackUp);
    if (config.removeAttachments)
        flags |= OptionBit(Option::RemoveAttachments);
    if (config.removeTraces)
        flags |= OptionBit(Option::RemoveTraces);
    if (config.allText)
        flags |= OptionBit(Option::AllText);
    return VeskOptionsFrom(static_cast<std::uint8_t>(flags));
}

}  // namespace

const VeskConfig kVerifyConfigs[3] = {
    {"attachments and traces, all text", true, true, true},
    {"attachments without traces, first header block", true, false, false},
    {"attachments kept, all text", false, false, true},
};

std::string CompareWithReference(const std::string& text, const std::string& workFile,
                                 const VeskConfig& config)
{
    WriteWholeFile(workFile, text);
    const KeyList keys = BenchKeyList();
    KeyList engineKeys = keys;
    const VeskOptions options = OptionsFor(config);
    VeskRun run({workFile});
    const std::string backupName = run.BackupName(workFile);
    std::remove(backupName.c_str());
    const VeskCounts counts = VeskFile(workFile, engineKeys, options, run);

    Lines lines = SplitLines(text);
    std::string expected = text;
    std::string expectedBackup;
    int refRemoved = 0;
    int refStripped = 0;
    if (lines.size() >= 2) {
        if (config.removeAttachments)
            refRemoved = ReferenceRemoveAttachments(lines, config.removeTraces);
        refStripped = ReferenceStripHeaders(lines, keys, config.allText);
        expected = JoinLines(lines);
    }
    // The backup is an exact copy of the file, taken only when it changes.
    if (expected != text)
        expectedBackup = text;
    std::string findings;
    if (auto d = Difference(ReadWholeFile(workFile), expected); !d.empty())
        findings += "mail file: " + d + "; ";
    if (counts.attachmentLines != refRemoved || counts.headerLines != refStripped)
        findings += "counts " + CountText(counts.attachmentLines, counts.headerLines) + ", reference " +
                    CountText(refRemoved, refStripped) + "; ";
    struct stat st {};
    const bool backupExists = ::stat(backupName.c_str(), &st) == 0;
    if (expectedBackup.empty() && backupExists)
        findings += "a backup of a file that does not change; ";
    if (!expectedBackup.empty()) {
        if (!backupExists)
            findings += "no backup; ";
        else if (auto d = Difference(ReadWholeFile(backupName), expectedBackup); !d.empty())
            findings += "backup: " + d + "; ";
    }
    return findings;
}

std::vector<std::string> VerifyEngine(const std::string& mbox, const std::vector<std::string>& emlFiles,
                                      const std::string& workFolder)
{
    std::vector<std::string> findings;
    const KeyList keys = BenchKeyList();
    const std::string original = ReadWholeFile(mbox);
    const std::string single = workFolder + "/verify-single.mbox";
    const std::string twoStep = workFolder + "/verify-two-step.mbox";

    for (const auto& config : kVerifyConfigs) {
        const std::string where = std::string("Vesk (") + config.name + "): ";
        CopyFileFlushed(mbox, single);
        CopyFileFlushed(mbox, twoStep);

        KeyList singleKeys = keys;
        const VeskOptions options = OptionsFor(config);
        VeskRun run({single});
        const VeskCounts counts = VeskFile(single, singleKeys, options, run);

        KeyList twoStepKeys = keys;
        const int removed =
            RemoveAttachments(twoStep, false, config.removeAttachments, config.removeTraces);
        const int stripped = StripHeaders(twoStep, twoStepKeys, config.allText, false).removed;

        Lines lines = SplitLines(original);
        const int refRemoved =
            config.removeAttachments ? ReferenceRemoveAttachments(lines, config.removeTraces) : 0;
        const int refStripped = ReferenceStripHeaders(lines, keys, config.allText);
        const std::string reference = JoinLines(lines);

        const std::string singleText = ReadWholeFile(single);
        if (auto d = Difference(singleText, ReadWholeFile(twoStep)); !d.empty())
            findings.push_back(where + "single pass and two steps differ: " + d);
        if (auto d = Difference(singleText, reference); !d.empty())
            findings.push_back(where + "single pass and reference differ: " + d);
        if (counts.attachmentLines != removed || counts.headerLines != stripped)
            findings.push_back(where + "counts " + CountText(counts.attachmentLines, counts.headerLines) +
                               " in one pass, " + CountText(removed, stripped) + " in two");
        if (counts.attachmentLines != refRemoved || counts.headerLines != refStripped)
            findings.push_back(where + "counts " + CountText(counts.attachmentLines, counts.headerLines) +
                               ", reference " + CountText(refRemoved, refStripped));
        const std::string backupName = workFolder + "/verify-single.bak";
        if (auto d = Difference(ReadWholeFile(backupName), original); !d.empty())
            findings.push_back(where + "backup is not an exact copy of the mail: " + d);
        ::unlink(backupName.c_str());
    }

    // The later rules have no plain reference: there the single pass must
    // leave what the two steps leave.
    struct RuleConfig {
        const char* name;
        VeskOptions options;
    };
    const RuleConfig ruleConfigs[] = {
        {"every message, any case, signed mail kept, line ends kept",
         {.backup = true, .removeAttachments = true, .removeTraces = true, .scope = HeaderScope::kMessages,
          .anyCase = true, .protectSigned = true, .keepLineEnds = true}},
        {"all text, any case, signed mail kept",
         {.backup = true, .removeAttachments = true, .scope = HeaderScope::kAll, .anyCase = true,
          .protectSigned = true}},
    };
    for (const auto& config : ruleConfigs) {
        const std::string where = std::string("Vesk (") + config.name + "): ";
        const VeskOptions& options = config.options;
        CopyFileFlushed(mbox, single);
        CopyFileFlushed(mbox, twoStep);
        KeyList singleKeys = keys;
        VeskRun run({single});
        const VeskCounts counts = VeskFile(single, singleKeys, options, run);

        KeyList twoStepKeys = keys;
        const RemovalResult removed =
            RemoveAttachments(twoStep, false, options.removeAttachments, RemovalOptionsOf(options));
        const StripResult stripped = StripHeaders(twoStep, twoStepKeys, StripOptionsOf(options));

        if (auto d = Difference(ReadWholeFile(single), ReadWholeFile(twoStep)); !d.empty())
            findings.push_back(where + "single pass and two steps differ: " + d);
        if (counts.attachmentLines != removed.removed || counts.headerLines != stripped.removed)
            findings.push_back(where + "counts " + CountText(counts.attachmentLines, counts.headerLines) +
                               " in one pass, " + CountText(removed.removed, stripped.removed) + " in two");
        const std::string backupName = workFolder + "/verify-single.bak";
        if (counts.outcome == VeskOutcome::kProcessed) {
            if (auto d = Difference(ReadWholeFile(backupName), original); !d.empty())
                findings.push_back(where + "backup is not an exact copy of the mail: " + d);
        }
        ::unlink(backupName.c_str());
    }

    std::vector<std::string> texts;
    for (const auto& file : emlFiles)
        texts.push_back(ReadWholeFile(file));
    std::vector<std::string> shown;
    for (const auto& entry : AnalyzeFiles(emlFiles, keys, false))
        shown.push_back(entry.key + "=" + entry.count);
    const std::vector<std::string> expected = ReferenceKeyTally(texts);
    if (shown != expected) {
        std::string text = "Analyze: tally differs from the reference:";
        for (std::size_t i = 0; i < std::max(shown.size(), expected.size()); ++i) {
            const std::string a = i < shown.size() ? shown[i] : "-";
            const std::string b = i < expected.size() ? expected[i] : "-";
            if (a != b)
                text += " [" + a + " vs " + b + "]";
        }
        findings.push_back(text);
    }
    return findings;
}

}  // namespace norvane::bench
