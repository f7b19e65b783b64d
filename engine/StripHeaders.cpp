#include "engine/StripHeaders.h"

#include "engine/FileIo.h"
#include "engine/MailOutput.h"

namespace norvane {

namespace {

constexpr char kEndOfFileMark = 26;
constexpr std::string_view kContentType = "Content-Type";
constexpr std::string_view kCharset = "charset=";

bool IsTrailingCandidate(std::string_view line)
{
    return line.empty() || line.front() == kEndOfFileMark;
}

// Whether the lines must be followed through the MIME structure.
bool NeedsStructure(const StripOptions& options)
{
    return options.protectSigned || options.scope == HeaderScope::kMessages ||
           (options.anyCase && options.scope == HeaderScope::kAll);
}

StripOptions OriginalRules(bool allText, bool autoRegister)
{
    StripOptions options;
    options.scope = allText ? HeaderScope::kAll : HeaderScope::kFirst;
    options.autoRegister = autoRegister;
    return options;
}

}  // namespace

HeaderStripper::HeaderStripper(KeyList& keyList, const StripOptions& options, LineSink& out)
    : keyList_(keyList),
      options_(options),
      firstLetter_(options.anyCase ? FirstLetter::kAnyCase : FirstLetter::kUpperCase),
      out_(out)
{
    if (NeedsStructure(options))
        tracker_.emplace();
}

HeaderStripper::HeaderStripper(KeyList& keyList, bool allText, bool autoRegister, LineSink& out)
    : HeaderStripper(keyList, OriginalRules(allText, autoRegister), out)
{
}

void HeaderStripper::PutLine(std::string_view line)
{
    PutLineWithEnd(line, LineEnd::kCrLf);
}

void HeaderStripper::PutLineWithEnd(std::string_view line, LineEnd end)
{
    MimeLine mime;
    if (tracker_)
        mime = tracker_->Next(line);
    if (options_.protectSigned && mime.inProtected) {
        KeepWhole(line, end);
        return;
    }
    switch (options_.scope) {
    case HeaderScope::kAll:
        // Lower-case keys only inside header blocks: body text never
        // chains into a header.
        MainPassLine(line, end, true, mime.block != HeaderBlock::kNone ? firstLetter_ : FirstLetter::kUpperCase);
        return;
    case HeaderScope::kMessages:
        if (tracker_->Mailbox()) {
            if (mime.block == HeaderBlock::kMessage) {
                MainPassLine(line, end, false, firstLetter_);
            } else {
                removing_ = false;
                ReleaseHeld();
                Tidy(line, end);
            }
            return;
        }
        break;  // one message: its first header block
    case HeaderScope::kFirst:
        break;
    }
    if (inMainPass_)
        MainPassLine(line, end, false, firstLetter_);
    else
        Tidy(line, end);
}

HeaderStripper::PlainPath HeaderStripper::PathOfPlain() const
{
    if (holding_ || !trailing_.Empty() || finished_)
        return PlainPath::kNone;
    bool inProtected = false;
    if (tracker_ && !tracker_->PlainBody(inProtected))
        return PlainPath::kNone;
    if (options_.protectSigned && inProtected)
        return PlainPath::kProtected;
    const bool mainPass = options_.scope == HeaderScope::kAll || inMainPass_;
    if (options_.scope == HeaderScope::kMessages && tracker_->Mailbox())
        return PlainPath::kBody;
    if (!mainPass)
        return PlainPath::kTidy;
    // A continuation line may still be removed.
    return removing_ ? PlainPath::kNone : PlainPath::kMainPass;
}

std::optional<PlainLineRule> HeaderStripper::PlainRule() const
{
    const PlainPath path = PathOfPlain();
    if (path == PlainPath::kNone)
        return std::nullopt;
    PlainLineRule rule;
    rule.crLfOnly = !options_.keepLineEnds;
    // A line of byte 26 may trail; a delimiter changes the structure.
    rule.notFirst = tracker_ ? std::string_view("\x1a-") : std::string_view("\x1a");
    if (path == PlainPath::kMainPass) {
        rule.absent = ':';  // no key
        rule.notPrefix = kContentType;
        rule.prefixAnyCase = options_.anyCase;
    }
    return rule;
}

void HeaderStripper::PutRun(const LineRun& run)
{
    switch (PathOfPlain()) {
    case PlainPath::kProtected:
        keptProtected_ = true;
        removing_ = false;
        break;
    case PlainPath::kBody:
    case PlainPath::kMainPass:
        removing_ = false;
        break;
    case PlainPath::kTidy:
    case PlainPath::kNone:
        break;
    }
    lastTidiedEmpty_ = false;
    out_.PutLines(run);
}

void HeaderStripper::MainPassLine(std::string_view line, LineEnd end, bool allText, FirstLetter first)
{
    const HeaderKeyResult extracted = ExtractHeaderKey(line, allText, first);
    if (!extracted.result && !allText) {
        // The empty line that ends the first header block stays; below it
        // only the tidying applies.
        ReleaseHeld();
        inMainPass_ = false;
        Tidy(line, end);
        return;
    }
    if (!extracted.key.empty()) {
        if (keyList_.IsTicked(extracted.key)) {
            ++removed_;
            removing_ = true;
            return;
        }
        removing_ = false;
        // Not ticked, as just seen: the list holds it only if it is kept.
        if (options_.autoRegister && !keyList_.IsKept(extracted.key) &&
            registeredHere_.emplace(extracted.key).second)
            registered_.emplace_back(extracted.key);
    } else if (removing_ && IsContinuationLine(line)) {
        ++removed_;
        return;
    } else {
        removing_ = false;
    }
    Keep(line, end, !extracted.key.empty());
}

void HeaderStripper::Keep(std::string_view line, LineEnd end, bool hasKey)
{
    // A folded charset parameter goes back onto its Content-Type line; a line
    // with a key of its own is a header of its own and is never joined.
    if (holding_ && !hasKey) {
        const std::size_t charset = options_.anyCase ? FindAsciiNoCase(line, kCharset) : line.find(kCharset);
        if (charset != std::string_view::npos) {
            held_ += ' ';
            held_ += line.substr(charset);
            return;
        }
    }
    ReleaseHeld();
    if (options_.anyCase ? StartsWithAsciiNoCase(line, kContentType) : line.starts_with(kContentType)) {
        held_.assign(line);
        heldEnd_ = end;
        holding_ = true;
    } else {
        Tidy(line, end);
    }
}

void HeaderStripper::KeepWhole(std::string_view line, LineEnd end)
{
    keptProtected_ = true;
    removing_ = false;
    ReleaseHeld();
    FlushTrailing();
    lastTidiedEmpty_ = line.empty();
    out_.PutLineWithEnd(line, end);
}

void HeaderStripper::ReleaseHeld()
{
    if (!holding_)
        return;
    holding_ = false;
    Tidy(held_, heldEnd_);
}

void HeaderStripper::Tidy(std::string_view line, LineEnd end)
{
    const bool empty = line.empty();
    if (empty && lastTidiedEmpty_)
        return;
    lastTidiedEmpty_ = empty;
    if (IsTrailingCandidate(line)) {
        trailing_.Add(line, end);
        return;
    }
    FlushTrailing();
    out_.PutLineWithEnd(line, end);
}

void HeaderStripper::FlushTrailing()
{
    if (!trailing_.Empty())
        trailing_.PassOn(out_);
}

void HeaderStripper::Finish()
{
    if (finished_)
        return;
    finished_ = true;
    ReleaseHeld();
    trailing_.Clear();
}

bool HeaderStripper::CommitRegisteredKeys()
{
    if (committed_)
        return false;
    committed_ = true;
    for (const std::string& key : registered_)
        keyList_.RegisterUnticked(key);
    return !registered_.empty();
}

StripResult StripHeaders(const std::string& fileName, KeyList& keyList, const StripOptions& options)
{
    LineReader reader(fileName);
    std::string_view line;
    if (!reader.Next(line))
        return {};
    const std::string first(line);
    const LineEnd firstEnd = reader.LastLineEnd();
    if (!reader.Next(line))
        return {};

    MailOutput output(fileName, options.keepLineEnds);
    HeaderStripper stripper(keyList, options, output);
    stripper.PutLineWithEnd(first, firstEnd);
    do
        stripper.PutLineWithEnd(line, reader.LastLineEnd());
    while (reader.Next(line));
    stripper.Finish();

    stripper.CommitRegisteredKeys();
    output.Commit();
    return {stripper.RemovedCount(), stripper.RegisteredKeys(), stripper.KeptProtected()};
}

StripResult StripHeaders(const std::string& fileName, KeyList& keyList, bool allText, bool autoRegister)
{
    return StripHeaders(fileName, keyList, OriginalRules(allText, autoRegister));
}

}  // namespace norvane
