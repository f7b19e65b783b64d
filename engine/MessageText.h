#pragma once

#include <span>
#include <string_view>

// Marks a Japanese pattern of the core's messages for the window's
// translation file: lupdate reads it as QT_TRANSLATE_NOOP, the core takes the
// text as it is.
#define NORVANE_CORE_TEXT(context, text) text

namespace norvane {

// The languages the program speaks; Japanese is the one it is designed in.
enum class Language { Japanese, English };

// Context of the core's messages in the window's translation file.
inline constexpr std::string_view kCoreMessageContext = "CoreMessage";

// A fixed text of the core's messages in both languages, with the same
// placeholders ("%s", "%d") in each.
struct MessageForms {
    std::string_view japanese;
    std::string_view english;
};

// Every fixed text the core shows: the single source of the English forms for
// both front ends.
std::span<const MessageForms> CoreMessageForms();

// The language the core writes its messages in; Japanese until a front end
// sets it at start.
void SetMessageLanguage(Language language);
Language MessageLanguage();

// The pattern in the message language: a Japanese pattern of the table gives
// its English form in English; any other text comes back as it is.
std::string_view Localized(std::string_view japanese);

}  // namespace norvane
