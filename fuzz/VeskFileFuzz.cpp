// The single pass over any mail text, for every removal setting with and
// without "all text": it leaves the file, the backup, both counts, the
// registered keys and the key list exactly as attachment removal followed
// by header stripping does.
//
// A second pass may change the file again, so it is not checked: the remover
// takes a line for a delimiter when the boundary stands in its first three
// bytes, and stripping may then remove that line (boundary "ceived" makes
// "Received: b" a delimiter that ends an attachment body early; once it is
// stripped, the next pass deletes the lines it had kept).
#include "engine/Attachments.h"
#include "engine/StripHeaders.h"
#include "engine/VeskFile.h"
#include "fuzz/FuzzSupport.h"

#include <unistd.h>

namespace {

enum class Removal { Off, Bodies, BodiesAndTraces };

// The backup's bytes, or a text no backup can hold when there is none.
std::string BackupOf(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0 ? norvane::fuzz::ReadFileBytes(path) : "(no backup)";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace norvane;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    static const std::string single = fuzz::ScratchPath("single/mail.eml");
    static const std::string singleBackup = fuzz::ScratchPath("single/mail.bak");
    static const std::string twoStep = fuzz::ScratchPath("two-step/mail.eml");
    static const std::string twoStepBackup = fuzz::ScratchPath("two-step/mail.bak");

    for (const Removal removal : {Removal::Off, Removal::Bodies, Removal::BodiesAndTraces}) {
        for (const bool allText : {false, true}) {
            VeskOptions options;
            options.backup = allText;
            options.removeAttachments = removal != Removal::Off;
            options.removeTraces = removal == Removal::BodiesAndTraces;
            options.allText = allText;
            options.autoRegister = true;
            for (const auto* path : {&single, &twoStep})
                fuzz::WriteFileBytes(*path, input);
            for (const auto* path : {&singleBackup, &twoStepBackup})
                ::unlink(path->c_str());

            KeyList singleKeys = fuzz::MailKeys();
            VeskRun run({single});
            const VeskCounts counts = VeskFile(single, singleKeys, options, run);

            KeyList twoStepKeys = fuzz::MailKeys();
            const int attachmentLines =
                RemoveAttachments(twoStep, options.backup, options.removeAttachments, options.removeTraces);
            const StripResult stripped = StripHeaders(twoStep, twoStepKeys, allText, options.autoRegister);

            FUZZ_REQUIRE_EQ(fuzz::ReadFileBytes(twoStep), fuzz::ReadFileBytes(single),
                            "the single pass leaves the file removal then stripping leaves");
            // A backup is an exact copy of the file as it was, taken only when
            // the file changed.
            const bool changed = fuzz::ReadFileBytes(single) != input;
            FUZZ_REQUIRE_EQ(options.backup && changed ? input : std::string("(no backup)"), BackupOf(singleBackup),
                            "the single pass backs up exactly a file it changes");
            FUZZ_REQUIRE_EQ(attachmentLines, counts.attachmentLines,
                            "the single pass counts the attachment lines removal deletes");
            FUZZ_REQUIRE_EQ(stripped.removed, counts.headerLines,
                            "the single pass counts the header lines stripping removes");
            FUZZ_REQUIRE_EQ(stripped.registeredKeys, counts.registeredKeys,
                            "the single pass registers the keys stripping registers");
            FUZZ_REQUIRE_EQ(twoStepKeys.StoredEntries(), singleKeys.StoredEntries(),
                            "the single pass leaves the key list stripping leaves");
        }
    }
    return 0;
}
