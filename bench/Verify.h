#pragma once

#include <string>
#include <vector>

namespace norvane::bench {

// Checks the engine on the generated corpus before anything is timed: for
// several option sets, the single-pass Vesk job, attachment removal followed
// by header stripping, and the plain reference must leave the same bytes and
// counts; the backup must hold the mail as loaded; Analyze must give the
// reference tally. Works on copies in workFolder. Returns one line per
// finding, empty when all agree.
std::vector<std::string> VerifyEngine(const std::string& mbox, const std::vector<std::string>& emlFiles,
                                      const std::string& workFolder);

}  // namespace norvane::bench
