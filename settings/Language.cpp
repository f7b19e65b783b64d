#include "settings/Language.h"

#include "engine/TextRules.h"
#include "settings/IniFile.h"

#include <cstdlib>

namespace norvane {

namespace {

constexpr const char* kLocaleVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

// LANGUAGE is a colon-separated list of preferences; the others hold one.
std::string_view FirstEntry(std::string_view name, std::string_view value)
{
    if (name != "LANGUAGE")
        return value;
    while (!value.empty()) {
        const auto colon = value.find(':');
        const auto entry = value.substr(0, colon);
        if (!entry.empty() || colon == std::string_view::npos)
            return entry;
        value.remove_prefix(colon + 1);
    }
    return value;
}

}  // namespace

LanguageChoice ParseLanguageChoice(std::string_view value)
{
    if (EqualsAsciiNoCase(value, "ja"))
        return LanguageChoice::Japanese;
    if (EqualsAsciiNoCase(value, "en"))
        return LanguageChoice::English;
    return LanguageChoice::Auto;
}

EnvironmentLookup ProcessEnvironment()
{
    return [](const char* name) -> std::optional<std::string> {
        if (const char* value = std::getenv(name))
            return std::string(value);
        return std::nullopt;
    };
}

std::string EnvironmentLanguageCode(const EnvironmentLookup& environment)
{
    for (const char* name : kLocaleVariables) {
        const auto value = environment(name);
        if (!value)
            continue;
        const std::string_view entry = FirstEntry(name, *value);
        if (entry.empty())
            continue;
        return std::string(entry.substr(0, entry.find_first_of("_.@")));
    }
    return {};
}

Language ChooseLanguage(LanguageChoice choice, const EnvironmentLookup& environment)
{
    switch (choice) {
    case LanguageChoice::Japanese:
        return Language::Japanese;
    case LanguageChoice::English:
        return Language::English;
    case LanguageChoice::Auto:
        break;
    }
    const std::string code = EnvironmentLanguageCode(environment);
    if (code.empty() || EqualsAsciiNoCase(code, "ja") || code == "C" || code == "POSIX")
        return Language::Japanese;
    return Language::English;
}

LanguageChoice ReadLanguageChoice(const std::string& settingsFile, std::string_view section)
{
    return ParseLanguageChoice(IniFile::Load(settingsFile).GetString(section, kLanguageKey, "auto"));
}

}  // namespace norvane
