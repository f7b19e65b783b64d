#pragma once

#include "engine/FileIo.h"
#include "engine/HeaderKey.h"
#include "engine/HeldLines.h"
#include "engine/KeyList.h"
#include "engine/LineSink.h"
#include "engine/MimeStructure.h"
#include "engine/TextRules.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace norvane {

// How header stripping reads a file; everything off gives the original rules.
struct StripOptions {
    HeaderScope scope = HeaderScope::kFirst;
    // Inside a header block a line whose first byte is a lower-case letter
    // can be a header line too, and the charset join finds "Content-Type"
    // and "charset=" in any letter case.
    bool anyCase = false;
    // Nothing inside a signed or encrypted entity changes (see MimeTracker):
    // no line stripped, no charset joined, no empty line dropped.
    bool protectSigned = false;
    bool autoRegister = false;
    // StripHeaders writes each line with the end it had instead of CR LF.
    bool keepLineEnds = false;
};

// Strips ticked header lines from a mail file's lines as they stream past and
// tidies the result.
//
// Feed every line of the file, in order and without its line end, to PutLine
// (or with its end to PutLineWithEnd), then call Finish once. The surviving
// lines go on to `out` in order, each with its end, as soon as nothing later
// in the file can change it; what is held back is only
//   - the last kept line beginning "Content-Type", while a following folded
//     "charset=" line may still be joined onto it,
//   - trailing-candidate lines (empty, or beginning with byte 26), which are
//     dropped if nothing else follows them.
// Memory stays bounded by the held Content-Type line and a fixed allowance
// for trailing candidates (more of them wait in an unnamed temporary file).
//
// What is removed:
//   - header lines whose key is ticked in the key list, with
//     their continuation lines (first byte TAB or blank). The scope says
//     where they are looked for: in the first header block (up to the first
//     empty line); in the header block of every message of an mbox file,
//     bodies left alone; or in every line, with ": " as the separator so
//     body text such as 'Note:see below' is not taken for a header;
//   - a folded line holding "charset=" that carries no key of its own is
//     joined onto a kept line above it that begins with "Content-Type", and
//     takes that line's end;
//   - runs of empty lines shrink to one; trailing empty and byte-26 lines go.
//
// Keys met for the first time are collected when autoRegister is on (once
// per key, in the letter case first met) but the key list itself is not
// touched until CommitRegisteredKeys, so a caller that fails half way through
// the file can leave it unchanged. The key list must not change while lines
// are fed.
class HeaderStripper : public LineSink {
public:
    HeaderStripper(KeyList& keyList, const StripOptions& options, LineSink& out);
    // The original rules: allText is the scope kAll, else kFirst.
    HeaderStripper(KeyList& keyList, bool allText, bool autoRegister, LineSink& out);
    HeaderStripper(const HeaderStripper&) = delete;
    HeaderStripper& operator=(const HeaderStripper&) = delete;

    // A line without its end: it ends with CR LF.
    void PutLine(std::string_view line) override;
    void PutLineWithEnd(std::string_view line, LineEnd end) override;

    // The rule a reader's run of lines (LineReader::TakeRun) must follow to
    // pass through here unchanged in one piece, or nullopt when the next line
    // must come alone. PutRun takes such a run, as PutLineWithEnd would take
    // each of its lines.
    std::optional<PlainLineRule> PlainRule() const;
    void PutRun(const LineRun& run);

    // Ends the file: passes on what was held back and drops trailing lines.
    // No PutLine may follow.
    void Finish();

    // Ticked header lines and their continuation lines removed so far (lines
    // dropped by the tidying are not counted).
    int RemovedCount() const { return removed_; }

    // Whether lines of a signed or encrypted entity were passed on whole
    // (only with protectSigned).
    bool KeptProtected() const { return keptProtected_; }

    // Keys this file would register unticked, in order met.
    const std::vector<std::string>& RegisteredKeys() const { return registered_; }

    // Registers the collected keys unticked in the key list (once); returns
    // whether there were any.
    bool CommitRegisteredKeys();

private:
    // What a plain line (not empty, no key, no Content-Type) meets here.
    enum class PlainPath {
        kNone,           // it must come alone
        kMainPass,       // kept as a line without key
        kTidy,           // below the header block: only tidied
        kBody,           // a body line between messages: tidied, ends a removal
        kProtected,      // kept whole
    };
    PlainPath PathOfPlain() const;
    void MainPassLine(std::string_view line, LineEnd end, bool allText, FirstLetter first);
    void Keep(std::string_view line, LineEnd end, bool hasKey);
    void KeepWhole(std::string_view line, LineEnd end);
    void ReleaseHeld();
    void Tidy(std::string_view line, LineEnd end);
    void FlushTrailing();

    KeyList& keyList_;
    const StripOptions options_;
    const FirstLetter firstLetter_;  // in a header block
    LineSink& out_;
    std::optional<MimeTracker> tracker_;

    std::unordered_set<std::string, AsciiNoCaseHash, AsciiNoCaseEqual> registeredHere_;
    std::vector<std::string> registered_;
    bool committed_ = false;

    bool inMainPass_ = true;
    bool removing_ = false;
    bool holding_ = false;  // held_ is a kept "Content-Type" line
    std::string held_;
    LineEnd heldEnd_ = LineEnd::kCrLf;
    bool lastTidiedEmpty_ = false;
    HeldLines trailing_;
    bool finished_ = false;
    bool keptProtected_ = false;
    int removed_ = 0;
};

struct StripResult {
    int removed = 0;                          // header and continuation lines removed
    std::vector<std::string> registeredKeys;  // keys this file registered, in order met
    bool protectedEntity = false;             // a signed or encrypted entity was kept whole
};

// Strips the ticked header lines of one mail file and tidies it, rewriting it
// in place (with CR LF line ends, or each line's own with keepLineEnds); a
// file of fewer than 2 lines is left as it is. Keys met for the first time
// are registered unticked in keyList when autoRegister is on; saving the key
// list is the caller's business.
// A read error raises the open error: nothing is written and keyList is left
// unchanged. A write error raises the create error naming fileName: the file
// stays as it was, but the keys it registered stay in keyList.
StripResult StripHeaders(const std::string& fileName, KeyList& keyList, const StripOptions& options);
// The original rules (see HeaderStripper).
StripResult StripHeaders(const std::string& fileName, KeyList& keyList, bool allText, bool autoRegister);

}  // namespace norvane
