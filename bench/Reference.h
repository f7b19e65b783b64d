#pragma once

#include "engine/HeaderKey.h"
#include "engine/KeyList.h"

#include <list>
#include <string>
#include <string_view>
#include <vector>

namespace norvane::bench {

// A plain whole-file rendering of the Vesk and Analyze rules, written for
// clarity, not speed, against which the benchmark checks the streaming
// engine on its generated corpus (--verify).
using Lines = std::list<std::string>;

// Splits at CR LF, lone CR and lone LF; a final line end adds no empty line.
Lines SplitLines(std::string_view text);
// Every line followed by CR LF.
std::string JoinLines(const Lines& lines);

// Attachment removal over the lines; returns the lines deleted. An attachment
// body that runs to the end is kept, and a closing delimiter met outside an
// attachment only ends the message's boundary.
int ReferenceRemoveAttachments(Lines& lines, bool removeTraces);

// Header stripping and tidying over the lines (no registering); returns the
// header and continuation lines removed. A charset parameter is joined onto
// the Content-Type line above it only from a line without a key of its own.
int ReferenceStripHeaders(Lines& lines, const KeyList& keyList, bool allText);

// The first header block's keys of each text (with allText the keys of every
// line, strict separator), as sorted "key=count" entries with the letter case
// of the last occurrence, entries compared without regard to ASCII case.
// Byte 26 ends a text.
std::vector<std::string> ReferenceKeyTally(const std::vector<std::string>& texts, bool allText = false);

}  // namespace norvane::bench
