#pragma once

#include "app/Job.h"
#include "engine/HeaderAnalysis.h"
#include "engine/KeyList.h"

#include <string>
#include <vector>

namespace norvane {

struct AnalyzeJobResult : JobResult {
    // The keys of all files with their counts and marks (AnalyzeResult);
    // empty unless every file was counted.
    std::vector<KeyTally> tally;
};

// Counts the header keys of the files (the header block only, or the whole
// text with the scope kAll) and marks each key from keyList. With several
// workers each thread counts its share of the files into a tally of its own
// and the tallies are merged: the result is that of one worker.
// The first file that cannot be read ends the job. The files are read, never
// written.
AnalyzeJobResult RunAnalyzeJob(const std::vector<std::string>& files, const KeyList& keyList,
                               const AnalyzeOptions& options, JobObserver* observer = nullptr, unsigned workers = 1);

}  // namespace norvane
