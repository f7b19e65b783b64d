#pragma once

#include "engine/PartHeader.h"

#include <string>
#include <string_view>

namespace norvane {

// A file name decoded from a part's header, in the charset it is written in.
struct FileName {
    std::string name;  // empty when the part names no file
    // The target charset, or UTF-8 where the target cannot hold the name.
    std::string charset;
};

// The file name a parameter gives, converted to targetCharset (see
// FileNameCharset; empty means UTF-8):
// - an extended value (filename*=charset'language'%XX...) is converted from
//   its charset;
// - in any other value, encoded words (=?charset?B?...?= or ?Q?...?=, the
//   B and Q in either case, a "*language" after the charset ignored) are
//   decoded wherever they stand; blanks between two of them are dropped, and
//   the bytes of neighbours in the same charset are joined before they are
//   converted, so a character split between two words survives.
// Broken input is kept as sensibly as possible:
// - an encoded word with invalid base64 or an unknown charset stays as it
//   was written, and so does an extended value's text (after "%XX"
//   decoding) whose charset is unknown or not given;
// - bytes that are not valid in the charset they are declared in become
//   "_", one per run;
// - text outside encoded words is taken as UTF-8 when it is valid UTF-8,
//   else kept byte for byte (most likely it is in the local charset).
FileName DecodeFileName(const MimeParameter& parameter, std::string_view targetCharset);

// The part's file name: the Content-Disposition's "filename" or, where that
// is missing or empty, the Content-Type's "name", decoded by DecodeFileName.
// Not yet made safe for the file system (see SafeName.h).
FileName AttachmentFileName(const PartHeader& header, std::string_view targetCharset);

}  // namespace norvane
