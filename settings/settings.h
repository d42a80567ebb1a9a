// The program's settings file, Quillmoor.ini: where it lives, its sections and
// keys, and typed access to what the program keeps in it (the window's
// placement, four on/off options and the volumes found for each drive).
//
// Nothing is cached: every read opens the file afresh, every write replaces
// it whole or not at all (ini/inifile.h). Above this module "not stored"
// is std::optional and a failed write is a std::error_code; the file's own
// conventions (the texts "Y", "N" and "ERROR", twips) stay in here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "base/pixel_rect.h"

namespace qm {

inline constexpr char kSettingsFileName[] = "Quillmoor.ini";

// The settings file: beside the program when `besideProgram` (a folder of the
// user's own that is not an installation: KeepsFilesBeside), otherwise
// "<configHome>/quillmoor/" (ConfigHome). Empty when it belongs in the
// configuration folder and that is not known: the program then reads no
// settings and its writes fail, rather than writing into its installation.
std::string SettingsFilePath(const std::string& programFolder, bool besideProgram, const std::string& configHome);

// The same for this process: looks at the program folder and the environment,
// and creates the configuration folder when it is used.
std::string ResolveSettingsFile(const std::string& programFolder);

// The four options, each stored as "Y" (on) or "N" (off) under "SETTING".
// A missing key, or any other text, reads as neither (nullopt).
struct Options {
    std::optional<bool> trayIcons;       // "TASKICON": temperature icons in the notification area
    std::optional<bool> taskbarIcon;     // "TASKBAR": the window's own icon shows the temperature
    std::optional<bool> startMinimised;  // "STARTMIN"
    std::optional<bool> startAtLogOn;    // "STARTUP"
    std::optional<bool> desktopAlerts;   // "NOTIFY": alerts as desktop notifications (missing: on)
    friend bool operator==(const Options&, const Options&) = default;
};

enum class Option { TrayIcons, TaskbarIcon, StartMinimised, StartAtLogOn, DesktopAlerts };
inline constexpr std::array<Option, 5> kOptions{Option::TrayIcons, Option::TaskbarIcon, Option::StartMinimised,
                                               Option::StartAtLogOn, Option::DesktopAlerts};

// The option's member of `options`.
std::optional<bool>& OptionValue(Options& options, Option option);
std::optional<bool> OptionValue(const Options& options, Option option);

// True only for an option stored as on.
inline bool IsOn(std::optional<bool> value) { return value == true; }
// True only for an option stored as off (a missing one is neither).
inline bool IsOff(std::optional<bool> value) { return value == false; }

// Whether the option counts as on: stored as on; for the desktop alerts,
// which are on until switched off, anything but stored as off.
inline bool IsOptionOn(const Options& options, Option option) {
    const std::optional<bool> value = OptionValue(options, option);
    return option == Option::DesktopAlerts ? !IsOff(value) : IsOn(value);
}

// The main window's outer frame in pixels, as stored under "LOCATION" (in
// twips). Each value is read on its own: one that is missing or not a number
// leaves that one property as it was.
struct StoredPlacement {
    std::optional<int> left;
    std::optional<int> top;
    std::optional<int> width;
    std::optional<int> height;
    friend bool operator==(const StoredPlacement&, const StoredPlacement&) = default;
};

// A placement value as the file keeps it: the decimal text of the
// single-precision number of twips, without a decimal point for whole
// numbers ("1560", "-120").
std::string PlacementText(float twips);

// Reads a placement value back: a plain decimal number (sign, digits,
// optional fraction and exponent; blanks around it allowed). nullopt for
// anything else, "ERROR" included, and for values that are not finite.
std::optional<float> ParsePlacementValue(std::string_view text);

// The key a drive's volumes are stored under: trimmed model, "-", trimmed
// serial ("ABC123-XYZ9"). Drive text can hold anything, so what would break
// the file's format ("=", line breaks, a leading "[" or ";") is neutralised,
// the same way every time.
std::string DriveLetterKey(std::string_view model, std::string_view serial);

class Settings {
public:
    explicit Settings(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    Options ReadOptions() const;
    // Stores "Y" or "N" for the option.
    std::error_code WriteOption(Option option, bool on);

    StoredPlacement ReadPlacement() const;
    // Stores all four values in one replacement of the file: all or nothing.
    std::error_code WritePlacement(const PixelRect& frame);

    // The volumes stored for a drive; nullopt when none were ever stored.
    std::optional<std::string> ReadVolumes(std::string_view model, std::string_view serial) const;
    std::error_code WriteVolumes(std::string_view model, std::string_view serial, std::string_view volumes);

    // Removes what writes killed before they were done left in the file's
    // folder: the program's own temporaries, nothing else (every write does
    // so too; the program calls this at its start). Returns how many.
    std::size_t RemoveLeftovers() const;

private:
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;

    std::string path_;
};

}  // namespace qm
