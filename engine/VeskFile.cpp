#include "engine/VeskFile.h"

#include "engine/Attachments.h"
#include "engine/FileIo.h"
#include "engine/MailFile.h"
#include "engine/MailOutput.h"
#include "engine/StripHeaders.h"

#include <optional>

namespace norvane {

namespace {

struct PassSetup {
    bool backup = false;
    bool removeBodies = false;
    bool removeTraces = false;
    bool strip = false;  // strip headers and tidy after the removal
    bool allText = false;
    bool autoRegister = false;
    KeyList* keyList = nullptr;
};

// The one pass over a mail file shared by RemoveAttachments and VeskFile:
// input lines go through the attachment remover and the header stripper into
// the replacement, which is compared with the file as it is produced; the
// backup is copied from the open file only when the file changes.
VeskCounts RunPass(const std::string& fileName, const PassSetup& setup, VeskRun& run)
{
    const MailFile file(run.Target(fileName), fileName);
    LineReader reader(file.Descriptor(), fileName);
    std::string_view line;
    if (!reader.Next(line))
        return {};
    const std::string first(line);
    if (!reader.Next(line))
        return {};  // fewer than 2 lines: nothing written
    if (!setup.strip && !setup.removeBodies)
        return {};  // nothing can change

    MailOutput mail(file);
    std::optional<HeaderStripper> stripper;
    std::optional<AttachmentRemover> remover;
    LineSink* afterRemoval = &mail;
    if (setup.strip)
        afterRemoval = &stripper.emplace(*setup.keyList, setup.allText, setup.autoRegister, mail);
    // Removal never leaves fewer than 2 lines: a deletion always leaves
    // the empty line after the part headers and the delimiter that ended
    // the body, so the stripper sees what a second load would.
    if (setup.removeBodies)
        remover.emplace(setup.removeTraces, *afterRemoval, reader);

    const auto put = [&](std::string_view text, std::uint64_t offset) {
        if (remover)
            remover->PutLineAt(text, offset);
        else
            afterRemoval->PutLine(text);
    };
    put(first, 0);
    do
        put(line, reader.LineOffset());
    while (reader.Next(line));
    if (remover)
        remover->Finish();
    if (stripper)
        stripper->Finish();

    VeskCounts counts;
    counts.attachmentLines = remover ? remover->Removed() : 0;
    // Stripping on its own registers the file's keys even when the file
    // cannot be written; after a removal that could not be written it never
    // runs.
    bool registered = false;
    if (stripper && !setup.removeBodies)
        registered = stripper->CommitRegisteredKeys();
    if (mail.Finish()) {
        if (setup.backup)
            run.NoteBackup(WriteBackup(file, [&] { return run.BackupName(fileName); }));
        mail.Commit();
        counts.outcome = VeskOutcome::kProcessed;
    }
    if (stripper && setup.removeBodies)
        registered = stripper->CommitRegisteredKeys();
    if (registered)
        counts.registeredKeys = stripper->RegisteredKeys();
    counts.headerLines = stripper ? stripper->RemovedCount() : 0;
    return counts;
}

}  // namespace

int RemoveAttachments(const std::string& fileName, bool backup, bool removeBodies, bool removeTraces)
{
    VeskRun run({fileName});
    PassSetup setup;
    setup.backup = backup;
    setup.removeBodies = removeBodies;
    setup.removeTraces = removeBodies && removeTraces;
    return RunPass(fileName, setup, run).attachmentLines;
}

VeskCounts VeskFile(const std::string& fileName, KeyList& keyList, const VeskOptions& options, VeskRun& run)
{
    PassSetup setup;
    setup.backup = options.backup;
    setup.removeBodies = options.removeAttachments;
    setup.removeTraces = options.removeAttachments && options.removeTraces;
    setup.strip = true;
    setup.allText = options.allText;
    setup.autoRegister = options.autoRegister;
    setup.keyList = &keyList;
    return RunPass(fileName, setup, run);
}

}  // namespace norvane
