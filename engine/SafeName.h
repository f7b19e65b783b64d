#pragma once

#include "engine/AttachmentName.h"

#include <functional>
#include <string>
#include <string_view>

namespace norvane {

// The longest file name the file system takes, in bytes.
inline constexpr std::size_t kNameMax = 255;
// Smaller limits are raised to this, so a shortened name keeps room for its
// extension and a number.
inline constexpr std::size_t kMinNameMax = 64;
// A longer "extension" is taken for part of the name when shortening.
inline constexpr std::size_t kMaxExtension = 32;
// FirstFreeName gives up after this many numbers.
inline constexpr int kMaxNameNumber = 100000;

// A name the file system takes, made from a decoded file name written in
// charset (character boundaries as CharacterStarts gives them):
// - only the last path element is kept (after the last "/" or "\");
// - each control byte (below 32, and 127, NUL among them) becomes "_";
// - blanks at both ends and dots and dashes at the start are removed, so the
//   name is never hidden, an option, "." or "..";
// - a name longer than nameMax bytes is shortened at a character boundary,
//   keeping its extension.
// Empty when nothing is left: the caller names the part by its number.
std::string SafeFileName(std::string_view name, std::string_view charset, std::size_t nameMax = kNameMax);

// The extension well known for a media type (any letter case), with its
// dot: ".pdf" for application/pdf; empty for one not known, and for
// application/octet-stream.
std::string_view MediaTypeExtension(std::string_view mediaType);

// "attachment-N" with the extension of the media type.
std::string UnnamedPartName(int number, std::string_view mediaType);

// The name a part's content is saved under, before duplicates are
// numbered: the decoded name made safe or, failing that, UnnamedPartName;
// kEncodedSuffix added when the content is kept in an unknown encoding.
std::string PartFileName(const FileName& decoded, int number, std::string_view mediaType, bool encodingKnown,
                         std::size_t nameMax = kNameMax);

// A safe name with "-N" before its extension ("report.pdf", 2 ->
// "report-2.pdf"), its stem shortened where the whole would pass nameMax.
std::string NumberedName(std::string_view name, int number, std::string_view charset,
                         std::size_t nameMax = kNameMax);

// A safe name itself when it is not taken, else the first of its numbered
// names from 2 on that is not; empty when even kMaxNameNumber is taken.
std::string FirstFreeName(std::string_view name, const std::function<bool(std::string_view)>& isTaken,
                          std::string_view charset, std::size_t nameMax = kNameMax);

}  // namespace norvane
