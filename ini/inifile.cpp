#include "ini/inifile.h"

#include <iterator>
#include <optional>
#include <unordered_map>

#include "base/codepage.h"
#include "base/file_replace.h"
#include "ini/ini_lines.h"
#include "base/text.h"

namespace qm {
namespace {

// ---------------------------------------------------------------------------
// Values

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsQuotedPair(std::string_view v) { return v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front(); }

// Cuts a hand-written comment off a trimmed value: a ";" at the start or after
// white space begins it. A value that opens with a quote keeps any ";" up to
// its closing quote.
std::string_view StripInlineComment(std::string_view value) {
    std::size_t from = 0;
    if (!value.empty() && IsQuote(value.front())) {
        const std::size_t close = value.find(value.front(), 1);
        if (close != std::string_view::npos) from = close + 1;
    }
    for (std::size_t i = from; i < value.size(); ++i) {
        if (value[i] == ';' && (i == 0 || IsWhiteSpace(value[i - 1]))) return Trim(value.substr(0, i));
    }
    return value;
}

std::string ValueForCaller(std::string_view stored, InlineComments comments, const std::string& codeSet) {
    std::string_view value = stored;
    if (comments == InlineComments::Strip) value = StripInlineComment(value);
    if (IsQuotedPair(value)) value = value.substr(1, value.size() - 2);
    value = value.substr(0, CodePageCut(value, kIniValueLimit, codeSet));
    return ConvertToUtf8(value, codeSet);
}

// The text stored for a value (in the file's code page): quoted when the read
// would otherwise trim blanks off it or take quotes away from it.
std::string StoredValue(std::string value) {
    if (value.empty()) return value;
    if (IsWhiteSpace(value.front()) || IsWhiteSpace(value.back()) || IsQuotedPair(value)) return '"' + value + '"';
    return value;
}

// ---------------------------------------------------------------------------
// Editing

// One entry of a write, ready for the file: key and stored value in the
// file's code page.
struct EncodedEntry {
    NameMatcher key;
    std::string storedValue;
};

// `text` with `key` of the section set to the entry's value: replaced in
// place when the first section of the name has the key, otherwise appended
// after the section's last entry, or a new section at the end of the file.
std::string WithEntry(std::string_view text, const NameMatcher& wantedSection, const EncodedEntry& entry) {
    const std::string_view eol = LineEndStyle(text);
    const EntryLocation at = LocateEntry(text, wantedSection, entry.key);
    const std::string& storedValue = entry.storedValue;
    const std::string entryLine = entry.key.Encoded() + "=" + storedValue;

    std::string content;
    content.reserve(text.size() + wantedSection.Encoded().size() + entryLine.size() + 16);
    if (at.value) {
        content.append(text.substr(0, at.value->first));
        content.append(storedValue);
        content.append(text.substr(at.value->second));
    } else if (at.sectionFound) {
        content.append(text.substr(0, at.insertAt));
        if (at.insertNeedsBreak) content.append(eol);
        content.append(entryLine).append(eol);
        content.append(text.substr(at.insertAt));
    } else {
        content.append(text);
        if (at.anyLine) {
            if (!at.lastLineBroken) content.append(eol);
            if (!at.lastLineBlank) content.append(eol);  // a blank line before the new section
        }
        content.append("[").append(wantedSection.Encoded()).append("]").append(eol);
        content.append(entryLine).append(eol);
    }
    return content;
}

std::error_code Invalid() { return std::make_error_code(std::errc::invalid_argument); }

// The entries in the file's code page; nullopt when a key or value would
// break the file's format (the conversion never produces such bytes, but the
// format depends on it) or a key is one the code page cannot hold.
template <typename Entries>
std::optional<std::vector<EncodedEntry>> EncodeEntries(const Entries& entries, const std::string& codeSet) {
    std::vector<EncodedEntry> encoded;
    encoded.reserve(std::size(entries));
    for (const auto& [key, value] : entries) {
        EncodedEntry entry{NameMatcher(key, codeSet), StoredValue(ConvertFromUtf8(value, codeSet))};
        if (!entry.key.Exact() || HasLineBreakOrNul(entry.key.Encoded()) || entry.key.Encoded().find('=') != std::string::npos ||
            HasLineBreakOrNul(entry.storedValue)) {
            return std::nullopt;
        }
        encoded.push_back(std::move(entry));
    }
    return encoded;
}

// The whole write: every name and value checked first (EINVAL refuses the
// batch), then the file updated the one safe way (base/file_replace.h): read
// once, each entry applied in turn, and the result stored in one
// replacement, or not at all when it equals the file.
template <typename Entries>
std::error_code WriteEntries(const std::string& path, std::string_view section, const Entries& entries,
                             const std::string& codeSet) {
    if (path.empty() || !IsSafeIniSection(section)) return Invalid();
    for (const auto& [key, value] : entries)
        if (!IsSafeIniKey(key) || !IsSafeIniValue(value)) return Invalid();
    if (std::empty(entries)) return {};
    const NameMatcher wantedSection(section, codeSet);
    const auto encoded = EncodeEntries(entries, codeSet);
    if (!encoded || !wantedSection.Exact() || HasLineBreakOrNul(wantedSection.Encoded())) return Invalid();

    return UpdateFileContents(path, kIniFileLimit, [&](const LoadedFile& file) {
        FileUpdate update;
        std::string content = file.bytes;
        for (const EncodedEntry& entry : *encoded) {
            content = WithEntry(content, wantedSection, entry);
            if (content.size() > kIniFileLimit) {
                update.error = std::make_error_code(std::errc::file_too_large);
                return update;
            }
        }
        if (file.status != LoadStatus::Loaded || content != file.bytes) update.bytes = std::move(content);
        return update;  // no bytes: already stored
    });
}

}  // namespace

// ---------------------------------------------------------------------------

bool IsSafeIniSection(std::string_view section) {
    if (HasLineBreakOrNul(section)) return false;
    const std::string_view name = Trim(section);
    return !name.empty() && name.find(']') == std::string_view::npos;
}

bool IsSafeIniKey(std::string_view key) {
    if (HasLineBreakOrNul(key)) return false;
    const std::string_view name = Trim(key);
    return !name.empty() && name.find('=') == std::string_view::npos && name.front() != '[' && name.front() != ';';
}

bool IsSafeIniValue(std::string_view value) { return !HasLineBreakOrNul(value); }

std::string NeutralizeIniKey(std::string_view text) {
    const std::string valid = SanitizeUtf8(text);
    std::string key;
    key.reserve(valid.size());
    for (std::size_t i = 0; i < valid.size(); ++i) {
        const auto b = static_cast<unsigned char>(valid[i]);
        if (b < 0x20 || b == 0x7F || b == '=') {
            key += '_';
        } else if (b == 0xC2 && i + 1 < valid.size() && static_cast<unsigned char>(valid[i + 1]) <= 0x9F) {
            key += '_';  // a C1 control character, U+0080 to U+009F
            ++i;
        } else {
            key += valid[i];
        }
    }
    // Only blanks remain as white space; the file would trim them anyway.
    key = std::string(Trim(key));
    if (key.empty()) return "_";
    if (key.front() == '[' || key.front() == ';') key.front() = '_';
    return key;
}

std::optional<std::string> ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                                        InlineComments comments) {
    return ReadIniValue(path, section, key, comments, SystemCodeSet());
}

std::optional<std::string> ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                                        InlineComments comments, const std::string& codeSet) {
    if (!IsSafeIniSection(section) || !IsSafeIniKey(key)) return std::nullopt;
    const LoadedFile file = LoadRegularFile(path, kIniFileLimit);
    if (file.status != LoadStatus::Loaded) return std::nullopt;
    return IniValueOf(file.bytes, section, key, comments, codeSet);
}

std::optional<std::string> IniValueOf(std::string_view text, std::string_view section, std::string_view key,
                                      InlineComments comments, const std::string& codeSet) {
    if (!IsSafeIniSection(section) || !IsSafeIniKey(key)) return std::nullopt;
    const EntryLocation at = LocateEntry(text, NameMatcher(section, codeSet), NameMatcher(key, codeSet));
    if (!at.value) return std::nullopt;
    return ValueForCaller(text.substr(at.value->first, at.value->second - at.value->first), comments, codeSet);
}

std::error_code WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view value) {
    return WriteIniValue(path, section, key, value, SystemCodeSet());
}

std::error_code WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view value, const std::string& codeSet) {
    const std::pair<std::string_view, std::string_view> entry[] = {{key, value}};
    return WriteEntries(path, section, entry, codeSet);
}

std::error_code WriteIniValues(const std::string& path, std::string_view section,
                               std::span<const std::pair<std::string, std::string>> entries) {
    return WriteIniValues(path, section, entries, SystemCodeSet());
}

std::error_code WriteIniValues(const std::string& path, std::string_view section,
                               std::span<const std::pair<std::string, std::string>> entries,
                               const std::string& codeSet) {
    return WriteEntries(path, section, entries, codeSet);
}

std::vector<IniSectionName> ReadIniSections(const std::string& path) {
    return ReadIniSections(path, SystemCodeSet());
}

std::vector<IniSectionName> ReadIniSections(const std::string& path, const std::string& codeSet) {
    const LoadedFile file = LoadRegularFile(path, kIniFileLimit);
    if (file.status != LoadStatus::Loaded) return {};
    return IniSectionsOf(file.bytes, codeSet);
}

std::vector<IniSectionName> IniSectionsOf(std::string_view text, const std::string& codeSet) {
    std::vector<IniSectionName> names;
    std::unordered_map<std::string, std::size_t> index;  // ASCII-lowered name -> its place in `names`
    ForEachLine(text, [&](const Line& line) {
        const ParsedLine parsed = ParseLine(text.substr(line.begin, line.end - line.begin), codeSet);
        if (parsed.kind != LineKind::Section || parsed.name.empty()) return true;
        std::string name = ConvertToUtf8(parsed.name, codeSet);
        const auto [at, first] = index.try_emplace(AsciiLowered(name), names.size());
        if (first) {
            names.push_back(IniSectionName{std::move(name)});
        } else {
            ++names[at->second].count;
        }
        return true;
    });
    return names;
}

}  // namespace qm
