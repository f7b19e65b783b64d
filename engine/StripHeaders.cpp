#include "engine/StripHeaders.h"

#include "engine/FileIo.h"
#include "engine/HeaderKey.h"
#include "engine/MailOutput.h"

namespace norvane {

namespace {

constexpr char kEndOfFileMark = 26;

bool IsContinuation(std::string_view line)
{
    return !line.empty() && (line.front() == '\t' || line.front() == ' ');
}

bool IsTrailingCandidate(std::string_view line)
{
    return line.empty() || line.front() == kEndOfFileMark;
}

}  // namespace

HeaderStripper::HeaderStripper(KeyList& keyList, bool allText, bool autoRegister, LineSink& out)
    : keyList_(keyList), allText_(allText), autoRegister_(autoRegister), out_(out)
{
}

void HeaderStripper::PutLine(std::string_view line)
{
    if (inMainPass_)
        MainPassLine(line);
    else
        Tidy(line);
}

void HeaderStripper::MainPassLine(std::string_view line)
{
    const HeaderKeyResult extracted = ExtractHeaderKey(line, allText_);
    if (!extracted.result && !allText_) {
        // The empty line that ends the first header block stays; below it
        // only the tidying applies.
        ReleaseHeld();
        inMainPass_ = false;
        Tidy(line);
        return;
    }
    if (!extracted.key.empty()) {
        if (keyList_.IsTicked(extracted.key)) {
            ++removed_;
            removing_ = true;
            return;
        }
        removing_ = false;
        if (autoRegister_ && !keyList_.Contains(extracted.key) &&
            registeredHere_.emplace(extracted.key).second)
            registered_.emplace_back(extracted.key);
    } else if (removing_ && IsContinuation(line)) {
        ++removed_;
        return;
    } else {
        removing_ = false;
    }
    Keep(line, !extracted.key.empty());
}

void HeaderStripper::Keep(std::string_view line, bool hasKey)
{
    // A folded charset parameter goes back onto its Content-Type line; a line
    // with a key of its own is a header of its own and is never joined.
    if (holding_ && !hasKey) {
        const std::size_t charset = line.find("charset=");
        if (charset != std::string_view::npos) {
            held_ += ' ';
            held_ += line.substr(charset);
            return;
        }
    }
    ReleaseHeld();
    if (line.starts_with("Content-Type")) {
        held_.assign(line);
        holding_ = true;
    } else {
        Tidy(line);
    }
}

void HeaderStripper::ReleaseHeld()
{
    if (!holding_)
        return;
    holding_ = false;
    Tidy(held_);
}

void HeaderStripper::Tidy(std::string_view line)
{
    const bool empty = line.empty();
    if (empty && lastTidiedEmpty_)
        return;
    lastTidiedEmpty_ = empty;
    if (IsTrailingCandidate(line)) {
        trailing_.Add(line);
        return;
    }
    FlushTrailing();
    out_.PutLine(line);
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

StripResult StripHeaders(const std::string& fileName, KeyList& keyList, bool allText, bool autoRegister)
{
    LineReader reader(fileName);
    std::string_view line;
    if (!reader.Next(line))
        return {};
    const std::string first(line);
    if (!reader.Next(line))
        return {};

    MailOutput output(fileName);
    HeaderStripper stripper(keyList, allText, autoRegister, output);
    stripper.PutLine(first);
    do
        stripper.PutLine(line);
    while (reader.Next(line));
    stripper.Finish();

    stripper.CommitRegisteredKeys();
    output.Commit();
    return {stripper.RemovedCount(), stripper.RegisteredKeys()};
}

}  // namespace norvane
