#include "engine/VeskFile.h"

#include "engine/AttachmentSaver.h"
#include "engine/Attachments.h"
#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/MailFile.h"
#include "engine/MailOutput.h"
#include "engine/PassControl.h"
#include "engine/StripHeaders.h"

#include <exception>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace norvane {

struct PreparedVesk::State {
    std::string fileName;
    bool backup = false;
    bool removeBodies = false;
    bool strip = false;
    bool dryRun = false;
    std::unique_ptr<MailFile> file;
    // Removes the files it saved unless the step succeeds; goes after mail,
    // whose temporary file is gone by then.
    std::unique_ptr<AttachmentSaver> saver;
    std::unique_ptr<ScratchFile> result;  // a dry run's kept result
    std::unique_ptr<MailOutput> mail;  // none when nothing can change; goes before file
    VeskCounts counts;
    std::vector<std::string> candidates;
    bool changes = false;
    std::exception_ptr failure;  // writing the replacement failed
    PassControl control;  // a copy: the prepared file may outlive the caller's
};

namespace {

// The mail's path for its saved attachments: as the run names it, unless
// that is a symbolic link, whose target's folder is where the mail is.
std::string SaverMailPath(const std::string& fileName, const MailFile& file)
{
    struct stat st {};
    if (::lstat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return fileName;
    return file.Path();
}

struct PassSetup {
    VeskMode mode;
    bool backup = false;
    bool removeBodies = false;
    RemovalOptions removal;
    SaveOptions saving;  // with removeBodies
    bool strip = false;  // strip headers and tidy after the removal
    StripOptions stripping;
    KeyList* keyList = nullptr;
    const PassControl* control = nullptr;
};

// The one pass over a mail file shared by RemoveAttachments and VeskFile:
// input lines go through the attachment remover and the header stripper into
// the replacement, which is compared with the file as it is produced; the
// backup is copied from the open file only when the file changes (at commit).
// The key list is only read here: keys are registered at commit.
std::unique_ptr<PreparedVesk::State> PreparePass(const std::string& fileName, const PassSetup& setup,
                                                  const VeskRun& run)
{
    auto state = std::make_unique<PreparedVesk::State>();
    state->fileName = fileName;
    state->dryRun = setup.mode.dryRun;
    state->backup = setup.backup && !setup.mode.dryRun;
    state->removeBodies = setup.removeBodies;
    if (setup.control)
        state->control = *setup.control;
    state->file = std::make_unique<MailFile>(run.Target(fileName), fileName,
                                             setup.mode.dryRun ? MailAccess::kRead : MailAccess::kReplace);
    const MailFile& file = *state->file;
    state->counts.bytesBefore = state->counts.bytesAfter = file.Size();
    LineReaderOptions reading;
    reading.control = &state->control;
    LineReader reader(file.Descriptor(), fileName, reading);
    std::string_view line;
    if (!reader.Next(line))
        return state;
    const std::string first(line);
    const LineEnd firstEnd = reader.LastLineEnd();
    if (!reader.Next(line))
        return state;  // fewer than 2 lines: nothing written
    if (!setup.strip && !setup.removeBodies)
        return state;  // nothing can change

    const bool keepLineEnds = setup.strip ? setup.stripping.keepLineEnds : setup.removal.keepLineEnds;
    state->mail = std::make_unique<MailOutput>(file, keepLineEnds);
    MailOutput& mail = *state->mail;
    mail.CompareWith(reader);
    if (setup.mode.dryRun && setup.mode.keepResult) {
        state->result = std::make_unique<ScratchFile>();
        mail.CopyTo(state->result.get());
    }
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
    if (setup.removeBodies) {
        remover.emplace(setup.removal, *afterRemoval, reader);
        if (setup.saving.save || setup.saving.note) {
            state->saver = std::make_unique<AttachmentSaver>(setup.saving, SaverMailPath(fileName, file),
                                                             file.Status());
            remover->SaveWith(*state->saver);
        }
    }

    const auto put = [&](std::string_view text, std::uint64_t offset, LineEnd end) {
        if (remover)
            remover->PutLineAt(text, offset, end);
        else
            afterRemoval->PutLineWithEnd(text, end);
    };
    put(first, 0, firstEnd);
    // Lines that pass the stripper unchanged go on from the reader in runs,
    // written (or, while the file has not changed, compared) in one piece.
    const bool runs = stripper && !remover;
    do {
        put(line, reader.LineOffset(), reader.LastLineEnd());
        if (runs) {
            if (const auto rule = stripper->PlainRule())
                if (const LineRun run = reader.TakeRun(*rule); run.lines > 0)
                    stripper->PutRun(run);
        }
    } while (reader.Next(line));
    if (remover)
        remover->Finish();
    if (stripper)
        stripper->Finish();
    // The last block may have been read before a stop was asked for.
    state->control.Check();

    state->counts.attachmentLines = remover ? remover->Removed() : 0;
    if (state->saver)
        state->counts.saved = state->saver->Saved();
    state->counts.headerLines = stripper ? stripper->RemovedCount() : 0;
    state->counts.protectedEntity =
        (remover && remover->KeptProtected()) || (stripper && stripper->KeptProtected());
    state->strip = stripper.has_value();
    if (stripper)
        state->candidates = stripper->RegisteredKeys();
    try {
        state->changes = mail.Finish();
        if (state->changes)
            state->counts.bytesAfter = mail.ContentSize();
        // Flushed here, where several files may be worked at once, rather
        // than one after another at commit.
        mail.Sync();
    } catch (const Error&) {
        state->failure = std::current_exception();
    }
    return state;
}

// Registers the candidates the current list lacks, in order; returns them.
std::vector<std::string> RegisterCandidates(const std::vector<std::string>& candidates, KeyList& keyList)
{
    std::vector<std::string> registered;
    for (const auto& key : candidates)
        if (keyList.RegisterUnticked(key))
            registered.push_back(key);
    return registered;
}

VeskCounts CommitPass(PreparedVesk::State& state, KeyList* keyList, VeskRun& run)
{
    VeskCounts counts = state.counts;
    if (!state.mail)
        return counts;
    // A stop asked for while the file waited for its turn leaves it as it
    // is; once the backup is begun, the file is finished.
    state.control.Check();
    // Stripping on its own registers the file's keys even when the file
    // cannot be written; after a removal that could not be written it never
    // runs.
    if (state.strip && !state.removeBodies)
        counts.registeredKeys = RegisterCandidates(state.candidates, *keyList);
    if (state.failure)
        std::rethrow_exception(state.failure);
    if (state.changes && state.dryRun) {
        counts.outcome = VeskOutcome::kProcessed;
    } else if (state.changes) {
        if (state.backup)
            run.NoteBackup(WriteBackup(*state.file, [&] { return run.BackupName(state.fileName); }));
        state.mail->Commit();
        counts.outcome = VeskOutcome::kProcessed;
    }
    if (state.strip && state.removeBodies)
        counts.registeredKeys = RegisterCandidates(state.candidates, *keyList);
    if (state.saver)
        state.saver->Keep();
    return counts;
}

VeskCounts RunPass(const std::string& fileName, const PassSetup& setup, VeskRun& run)
{
    auto state = PreparePass(fileName, setup, run);
    return CommitPass(*state, setup.keyList, run);
}

PassSetup VeskSetup(const VeskOptions& options, KeyList& keyList, VeskMode mode)
{
    PassSetup setup;
    setup.mode = mode;
    setup.backup = options.backup;
    setup.removeBodies = options.removeAttachments;
    setup.removal = RemovalOptionsOf(options);
    setup.saving.save = options.removeAttachments && options.saveAttachments;
    setup.saving.note = options.removeAttachments && options.removalNote && !options.removeTraces;
    setup.saving.folder = options.attachmentFolder;
    setup.saving.charset = options.fileNameCharset;
    setup.saving.plan = mode.dryRun;
    setup.strip = true;
    setup.stripping = StripOptionsOf(options);
    setup.keyList = &keyList;
    return setup;
}

}  // namespace

RemovalOptions RemovalOptionsOf(const VeskOptions& options)
{
    RemovalOptions removal;
    removal.removeTraces = options.removeAttachments && options.removeTraces;
    removal.anyCase = options.anyCase;
    removal.protectSigned = options.protectSigned;
    removal.keepLineEnds = options.keepLineEnds;
    return removal;
}

StripOptions StripOptionsOf(const VeskOptions& options)
{
    StripOptions stripping;
    stripping.scope = options.Scope();
    stripping.anyCase = options.anyCase;
    stripping.protectSigned = options.protectSigned;
    stripping.autoRegister = options.autoRegister;
    stripping.keepLineEnds = options.keepLineEnds;
    return stripping;
}

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

PreparedVesk::PreparedVesk(std::unique_ptr<State> state) : state_(std::move(state)) {}
PreparedVesk::PreparedVesk(PreparedVesk&&) noexcept = default;
PreparedVesk& PreparedVesk::operator=(PreparedVesk&&) noexcept = default;
PreparedVesk::~PreparedVesk() = default;

const VeskCounts& PreparedVesk::Counts() const
{
    return state_->counts;
}

bool PreparedVesk::Changes() const
{
    return state_->changes;
}

VeskPreview PreparedVesk::TakePreview()
{
    VeskPreview preview;
    const MailFile& file = *state_->file;
    preview.before = MappedBytes(file.Descriptor(), file.Size(), file.ErrorName());
    if (state_->changes && state_->result) {
        preview.after = state_->result->Map();
        preview.changes = true;
        state_->result.reset();
    }
    return preview;
}

PreparedVesk PrepareVeskFile(const std::string& fileName, const KeyList& keyList, const VeskOptions& options,
                             const VeskRun& run, VeskMode mode, const PassControl* control)
{
    // The pass only reads the list: registering is the commit's business.
    PassSetup setup = VeskSetup(options, const_cast<KeyList&>(keyList), mode);
    setup.control = control;
    return PreparedVesk(PreparePass(fileName, setup, run));
}

VeskCounts CommitPrepared(PreparedVesk& prepared, KeyList& keyList, VeskRun& run)
{
    auto state = std::move(prepared.state_);
    return CommitPass(*state, &keyList, run);
}

VeskCounts VeskFile(const std::string& fileName, KeyList& keyList, const VeskOptions& options, VeskRun& run,
                    VeskMode mode, const PassControl* control)
{
    PassSetup setup = VeskSetup(options, keyList, mode);
    setup.control = control;
    return RunPass(fileName, setup, run);
}

}  // namespace norvane
