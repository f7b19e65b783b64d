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
    RemovalOptions removal;
    bool strip = false;  // strip headers and tidy after the removal
    StripOptions stripping;
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
    const LineEnd firstEnd = reader.LastLineEnd();
    if (!reader.Next(line))
        return {};  // fewer than 2 lines: nothing written
    if (!setup.strip && !setup.removeBodies)
        return {};  // nothing can change

    const bool keepLineEnds = setup.strip ? setup.stripping.keepLineEnds : setup.removal.keepLineEnds;
    MailOutput mail(file, keepLineEnds);
    std::optional<HeaderStripper> stripper;
    std::optional<KeptEndsFilter> written;
    std::optional<AttachmentRemover> remover;
    LineSink* afterRemoval = &mail;
    if (setup.strip) {
        afterRemoval = &stripper.emplace(*setup.keyList, setup.stripping, mail);
        // The stripper sees the lines as a second load of the removal's
        // result would read them.
        if (setup.removeBodies && keepLineEnds)
            afterRemoval = &written.emplace(*afterRemoval);
    }
    // Removal never leaves fewer than 2 lines: a deletion always leaves
    // the empty line after the part headers and the delimiter that ended
    // the body, so the stripper sees what a second load would.
    if (setup.removeBodies)
        remover.emplace(setup.removal, *afterRemoval, reader);

    const auto put = [&](std::string_view text, std::uint64_t offset, LineEnd end) {
        if (remover)
            remover->PutLineAt(text, offset, end);
        else
            afterRemoval->PutLineWithEnd(text, end);
    };
    put(first, 0, firstEnd);
    do
        put(line, reader.LineOffset(), reader.LastLineEnd());
    while (reader.Next(line));
    if (remover)
        remover->Finish();
    if (stripper)
        stripper->Finish();

    VeskCounts counts;
    counts.attachmentLines = remover ? remover->Removed() : 0;
    counts.protectedEntity = (remover && remover->KeptProtected()) || (stripper && stripper->KeptProtected());
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

RemovalResult RemoveAttachments(const std::string& fileName, bool backup, bool removeBodies,
                                const RemovalOptions& options)
{
    VeskRun run({fileName});
    PassSetup setup;
    setup.backup = backup;
    setup.removeBodies = removeBodies;
    setup.removal = options;
    setup.removal.removeTraces = removeBodies && options.removeTraces;
    const VeskCounts counts = RunPass(fileName, setup, run);
    return {counts.attachmentLines, counts.protectedEntity};
}

int RemoveAttachments(const std::string& fileName, bool backup, bool removeBodies, bool removeTraces)
{
    RemovalOptions options;
    options.removeTraces = removeTraces;
    return RemoveAttachments(fileName, backup, removeBodies, options).removed;
}

VeskCounts VeskFile(const std::string& fileName, KeyList& keyList, const VeskOptions& options, VeskRun& run)
{
    PassSetup setup;
    setup.backup = options.backup;
    setup.removeBodies = options.removeAttachments;
    setup.removal.removeTraces = options.removeAttachments && options.removeTraces;
    setup.removal.anyCase = options.anyCase;
    setup.removal.protectSigned = options.protectSigned;
    setup.removal.keepLineEnds = options.keepLineEnds;
    setup.strip = true;
    setup.stripping.scope = options.Scope();
    setup.stripping.anyCase = options.anyCase;
    setup.stripping.protectSigned = options.protectSigned;
    setup.stripping.autoRegister = options.autoRegister;
    setup.stripping.keepLineEnds = options.keepLineEnds;
    setup.keyList = &keyList;
    return RunPass(fileName, setup, run);
}

}  // namespace norvane
