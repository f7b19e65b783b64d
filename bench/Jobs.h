#pragma once

#include "bench/Harness.h"
#include "engine/KeyList.h"

#include <string>
#include <vector>

namespace norvane::bench {

// Vesk on one mail file as the benchmark runs it: all text; the keys
// Received, DKIM-Signature and X-Mailer ticked; attachments and their traces
// removed (unless told to keep them); no auto-registering. Returns the
// attachment lines and the header lines removed.
Counts RunVesk(const std::string& path, bool backup, bool removeAttachments = true);

// Analyze over the files (first header blocks), down to the sorted result
// with its marks. Returns the header lines counted and the distinct keys.
Counts RunAnalyze(const std::vector<std::string>& paths);

// The Analyze and Vesk jobs (as the tool runs them) over the files with the
// given number of workers. Vesk as RunVesk, without backup.
Counts RunAnalyzeJobOn(const std::vector<std::string>& paths, unsigned workers);
Counts RunVeskJobOn(const std::vector<std::string>& paths, unsigned workers);

// The keys the benchmark ticks.
KeyList BenchKeyList();

}  // namespace norvane::bench
