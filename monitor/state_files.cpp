#include "monitor/state_files.h"

#include <charconv>
#include <filesystem>
#include <limits>
#include <optional>
#include <utility>

#include "base/file_replace.h"
#include "ini/inifile.h"
#include "settings/settings.h"

namespace qm {
namespace {

constexpr char kAlertFile[] = "alerts.ini";
constexpr char kHistoryFolder[] = "history";
const std::string kUtf8 = "UTF-8";

// Makes the folder (and those above it) for the user alone.
std::error_code MakeFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::create_directories(folder, error)) {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    }
    return error;
}

// The section of a drive: its volumes key without "]" (which would end the
// section's name).
std::string Section(std::string_view model, std::string_view serial) {
    std::string section = DriveLetterKey(model, serial);
    for (char& c : section) {
        if (c == ']') c = '_';
    }
    return section;
}

// A whole decimal number from `low` to `high`; nullopt for anything else.
template <typename T>
std::optional<T> Number(const std::optional<std::string>& text, T low = std::numeric_limits<T>::min(),
                        T high = std::numeric_limits<T>::max()) {
    if (!text || text->empty()) return std::nullopt;
    T value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end != text->data() + text->size() || value < low || value > high) return std::nullopt;
    return value;
}

std::optional<AttributeStatus> Status(const std::optional<std::string>& text) {
    const auto value = Number<int>(text, 0, 2);
    if (!value) return std::nullopt;
    return static_cast<AttributeStatus>(*value);
}

template <typename T>
std::string Text(const std::optional<T>& value) {
    return value ? std::to_string(*value) : std::string();
}

std::string Text(AttributeStatus status) { return std::to_string(static_cast<int>(status)); }

using Entries = std::vector<std::pair<std::string, std::string>>;

// The state as the file keeps it: one key per value; a reason that is not
// active, and a value not known, as the empty text.
Entries EntriesOf(const AlertState& state) {
    Entries entries{{"state", state.state ? Text(*state.state) : std::string()},
                    {"hot", std::to_string(state.hotPasses)},
                    {"veryhot", std::to_string(state.veryHotPasses)},
                    {"cool", std::to_string(state.coolPasses)},
                    {"failed", std::to_string(state.failedPasses)},
                    {"warning", Text(state.criticalWarning)}};
    for (std::size_t i = 0; i < kAlertReasonCount; ++i) {
        const std::string key = AlertReasonKey(static_cast<AlertReason>(i));
        if (state.counts[i]) {
            entries.emplace_back(key + ".count", Text(state.counts[i]));
            entries.emplace_back(key + ".mark", Text(state.countMarks[i]));
        }
        const ReasonStanding& standing = state.reasons[i];
        entries.emplace_back(key + ".told", standing.active ? Text(standing.level) + " " + std::to_string(standing.toldAt)
                                                            : std::string());
    }
    return entries;
}

// Passes in a row are kept only as far as the rules count them.
int Passes(const std::optional<std::string>& text, int most) {
    return Number<int>(text, 0, most).value_or(0);
}

AlertState StateOf(const std::string& text, const std::string& section) {
    const auto value = [&](const std::string& key) {
        return IniValueOf(text, section, key, InlineComments::Keep, kUtf8);
    };
    AlertState state;
    state.state = Status(value("state"));
    state.hotPasses = Passes(value("hot"), kTemperaturePasses);
    state.veryHotPasses = Passes(value("veryhot"), kTemperaturePasses);
    state.coolPasses = Passes(value("cool"), kTemperaturePasses);
    state.failedPasses = Passes(value("failed"), kUnreadablePasses);
    if (const auto bits = Number<int>(value("warning"), 0, 255)) state.criticalWarning = static_cast<std::uint8_t>(*bits);
    for (std::size_t i = 0; i < kAlertReasonCount; ++i) {
        const std::string key = AlertReasonKey(static_cast<AlertReason>(i));
        state.counts[i] = Number<std::uint64_t>(value(key + ".count"));
        state.countMarks[i] = Status(value(key + ".mark")).value_or(AttributeStatus::Good);
        const std::optional<std::string> told = value(key + ".told");
        const std::size_t blank = told ? told->find(' ') : std::string::npos;
        if (blank == std::string::npos) continue;
        const auto level = Status(told->substr(0, blank));
        const auto at = Number<std::int64_t>(told->substr(blank + 1), 0);
        if (level && *level != AttributeStatus::Good && at) state.reasons[i] = {true, *level, *at};
    }
    return state;
}

}  // namespace

std::string StateFolderOf(const std::string& stateHome) {
    if (stateHome.empty()) return {};
    return (std::filesystem::path(stateHome) / "quillmoor").string();
}

AlertState AlertStore::Load(std::string_view model, std::string_view serial) const {
    if (folder_.empty()) return {};
    const LoadedFile file =
        LoadRegularFile(folder_ + "/" + kAlertFile, kIniFileLimit, FollowLink::No);
    if (file.status != LoadStatus::Loaded) return {};
    return StateOf(file.bytes, Section(model, serial));
}

std::error_code AlertStore::Save(std::string_view model, std::string_view serial, const AlertState& state) {
    if (folder_.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
    if (const std::error_code error = MakeFolder(folder_)) return error;
    const Entries entries = EntriesOf(state);
    return WriteIniValues(folder_ + "/" + kAlertFile, Section(model, serial), entries, kUtf8);
}

std::string HistoryStore::FileBytes(std::string_view model, std::string_view serial) const {
    if (folder_.empty()) return {};
    const LoadedFile file = LoadRegularFile(folder_ + "/" + kHistoryFolder + "/" + HistoryFileName(model, serial),
                                            kHistoryFileLimit, FollowLink::No, OverLimit::Cut);
    return file.status == LoadStatus::Loaded ? file.bytes : std::string();
}

std::vector<StoredSample> HistoryStore::Stored(std::string_view model, std::string_view serial) const {
    return ParseHistory(FileBytes(model, serial));
}

std::vector<StoredSample> HistoryStore::Load(std::string_view model, std::string_view serial, std::int64_t now) {
    const std::string bytes = FileBytes(model, serial);
    std::vector<StoredSample> samples = ParseHistory(bytes);
    if (HistoryNeedsCompacting(samples, bytes.size(), now)) {
        const std::string kept = CompactHistory(samples, now);
        const WriteFolder folder(folder_ + "/" + kHistoryFolder);
        if (!ReplaceFileAt(folder, HistoryFileName(model, serial), kept)) samples = ParseHistory(kept);
    }
    return samples;
}

std::error_code HistoryStore::Append(std::string_view model, std::string_view serial, const StoredSample& sample) {
    if (folder_.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
    const std::filesystem::path folder = std::filesystem::path(folder_) / kHistoryFolder;
    if (const std::error_code error = MakeFolder(folder)) return error;
    const WriteFolder opened(folder.string());
    if (opened.Error()) return opened.Error();
    return AppendToFileAt(opened, HistoryFileName(model, serial), HistoryLine(sample), kHistoryFileLimit);
}

}  // namespace qm
