#include "settings/settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "base/file_replace.h"
#include "base/temporary_files.h"
#include "ini/inifile.h"
#include "settings/program_folder.h"
#include "base/text.h"
#include "base/twips.h"

namespace qm {
namespace {

constexpr std::string_view kLocation = "LOCATION";
constexpr std::string_view kSetting = "SETTING";
constexpr std::string_view kOn = "Y";
constexpr std::string_view kOff = "N";

// The file format's "nothing stored": the profile functions give this text
// for a missing key, so a value stored as this text counts as missing too.
constexpr std::string_view kNotStored = "ERROR";

std::string_view OptionKey(Option option) {
    switch (option) {
        case Option::TrayIcons: return "TASKICON";
        case Option::TaskbarIcon: return "TASKBAR";
        case Option::StartMinimised: return "STARTMIN";
        case Option::StartAtLogOn: return "STARTUP";
        case Option::DesktopAlerts: return "NOTIFY";
    }
    return "TASKICON";
}

constexpr std::array<std::string_view, 4> kPlacementKeys{"LEFT", "TOP", "WIDTH", "HEIGHT"};

std::optional<int> PlacementPixels(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    const auto twips = ParsePlacementValue(*text);
    if (!twips) return std::nullopt;
    return TwipsToPixels(*twips);
}

}  // namespace

std::string SettingsFilePath(const std::string& programFolder, bool besideProgram, const std::string& configHome) {
    if (besideProgram) return (std::filesystem::path(programFolder) / kSettingsFileName).string();
    if (configHome.empty()) return {};
    return (std::filesystem::path(configHome) / "quillmoor" / kSettingsFileName).string();
}

std::string ResolveSettingsFile(const std::string& programFolder) {
    const bool beside = KeepsFilesBeside(InspectProgramFolder(programFolder));
    std::string path = SettingsFilePath(programFolder, beside, ProcessConfigHome());
    if (!beside && !path.empty()) {
        std::error_code ignored;  // a folder that cannot be made shows as failing writes
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    }
    return path;
}

std::optional<bool>& OptionValue(Options& options, Option option) {
    switch (option) {
        case Option::TrayIcons: return options.trayIcons;
        case Option::TaskbarIcon: return options.taskbarIcon;
        case Option::StartMinimised: return options.startMinimised;
        case Option::StartAtLogOn: return options.startAtLogOn;
        case Option::DesktopAlerts: return options.desktopAlerts;
    }
    return options.trayIcons;
}

std::optional<bool> OptionValue(const Options& options, Option option) {
    return OptionValue(const_cast<Options&>(options), option);
}

std::string PlacementText(float twips) {
    char text[48];
    if (twips == 0.0f) return "0";
    if (std::isfinite(twips) && std::trunc(twips) == twips && std::fabs(twips) < 1e7f) {
        std::snprintf(text, sizeof text, "%.0f", static_cast<double>(twips));
    } else {
        std::snprintf(text, sizeof text, "%.7g", static_cast<double>(twips));
    }
    return text;
}

std::optional<float> ParsePlacementValue(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    // Only plain decimal notation: no "inf", "nan" or hexadecimal forms.
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '-' || c == '.' || c == 'e' || c == 'E' || c == '+';
    });
    if (!plain) return std::nullopt;
    float value = 0.0f;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string DriveLetterKey(std::string_view model, std::string_view serial) {
    return NeutralizeIniKey(TrimBlanks(model) + "-" + TrimBlanks(serial));
}

std::optional<std::string> Settings::Read(std::string_view section, std::string_view key) const {
    std::optional<std::string> value = ReadIniValue(path_, section, key);
    if (value == kNotStored) return std::nullopt;
    return value;
}

Options Settings::ReadOptions() const {
    Options options;
    for (const Option option : kOptions) {
        const std::optional<std::string> text = Read(kSetting, OptionKey(option));
        if (text == kOn) OptionValue(options, option) = true;
        if (text == kOff) OptionValue(options, option) = false;
    }
    return options;
}

std::error_code Settings::WriteOption(Option option, bool on) {
    return WriteIniValue(path_, kSetting, OptionKey(option), on ? kOn : kOff);
}

StoredPlacement Settings::ReadPlacement() const {
    return StoredPlacement{PlacementPixels(Read(kLocation, kPlacementKeys[0])),
                           PlacementPixels(Read(kLocation, kPlacementKeys[1])),
                           PlacementPixels(Read(kLocation, kPlacementKeys[2])),
                           PlacementPixels(Read(kLocation, kPlacementKeys[3]))};
}

std::error_code Settings::WritePlacement(const PixelRect& frame) {
    const auto text = [](int pixels) { return PlacementText(static_cast<float>(PixelsToTwips(pixels))); };
    const std::pair<std::string, std::string> entries[] = {{std::string(kPlacementKeys[0]), text(frame.left)},
                                                           {std::string(kPlacementKeys[1]), text(frame.top)},
                                                           {std::string(kPlacementKeys[2]), text(frame.width)},
                                                           {std::string(kPlacementKeys[3]), text(frame.height)}};
    return WriteIniValues(path_, kLocation, entries);
}

std::optional<std::string> Settings::ReadVolumes(std::string_view model, std::string_view serial) const {
    return Read(kSetting, DriveLetterKey(model, serial));
}

std::error_code Settings::WriteVolumes(std::string_view model, std::string_view serial, std::string_view volumes) {
    return WriteIniValue(path_, kSetting, DriveLetterKey(model, serial), volumes);
}

std::size_t Settings::RemoveLeftovers() const {
    if (path_.empty()) return 0;
    const WriteFolder folder(SplitFolderAndName(path_).first);
    return folder.Error() ? 0 : RemoveLeftoverTemporaries(folder.Fd(), folder.Ops());
}

}  // namespace qm
