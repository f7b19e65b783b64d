#pragma once

#include "app/Job.h"
#include "engine/Error.h"
#include "engine/KeyList.h"
#include "engine/VeskFile.h"
#include "settings/KeyListStorage.h"

#include <cstdint>
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

}  // namespace norvane
