#include "settings/Settings.h"

#include "engine/Error.h"
#include "settings/IniFile.h"
#include "settings/Integer.h"
#include "settings/SettingsLock.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace norvane {

namespace {

struct SettingsState {
    IntegerSettingsTable integers;
    TextSettingsTable texts;
    std::uint8_t optionFlags = 0;
    std::string file;
    std::string section;
};

SettingsState& State()
{
    static SettingsState state;
    return state;
}

bool FileExists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

[[noreturn]] void ThrowNotInteger(std::string_view text)
{
    throw Error(FormatMessage(kMsgNotInteger, text));
}

std::string_view RectKey(std::string_view key)
{
    return key.empty() ? kWindowRectKey : key;
}

StoredWindowRect ReadWindowRectFrom(const IniFile& file, std::string_view section, std::string_view key)
{
    StoredWindowRect rect;
    const std::string value = file.GetString(section, RectKey(key), "");
    std::string_view rest = value;
    std::optional<int> StoredWindowRect::*const fields[] = {&StoredWindowRect::left, &StoredWindowRect::top,
                                                            &StoredWindowRect::width, &StoredWindowRect::height};
    for (std::size_t field = 0; field < 4 && !rest.empty(); ++field) {
        try {
            rect.*fields[field] = ParseNumber(rest);
        } catch (const Error& error) {
            rect.error = error;
            break;
        }
        const auto comma = rest.find(',');
        if (comma == std::string_view::npos)
            break;
        rest = rest.substr(comma + 1, 80);
    }
    return rect;
}

std::string WindowRectText(const WindowRect& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.width) + "," +
           std::to_string(rect.height);
}

// A stored integer setting: its low 16 bits, or the current value when the
// number is missing, negative or beyond a signed 32-bit value, so that a
// stray 0xFFFFFFFF keeps the defaults rather than ticking every option.
void ReadIntegerSetting(const IniFile& file, std::string_view section, std::string_view key,
                        std::uint16_t& value)
{
    const auto number = file.GetNumber(section, key);
    if (number && *number >= 0 && *number <= std::numeric_limits<std::int32_t>::max())
        value = static_cast<std::uint16_t>(*number & 0xFFFF);
}

}  // namespace

IntegerSettingsTable& IntegerSettings()
{
    return State().integers;
}

TextSettingsTable& TextSettings()
{
    return State().texts;
}

std::uint8_t OptionFlags()
{
    return State().optionFlags;
}

void SetOptionFlags(std::uint8_t flags)
{
    State().optionFlags = flags;
}

const std::string& SettingsFile()
{
    return State().file;
}

const std::string& SettingsSection()
{
    return State().section;
}

void SetSettingsLocation(std::string file, std::string section)
{
    State().file = std::move(file);
    State().section = std::move(section);
}

void ResetSettings()
{
    State() = SettingsState{};
}

std::string LowerCaseAscii(std::string_view text, const TextRules& rules)
{
    std::string result(text);
    for (std::size_t i = 0; i < result.size(); ++i) {
        const auto c = static_cast<unsigned char>(result[i]);
        if (rules.doubleByte && IsLeadByte(c)) {
            ++i;
            continue;
        }
        result[i] = FoldAscii(result[i]);
    }
    return result;
}

std::string SettingsFileFor(std::string_view exePath, const TextRules& rules, NameCase nameCase)
{
    auto file = ReplaceExtension(exePath, ".ini", rules);
    if (nameCase == NameCase::Insensitive)
        file = LowerCaseAscii(file, rules);
    return file;
}

std::string SettingsSectionFor(std::string_view exePath, const TextRules& rules)
{
    return ReplaceExtension(exePath.substr(NameStart(exePath, rules)), "", rules);
}

std::string LocateSettingsFile(const std::string& exePath, const FolderWritableTest& writable)
{
    const auto beside = SettingsFileFor(exePath);
    if (FileExists(beside))
        return beside;
    auto [folder, name] = SplitPath(beside);
    if (folder.empty())
        folder = ".";
    if (writable ? writable(folder) : ::access(folder.c_str(), W_OK) == 0)
        return beside;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && home[0] != '\0')
        base = std::string(home) + "/.config";
    else
        return beside;
    const auto dir = base + "/" + SettingsSectionFor(exePath);
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return dir + "/" + name;
}

void InitSettingsLocation(const std::string& exePath, const FolderWritableTest& writable)
{
    SetSettingsLocation(LocateSettingsFile(exePath, writable), SettingsSectionFor(exePath));
}

std::string ExecutablePath()
{
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

int ParseNumber(std::string_view text)
{
    const auto number = ParseInteger(text, kGeometryInteger);
    switch (number.status) {
    case IntegerStatus::Ok:
        return static_cast<std::int32_t>(number.bits);
    case IntegerStatus::NoNumber:
        return 0;
    case IntegerStatus::Malformed:
    case IntegerStatus::OutOfRange:
        break;
    }
    // The message names what was read in capitals, "0x" written as "$".
    std::string token(number.token);
    for (char& c : token)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    if (token.starts_with("0X"))
        token.replace(0, 2, "$");
    ThrowNotInteger(token);
}

StoredWindowRect ReadWindowRect(const std::string& path, std::string_view section, std::string_view key)
{
    return ReadWindowRectFrom(IniFile::Load(path), section, key);
}

void WriteWindowRect(const std::string& path, std::string_view section, std::string_view key,
                     const WindowRect& rect)
{
    WriteProfileString(path, section, RectKey(key), WindowRectText(rect));
}

std::string SettingsTooLargeMessage(const std::string& path)
{
    return FormatMessage(kMsgSettingsTooLarge, path);
}

SettingsReadResult ReadSettings()
{
    auto& state = State();
    SettingsReadResult result;
    if (!FileExists(state.file)) {
        state.optionFlags = static_cast<std::uint8_t>(state.integers.ChkBFlg & 0xFF);
        result.status = SettingsRead::FileMissing;
        return result;
    }
    if (IsSettingsFileTooLarge(state.file)) {
        state.optionFlags = static_cast<std::uint8_t>(state.integers.ChkBFlg & 0xFF);
        result.status = SettingsRead::TooLarge;
        return result;
    }
    const auto file = IniFile::Load(state.file);
    // A malformed geometry must not keep the options and timings from being
    // read: closing the window would otherwise store the defaults over them.
    result.windowRect = ReadWindowRectFrom(file, state.section, kWindowRectKey);
    state.texts.Filter = file.GetString(state.section, "Filter", state.texts.Filter);
    state.texts.Path = file.GetString(state.section, "Path", state.texts.Path);
    ReadIntegerSetting(file, state.section, "ChkBFlg", state.integers.ChkBFlg);
    ReadIntegerSetting(file, state.section, "OpnWait", state.integers.OpnWait);
    ReadIntegerSetting(file, state.section, "HntPaus", state.integers.HntPaus);
    ReadIntegerSetting(file, state.section, "HHdPaus", state.integers.HHdPaus);
    ReadIntegerSetting(file, state.section, "HStPaus", state.integers.HStPaus);
    state.optionFlags = static_cast<std::uint8_t>(state.integers.ChkBFlg & 0xFF);
    result.values = file.SectionValues(state.section);
    return result;
}

void WriteSettings(const WindowRect& window, const SettingsEntries& more)
{
    const auto& state = State();
    // Under the lock, so that a key list another process saves meanwhile is
    // not written over with the one read here.
    SettingsLock lock(state.file);
    auto file = IniFile::LoadForUpdate(state.file);
    const auto before = file.Text();
    char flags[8];
    std::snprintf(flags, sizeof flags, "0x%02X", static_cast<unsigned>(state.optionFlags));
    file.SetString(state.section, kWindowRectKey, WindowRectText(window));
    file.SetString(state.section, "ChkBFlg", flags);
    file.SetString(state.section, "Path", state.texts.Path);
    for (const auto& [key, value] : more)
        file.SetString(state.section, key, value);
    if (file.Text() != before || !FileExists(state.file))
        file.Save(state.file);
}

}  // namespace norvane
