#pragma once

#include <string>
#include <vector>

namespace norvane::bench {

// The options of one checked Vesk run (backup always on).
struct VeskConfig {
    const char* name;
    bool removeAttachments;
    bool removeTraces;
    bool allText;
};

// The option sets --verify checks.
extern const VeskConfig kVerifyConfigs[3];

// Writes text to workFile, runs the single-pass Vesk job on it with the
// benchmark's keys, and compares the file, its backup and both counts with
// the reference. Returns what differs, empty when all agree.
std::string CompareWithReference(const std::string& text, const std::string& workFile,
                                 const VeskConfig& config);

// Checks the engine on the generated corpus before anything is timed: for
// several option sets, the single-pass Vesk job, attachment removal followed
// by header stripping, and the plain reference must leave the same bytes and
// counts (with the later rules, which the reference does not know, the
// single pass and the two steps); the backup must hold the mail as loaded;
// Analyze must give the reference tally. Works on copies in workFolder. Returns one line per
// finding, empty when all agree.
std::vector<std::string> VerifyEngine(const std::string& mbox, const std::vector<std::string>& emlFiles,
                                      const std::string& workFolder);

}  // namespace norvane::bench
