#pragma once

#include "engine/Error.h"
#include "engine/TextRules.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace norvane {

inline constexpr std::string_view kMsgNotInteger = "'%s' は整数ではありません";
inline constexpr std::string_view kDefaultFilter = "*.eml|*.eml|*.txt|*.txt|*.*|*.*";
inline constexpr std::string_view kWindowRectKey = "XYWH";

// Settings read at start-up, each an unsigned 16-bit value.
struct IntegerSettingsTable {
    std::uint16_t ChkBFlg = 3;     // option bits, see OptionFlags
    std::uint16_t OpnWait = 2000;  // ms from program start the splash stays up
    std::uint16_t HntPaus = 500;   // ms before a hint shows
    std::uint16_t HHdPaus = 5000;  // ms a hint stays visible
    std::uint16_t HStPaus = 500;   // ms before the next hint when moving on
};

struct TextSettingsTable {
    std::string Filter{kDefaultFilter};  // file-open dialog's type filter
    std::string Path;                    // folder of the latest selection
};

// The six options, numbered as their check boxes "CheckBox1" to "CheckBox6"
// (the number is also the box's Tag); option n is bit n - 1 of OptionFlags.
enum class Option : int {
    BackUp = 1,             // keep a ".bak" copy of each file
    Hint = 2,               // the main window shows hints
    AllText = 3,            // header lines anywhere in the text, not only the first block
    AutoRegister = 4,       // Vesk registers unknown keys, unticked
    RemoveAttachments = 5,  // Vesk removes attachment bodies
    RemoveTraces = 6,       // Vesk also removes their part headers (with RemoveAttachments)
};
inline constexpr Option kOptions[] = {Option::BackUp, Option::Hint, Option::AllText,
                                      Option::AutoRegister, Option::RemoveAttachments, Option::RemoveTraces};

constexpr std::uint8_t OptionBit(Option option)
{
    return static_cast<std::uint8_t>(1U << (static_cast<int>(option) - 1));
}

constexpr bool HasOption(std::uint8_t flags, Option option)
{
    return (flags & OptionBit(option)) != 0;
}

// Bits 6 and 7 of OptionFlags belong to no option; they travel from the file
// back to it unchanged.
inline constexpr std::uint8_t kFreeOptionBits = 0xC0;

// The module state, holding the defaults from program start.
IntegerSettingsTable& IntegerSettings();
TextSettingsTable& TextSettings();
std::uint8_t OptionFlags();
void SetOptionFlags(std::uint8_t flags);
const std::string& SettingsFile();
const std::string& SettingsSection();
void SetSettingsLocation(std::string file, std::string section);
// Everything back to the state at program start (for tests).
void ResetSettings();

enum class NameCase { Sensitive, Insensitive };

// ASCII capitals to lower case; under double-byte rules a lead byte and the
// byte after it pass unchanged.
std::string LowerCaseAscii(std::string_view text, const TextRules& rules = HostRules());

// The executable's path with its extension replaced by ".ini"; lower-cased
// only where file names are not case-sensitive.
std::string SettingsFileFor(std::string_view exePath, const TextRules& rules = HostRules(),
                            NameCase nameCase = NameCase::Sensitive);
// The executable's file name without its extension, case kept.
std::string SettingsSectionFor(std::string_view exePath, const TextRules& rules = HostRules());

// Whether the program may create files in a folder (default: access W_OK).
using FolderWritableTest = std::function<bool(const std::string& folder)>;

// Where the settings file lives: beside the executable when it exists there
// or that folder is writable; otherwise $XDG_CONFIG_HOME/<section>/<name>.ini
// (default ~/.config), whose folder is created when needed.
std::string LocateSettingsFile(const std::string& exePath, const FolderWritableTest& writable = {});
// Sets SettingsFile and SettingsSection from the executable's path.
void InitSettingsLocation(const std::string& exePath, const FolderWritableTest& writable = {});
// The running executable's absolute path.
std::string ExecutablePath();

// The main window's bounds as stored: the frame's position and the client
// size.
struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The bounds read from a stored "left,top,width,height": the leading fields
// given, in that order. A malformed field ends the reading; the fields
// before it are kept and its conversion error is held for the caller, who
// applies them first and raises it then.
struct StoredWindowRect {
    std::optional<int> left;
    std::optional<int> top;
    std::optional<int> width;
    std::optional<int> height;
    std::optional<Error> error;
};

// The leading number of a text: blanks and control bytes trimmed, decimal
// with optional sign, or hexadecimal after "0x" or "$"; 0 when there is no
// number. A prefix that is no valid 32-bit integer ("12AB", a lone sign)
// raises kMsgNotInteger naming it.
int ParseNumber(std::string_view text);

// Up to four comma-separated bounds (left, top, width, height) from key
// (empty: "XYWH"); after each comma only the next 80 characters are read.
StoredWindowRect ReadWindowRect(const std::string& path, std::string_view section, std::string_view key);
void WriteWindowRect(const std::string& path, std::string_view section, std::string_view key,
                     const WindowRect& rect);

enum class SettingsRead {
    FromFile,
    FileMissing,  // the defaults stay; the caller tells the user
    TooLarge,     // the defaults stay and the file is never written over;
                  // the caller shows SettingsTooLargeMessage
};

inline constexpr std::string_view kMsgSettingsTooLarge = "ﾌｧｲﾙ %s は大きすぎるので読み込めません";
// The text that tells the user the settings file at path is too large.
std::string SettingsTooLargeMessage(const std::string& path);

// Every key of the program's section with its value as stored.
using SettingsValues = std::unordered_map<std::string, std::string, AsciiNoCaseHash, AsciiNoCaseEqual>;
// Further entries of the program's section, written with the others.
using SettingsEntries = std::vector<std::pair<std::string, std::string>>;

struct SettingsReadResult {
    SettingsRead status = SettingsRead::FromFile;
    StoredWindowRect windowRect;  // XYWH; nothing when the file is missing
    // The whole section, for the keys other layers own; empty unless read
    // from the file.
    SettingsValues values;
};

// Reads XYWH, Filter, Path and the integer settings from SettingsFile, then
// sets OptionFlags from ChkBFlg. A missing file keeps the defaults and is
// reported as FileMissing, one over kSettingsFileLimit as TooLarge;
// nothing is shown. A malformed XYWH does not stop
// the rest from being read: its error comes back with the window's bounds.
// Integer settings that are negative, have no digits or exceed 32 bits keep
// their value; others keep their low 16 bits.
[[nodiscard]] SettingsReadResult ReadSettings();
// Writes XYWH, ChkBFlg (from OptionFlags), Path and the further entries in
// one atomic rewrite, under the settings file's lock (see SettingsLock);
// raises the create error naming the file when it cannot be written.
void WriteSettings(const WindowRect& window, const SettingsEntries& more = {});

}  // namespace norvane
