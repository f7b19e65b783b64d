#pragma once

#include "engine/HeaderAnalysis.h"
#include "engine/HeaderKey.h"
#include "settings/Settings.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace norvane {

struct VeskOptions;

// The options beyond the six option bits. The all-text bit of the option
// bits and EveryMessage together make the scope.
struct ExtraOptions {
    bool protectSigned = true;  // signed or encrypted entities stay whole
    bool anyCase = true;        // header names may start in lower case
    HeaderScope scope = HeaderScope::kFirst;
    bool keepLineEnds = false;  // every line keeps its own line end
    // With attachment removal: each removed attachment is saved first, into
    // attachmentFolder (empty: beside each mail), a path kept byte for byte.
    bool saveAttachments = false;
    bool removalNote = true;  // with the traces kept: a note where each attachment was
    std::string attachmentFolder{};
};

// The settings key of ExtraOptions::attachmentFolder, a text.
inline constexpr std::string_view kAttachmentFolderKey = "AttachmentFolder";

// One switch of ExtraOptions: its settings key in the program's section,
// its default and the tool's flag pair.
struct ExtraSwitch {
    std::string_view key;
    bool defaultOn;
    // "--FLAG" / "--no-FLAG"; empty for EveryMessage, which the tool sets
    // through --scope.
    std::string_view flag;
    bool (*get)(const ExtraOptions&);
    void (*set)(ExtraOptions&, bool on);
};

// ProtectSigned, AnyCase, EveryMessage, KeepLineEnds, SaveAttachments,
// RemovalNote, in the page's order.
std::span<const ExtraSwitch> ExtraSwitches();
// The switch stored under key (ASCII case ignored), or nullptr.
const ExtraSwitch* FindExtraSwitch(std::string_view key);

// The stored switches: each key's number not 0 is on; a missing key or one
// without a number gives the default. Without EveryMessage the all-text bit
// of optionFlags gives HeaderScope::kAll. The attachment folder is the stored text
// as it is (empty when missing).
ExtraOptions ExtraOptionsFrom(const SettingsValues& values, std::uint8_t optionFlags);
// The switches as settings entries, "0" or "1" each, then the attachment
// folder.
SettingsEntries ExtraOptionEntries(const ExtraOptions& extra);
// The option bits stored beside them: the all-text bit is set only for
// HeaderScope::kAll, so it is 0 whenever EveryMessage is 1.
std::uint8_t StoredOptionFlags(std::uint8_t optionFlags, const ExtraOptions& extra);

// The tool's words for the scope: "first", "messages", "all"; nothing for
// another word.
std::optional<HeaderScope> ScopeNamed(std::string_view name);

// Sets the engine's options from the switches, once the option bits are
// set: saving and the note take effect only with attachment removal, the
// note only with the traces kept.
void ApplyExtraOptions(const ExtraOptions& extra, VeskOptions& options);

// What Analyze reads of a Vesk run's options: the same header blocks, with
// the same rule for lower-case names.
AnalyzeOptions AnalyzeOptionsFrom(const VeskOptions& options);

}  // namespace norvane
