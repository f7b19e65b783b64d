#include "app/ExtraOptions.h"

#include "engine/TextRules.h"
#include "engine/VeskFile.h"
#include "settings/IniFile.h"

namespace norvane {

namespace {

constexpr ExtraSwitch kSwitches[] = {
    {"ProtectSigned", true, "protect-signed", [](const ExtraOptions& o) { return o.protectSigned; },
     [](ExtraOptions& o, bool on) { o.protectSigned = on; }},
    {"AnyCase", true, "any-case", [](const ExtraOptions& o) { return o.anyCase; },
     [](ExtraOptions& o, bool on) { o.anyCase = on; }},
    {"EveryMessage", false, "", [](const ExtraOptions& o) { return o.scope == HeaderScope::kMessages; },
     [](ExtraOptions& o, bool on) {
         if (on)
             o.scope = HeaderScope::kMessages;
         else if (o.scope == HeaderScope::kMessages)
             o.scope = HeaderScope::kFirst;
     }},
    {"KeepLineEnds", false, "keep-line-ends", [](const ExtraOptions& o) { return o.keepLineEnds; },
     [](ExtraOptions& o, bool on) { o.keepLineEnds = on; }},
    {"SaveAttachments", false, "save-attachments", [](const ExtraOptions& o) { return o.saveAttachments; },
     [](ExtraOptions& o, bool on) { o.saveAttachments = on; }},
    {"RemovalNote", true, "removal-note", [](const ExtraOptions& o) { return o.removalNote; },
     [](ExtraOptions& o, bool on) { o.removalNote = on; }},
};

}  // namespace

std::span<const ExtraSwitch> ExtraSwitches()
{
    return kSwitches;
}

const ExtraSwitch* FindExtraSwitch(std::string_view key)
{
    for (const auto& option : kSwitches)
        if (EqualsAsciiNoCase(option.key, key))
            return &option;
    return nullptr;
}

ExtraOptions ExtraOptionsFrom(const SettingsValues& values, std::uint8_t optionFlags)
{
    ExtraOptions extra;
    if (HasOption(optionFlags, Option::AllText))
        extra.scope = HeaderScope::kAll;
    for (const auto& option : kSwitches) {
        std::optional<std::int64_t> number;
        if (const auto found = values.find(option.key); found != values.end())
            number = LeadingInteger(found->second);
        option.set(extra, number ? *number != 0 : option.defaultOn);
    }
    if (const auto found = values.find(kAttachmentFolderKey); found != values.end())
        extra.attachmentFolder = found->second;
    return extra;
}

SettingsEntries ExtraOptionEntries(const ExtraOptions& extra)
{
    SettingsEntries entries;
    for (const auto& option : kSwitches)
        entries.emplace_back(option.key, option.get(extra) ? "1" : "0");
    entries.emplace_back(kAttachmentFolderKey, extra.attachmentFolder);
    return entries;
}

std::uint8_t StoredOptionFlags(std::uint8_t optionFlags, const ExtraOptions& extra)
{
    const auto bit = OptionBit(Option::AllText);
    return static_cast<std::uint8_t>(extra.scope == HeaderScope::kAll ? optionFlags | bit : optionFlags & ~bit);
}

std::optional<HeaderScope> ScopeNamed(std::string_view name)
{
    if (name == "first")
        return HeaderScope::kFirst;
    if (name == "messages")
        return HeaderScope::kMessages;
    if (name == "all")
        return HeaderScope::kAll;
    return std::nullopt;
}

void ApplyExtraOptions(const ExtraOptions& extra, VeskOptions& options)
{
    options.allText = extra.scope == HeaderScope::kAll;
    options.scope = extra.scope == HeaderScope::kMessages ? HeaderScope::kMessages : HeaderScope::kFirst;
    options.protectSigned = extra.protectSigned;
    options.anyCase = extra.anyCase;
    options.keepLineEnds = extra.keepLineEnds;
    options.saveAttachments = extra.saveAttachments && options.removeAttachments;
    options.attachmentFolder = extra.attachmentFolder;
    options.removalNote = extra.removalNote && options.removeAttachments && !options.removeTraces;
}

AnalyzeOptions AnalyzeOptionsFrom(const VeskOptions& options)
{
    return AnalyzeOptions{options.Scope(), options.anyCase};
}

}  // namespace norvane
