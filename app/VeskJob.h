#pragma once

#include "app/Job.h"
#include "engine/Error.h"
#include "engine/KeyList.h"
#include "engine/VeskFile.h"
#include "settings/KeyListStorage.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace norvane {

// The Vesk options from the option bits of OptionFlags; the traces go only
// together with the attachments, and the hint bit means nothing here.
VeskOptions VeskOptionsFrom(std::uint8_t optionFlags);

struct VeskJob {
    std::vector<std::string> files;  // later names of an already listed file are left out
    VeskOptions options;
    // Where the keys the job registers are saved, merged with what other
    // processes stored meanwhile; none: not saved.
    KeyListSession* session = nullptr;
    // Threads reading files ahead; the result is the same for any number.
    // Saving attachments takes the files one at a time.
    unsigned workers = 1;
};

struct VeskJobResult : JobResult {
    std::vector<std::string> registeredKeys;  // every key the job registered, in order
    // Saving the registered keys failed; the mail files are done all the
    // same, and the caller decides whether to say so.
    std::optional<Error> saveError;
};

// Runs VeskFile over the job's files in order (with several workers, files
// are prepared ahead and committed in order, so output, files, backup names
// and registered keys are those of one worker), under one run context (so no
// backup of the job overwrites a file or a backup of it), and stops at the
// first file that fails. Once at the end, also after a failure or a cancel,
// the key list is saved when any file registered keys. keyList is the list
// the files are stripped by, and where registered keys join. Saved
// attachments are named in the locale's charset unless the options name one.
VeskJobResult RunVeskJob(const VeskJob& job, KeyList& keyList, JobObserver* observer = nullptr);

// Called with each file a dry run has done, in order and before the observer
// hears of it, and the file's bytes before and after.
using VeskPreviewFunction = std::function<void(const FileResult&, const VeskPreview&)>;

// RunVeskJob as a dry run (see VeskMode): every file is worked as the real
// job would work it, with its counts, registered keys and errors, but
// nothing is written and nothing is saved. The keys join a copy of keyList,
// so that a key counts as new only in the first file that meets it, as in
// the real job. With preview, each file's result is kept for it.
VeskJobResult DryRunVeskJob(const VeskJob& job, const KeyList& keyList, JobObserver* observer = nullptr,
                            const VeskPreviewFunction& preview = {});

}  // namespace norvane
