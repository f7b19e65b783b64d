#include "app/VeskJob.h"

#include "MailLines.h"
#include "settings/KeyListStorage.h"
#include "ShownBytes.h"
#include "TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace norvane::test {

namespace {

namespace fs = std::filesystem;

std::string Listed(const KeyList& keys)
{
    std::string text;
    for (const auto item : keys)
        text += (item.ticked ? "+" : "-") + std::string(item.key) + " ";
    return text;
}

const char* const kMails[][2] = {
    {"strip.eml",
     "Received: from a\n\tby b\nSubject: s\nX-Mailer: m\n\nbody\n\n\n"},
    {"attachment.eml",
     "Subject: a\nContent-Type: multipart/mixed; boundary=\"b\"\n\n--b\nContent-Type: text/plain;\n"
     "\tcharset=us-ascii\n\ntext\n--b\nContent-Type: application/octet-stream; name=\"x.bin\"\n"
     "Content-Transfer-Encoding: base64\nContent-Disposition: attachment; filename=\"x.bin\"\n\n"
     "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo=\nQUJD\n--b--\n"},
    {"new-key-1.eml", "X-New: 1\nReceived: r\nX-Other: o\n\nbody\n"},
    {"new-key-2.eml", "X-New: 2\nX-Third: t\n\nbody\n"},
    {"signed.eml",
     "Received: r\nContent-Type: multipart/signed; boundary=\"s\"; protocol=\"application/pgp-signature\"\n\n"
     "--s\nContent-Type: text/plain\n\nsigned text\n--s\nContent-Type: application/pgp-signature\n\nSIG\n--s--\n"},
    {"one-line.eml", "Received: r\n"},
    {"clean.eml", "Subject: s\n\nbody\n"},
};

struct OptionCase {
    const char* name;
    VeskOptions options;
};

std::vector<OptionCase> OptionCases()
{
    std::vector<OptionCase> cases;
    VeskOptions options;
    cases.push_back({"strip", options});
    options.backup = true;
    options.autoRegister = true;
    cases.push_back({"backup, auto-register", options});
    options.removeAttachments = true;
    options.protectSigned = true;
    cases.push_back({"attachments, signed kept", options});
    VeskOptions saving = options;
    saving.saveAttachments = true;
    saving.removalNote = true;
    cases.push_back({"attachments saved and noted", saving});
    options.removeTraces = true;
    options.keepLineEnds = true;
    options.protectSigned = false;
    cases.push_back({"traces, line ends kept", options});
    options.scope = HeaderScope::kMessages;
    options.allText = true;
    cases.push_back({"all text", options});
    return cases;
}

struct DryOutcome {
    VeskJobResult result;
    std::map<std::string, std::string> after;  // file name -> result bytes
};

TEST(DryRun, WritesNothingAndCountsWhatTheRealRunDoes)
{
    TempDir dir(true);
    const char* const ends[] = {"\r\n", "\n", "\r"};
    for (const auto& option : OptionCases()) {
        for (const char* end : ends) {
            SCOPED_TRACE(std::string(option.name) + " " + Shown(end));
            const fs::path dry = dir.Path() / "dry";
            const fs::path real = dir.Path() / "real";
            fs::remove_all(dry);
            fs::remove_all(real);
            fs::create_directories(dry / "mail");
            std::vector<std::string> names;
            for (const auto& mail : kMails) {
                names.push_back(mail[0]);
                WriteFile((dry / "mail" / mail[0]).string(), WithEnds(mail[1], end));
            }
            const std::string settings = (dry / "settings.ini").string();
            SaveKeyList(settings, KeyList{"Received", "X-Mailer", ";Subject", "X-Other"});
            fs::copy(dry, real, fs::copy_options::recursive);
            const auto files = [&](const fs::path& top) {
                std::vector<std::string> paths;
                for (const auto& name : names)
                    paths.push_back((top / "mail" / name).string());
                return paths;
            };

            const std::string mailBefore = FolderState(dry / "mail");
            const std::string topBefore = FolderState(dry);
            KeyList dryKeys;
            KeyListSession drySession(settings);
            drySession.Load(dryKeys);
            const KeyList keysBefore = dryKeys;
            DryOutcome dryRun;
            const auto keep = [&](const FileResult& file, const VeskPreview& preview) {
                dryRun.after[fs::path(file.path).filename().string()] = std::string(preview.After());
            };
            dryRun.result = DryRunVeskJob({files(dry), option.options, &drySession, 2}, dryKeys, nullptr, keep);
            EXPECT_EQ(FolderState(dry / "mail"), mailBefore);
            EXPECT_EQ(FolderState(dry), topBefore);
            EXPECT_EQ(Listed(dryKeys), Listed(keysBefore));

            KeyList realKeys;
            KeyListSession realSession((real / "settings.ini").string());
            realSession.Load(realKeys);
            const VeskJobResult realResult = RunVeskJob({files(real), option.options, &realSession, 1}, realKeys);

            ASSERT_EQ(dryRun.result.files.size(), realResult.files.size());
            EXPECT_EQ(dryRun.result.registeredKeys, realResult.registeredKeys);
            const auto& registered = realResult.registeredKeys;
            EXPECT_EQ(std::count(registered.begin(), registered.end(), "X-New"), option.options.autoRegister ? 1 : 0);
            EXPECT_FALSE(realResult.Failure());
            for (std::size_t i = 0; i < names.size(); ++i) {
                SCOPED_TRACE(names[i]);
                const FileResult& d = dryRun.result.files[i];
                const FileResult& r = realResult.files[i];
                EXPECT_EQ(d.outcome, r.outcome);
                EXPECT_EQ(d.attachmentLines, r.attachmentLines);
                EXPECT_EQ(d.headerLines, r.headerLines);
                EXPECT_EQ(d.bytesBefore, r.bytesBefore);
                EXPECT_EQ(d.bytesAfter, r.bytesAfter);
                EXPECT_EQ(d.registeredKeys, r.registeredKeys);
                EXPECT_EQ(d.protectedEntity, r.protectedEntity);
                std::vector<std::string> saved;
                for (const auto& path : d.saved)
                    saved.push_back((real / fs::relative(path, dry)).string());
                EXPECT_EQ(saved, r.saved);
                if (option.options.saveAttachments) {
                    EXPECT_EQ(r.saved.size(), names[i] == "attachment.eml" ? 1u : 0u);
                }
                const std::string written = ReadFile(r.path);
                EXPECT_EQ(Shown(dryRun.after[names[i]]), Shown(written));
                EXPECT_EQ(d.bytesAfter, written.size());
            }
        }
    }
}

TEST(DryRun, FailsWhereTheRealRunFailsAndLeavesNoLock)
{
    TempDir dir;
    const std::vector<std::string> files = {dir.File("a.eml"), dir.File("locked.eml"), dir.File("c.eml")};
    WriteFile(files[0], "Received: r\r\n\r\nbody\r\n");
    WriteFile(files[1], "Received: r\r\n\r\nbody\r\n");
    WriteFile(files[2], "Received: r\r\n\r\nbody\r\n");
    ::chmod(files[1].c_str(), 0444);  // no write bit: refused for every user
    const std::string before = FolderState(dir.Path());
    KeyList keys = {"Received"};
    const auto dry = DryRunVeskJob({files, {}, nullptr, 1}, keys);
    EXPECT_EQ(FolderState(dir.Path()), before);
    ASSERT_TRUE(dry.Failure());
    EXPECT_EQ(dry.Failure()->path, files[1]);
    EXPECT_EQ(dry.files[0].outcome, FileOutcome::Processed);
    EXPECT_EQ(dry.files[2].outcome, FileOutcome::Skipped);

    const auto real = RunVeskJob(VeskJob{files, {}, nullptr, 1}, keys);
    ASSERT_TRUE(real.Failure());
    EXPECT_EQ(real.Failure()->message, dry.Failure()->message);
    EXPECT_EQ(real.files[0].outcome, FileOutcome::Processed);
}

}  // namespace

}  // namespace norvane::test
