#include "app/VeskJob.h"

#include "engine/Charset.h"
#include "engine/VeskRun.h"
#include "settings/KeyListStorage.h"
#include "settings/Settings.h"

namespace norvane {

namespace {

void SaveRegistered(const VeskJob& job, const KeyList& keyList, VeskJobResult& result)
{
    if (result.registeredKeys.empty() || !job.session)
        return;
    try {
        job.session->Save(keyList);
    } catch (const Error& error) {
        result.saveError = error;
    }
}

}  // namespace

VeskOptions VeskOptionsFrom(std::uint8_t optionFlags)
{
    VeskOptions options;
    options.backup = HasOption(optionFlags, Option::BackUp);
    options.allText = HasOption(optionFlags, Option::AllText);
    options.autoRegister = HasOption(optionFlags, Option::AutoRegister);
    options.removeAttachments = HasOption(optionFlags, Option::RemoveAttachments);
    options.removeTraces = options.removeAttachments && HasOption(optionFlags, Option::RemoveTraces);
    return options;
}

namespace {

VeskJobResult RunJob(const VeskJob& job, KeyList& keyList, JobObserver* observer, VeskMode mode,
                     const VeskPreviewFunction& preview)
{
    VeskRun run(job.files);
    VeskJobResult result;
    VeskOptions options = job.options;
    if (options.saveAttachments && options.fileNameCharset.empty())
        options.fileNameCharset = FileNameCharset();
    // Saved files are named while a file is read, numbering names taken by
    // files before it: those are read one after another, in order.
    const unsigned workers = options.removeAttachments && options.saveAttachments ? 1 : job.workers;
    result.files = FileResults(run.Files());
    // Workers strip by a copy of the list: registering, in order, changes
    // only the original. The run's targets are only read while files commit.
    const KeyList snapshot = workers > 1 ? keyList : KeyList();
    const KeyList& readList = workers > 1 ? snapshot : keyList;
    const std::function<PreparedVesk(const FileToPrepare&)> prepare = [&](const FileToPrepare& file) {
        return PrepareVeskFile(file.path, readList, options, run, mode, &file.control);
    };
    const std::function<void(FileResult&, PreparedVesk&)> finish = [&](FileResult& file, PreparedVesk& prepared) {
        std::optional<VeskPreview> kept;
        if (mode.keepResult)
            kept = prepared.TakePreview();
        auto counts = CommitPrepared(prepared, keyList, run);
        file.outcome =
            counts.outcome == VeskOutcome::kUnchanged ? FileOutcome::Unchanged : FileOutcome::Processed;
        file.attachmentLines = counts.attachmentLines;
        file.headerLines = counts.headerLines;
        file.bytesBefore = counts.bytesBefore;
        file.bytesAfter = counts.bytesAfter;
        file.registeredKeys = std::move(counts.registeredKeys);
        file.protectedEntity = counts.protectedEntity;
        file.saved = std::move(counts.saved);
        result.registeredKeys.insert(result.registeredKeys.end(), file.registeredKeys.begin(),
                                     file.registeredKeys.end());
        if (kept)
            preview(file, *kept);
    };
    try {
        RunFilesAhead(result, observer, workers, prepare, finish);
    } catch (...) {
        // Only the observer can throw here; the files before it stay done,
        // and its exception is the one to pass on.
        try {
            SaveRegistered(job, keyList, result);
        } catch (...) {
        }
        throw;
    }
    SaveRegistered(job, keyList, result);
    return result;
}

}  // namespace

VeskJobResult RunVeskJob(const VeskJob& job, KeyList& keyList, JobObserver* observer)
{
    return RunJob(job, keyList, observer, VeskMode{}, {});
}

VeskJobResult DryRunVeskJob(const VeskJob& job, const KeyList& keyList, JobObserver* observer,
                            const VeskPreviewFunction& preview)
{
    // Keys join a copy, so that later files see them as in the real run.
    KeyList copy = keyList;
    VeskJob dry = job;
    dry.session = nullptr;
    return RunJob(dry, copy, observer, VeskMode{true, static_cast<bool>(preview)}, preview);
}

}  // namespace norvane
