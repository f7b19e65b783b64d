#pragma once

#include "engine/HeldLines.h"
#include "engine/KeyList.h"
#include "engine/LineSink.h"
#include "engine/TextRules.h"

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace norvane {

// Strips ticked header lines from a mail file's lines as they stream past and
// tidies the result.
//
// Feed every line of the file, in order and without its line end, to PutLine,
// then call Finish once. The surviving lines go on to `out` in order, each as
// soon as nothing later in the file can change it; what is held back is only
//   - the last kept line beginning "Content-Type", while a following folded
//     "charset=" line may still be joined onto it,
//   - trailing-candidate lines (empty, or beginning with byte 26), which are
//     dropped if nothing else follows them.
// Memory stays bounded by the held Content-Type line and a fixed allowance
// for trailing candidates (more of them wait in an unnamed temporary file).
//
// What is removed:
//   - header lines whose key is ticked in the key list, with
//     their continuation lines (first byte TAB or blank). Only the first header
//     block (up to the first empty line) is searched, unless allText is on:
//     then every line is, with ": " as the separator so body text such as
//     'Note:see below' is not taken for a header;
//   - a folded line holding "charset=" that carries no key of its own is
//     joined onto a kept line above it that begins with "Content-Type";
//   - runs of empty lines shrink to one; trailing empty and byte-26 lines go.
//
// Keys met for the first time are collected when autoRegister is on (once
// per key, in the letter case first met) but the key list itself is not
// touched until CommitRegisteredKeys, so a caller that fails half way through
// the file can leave it unchanged. The key list must not change while lines
// are fed.
class HeaderStripper : public LineSink {
public:
    HeaderStripper(KeyList& keyList, bool allText, bool autoRegister, LineSink& out);
    HeaderStripper(const HeaderStripper&) = delete;
    HeaderStripper& operator=(const HeaderStripper&) = delete;

    void PutLine(std::string_view line) override;

    // Ends the file: passes on what was held back and drops trailing lines.
    // No PutLine may follow.
    void Finish();

    // Ticked header lines and their continuation lines removed so far (lines
    // dropped by the tidying are not counted).
    int RemovedCount() const { return removed_; }

    // Keys this file would register unticked, in order met.
    const std::vector<std::string>& RegisteredKeys() const { return registered_; }

    // Registers the collected keys unticked in the key list (once); returns
    // whether there were any.
    bool CommitRegisteredKeys();

private:
    void MainPassLine(std::string_view line);
    void Keep(std::string_view line, bool hasKey);
    void ReleaseHeld();
    void Tidy(std::string_view line);
    void FlushTrailing();

    KeyList& keyList_;
    const bool allText_;
    const bool autoRegister_;
    LineSink& out_;

    std::unordered_set<std::string, AsciiNoCaseHash, AsciiNoCaseEqual> registeredHere_;
    std::vector<std::string> registered_;
    bool committed_ = false;

    bool inMainPass_ = true;
    bool removing_ = false;
    bool holding_ = false;  // held_ is a kept "Content-Type" line
    std::string held_;
    bool lastTidiedEmpty_ = false;
    HeldLines trailing_;
    bool finished_ = false;
    int removed_ = 0;
};

struct StripResult {
    int removed = 0;                          // header and continuation lines removed
    std::vector<std::string> registeredKeys;  // keys this file registered, in order met
};

// Strips the ticked header lines of one mail file and tidies it, rewriting it
// in place with CR LF line ends; a file of fewer than 2 lines is left as it
// is. Keys met for the first time are registered unticked in keyList when
// autoRegister is on; saving the key list is the caller's business.
// A read error raises the open error: nothing is written and keyList is left
// unchanged. A write error raises the create error naming fileName: the file
// stays as it was, but the keys it registered stay in keyList.
StripResult StripHeaders(const std::string& fileName, KeyList& keyList, bool allText, bool autoRegister);

}  // namespace norvane
