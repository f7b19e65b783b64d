#pragma once

#include "engine/MessageText.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace norvane {

// The settings key that picks the language, in the program's section.
inline constexpr std::string_view kLanguageKey = "Language";

// The key's values: "auto" (the default), "ja" or "en".
enum class LanguageChoice { Auto, Japanese, English };

// "ja" and "en" in any ASCII case; anything else, "auto" included, is Auto.
LanguageChoice ParseLanguageChoice(std::string_view value);

// An environment variable's value, or nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;
// The process's own environment.
EnvironmentLookup ProcessEnvironment();

// The language code the environment asks for, whether or not that locale is
// installed: the first of LANGUAGE (its first entry), LC_ALL, LC_MESSAGES and
// LANG that is set and not empty, up to its first "_", "." or "@"; empty when
// none is set.
std::string EnvironmentLanguageCode(const EnvironmentLookup& environment);

// The language a choice gives. Auto follows the environment: "ja", "C",
// "POSIX" or no code give Japanese, the designed language; any other code
// English.
Language ChooseLanguage(LanguageChoice choice, const EnvironmentLookup& environment);

// The choice stored in a settings file's section; Auto when the file or the
// key is missing or the file is too large to be read.
LanguageChoice ReadLanguageChoice(const std::string& settingsFile, std::string_view section);

}  // namespace norvane
