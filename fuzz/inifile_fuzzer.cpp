// The settings file: the input is the whole file. Inputs of even length are
// read as UTF-8, those of odd length as Shift_JIS (the code set of a Japanese
// Windows-style locale, where a "]" or "\" byte can be the second byte of a
// character).
//
// Reads every section name, and the values of the first keys the file has in
// its first sections, in both comment modes; then writes the first value back
// under the first key of the first section (or into a new section) and reads
// it again. Checked: every text read is UTF-8 within the value limit; the
// write succeeds on any file within the size limit, reads back exactly, keeps
// every section and leaves the values of other sections alone (a name the
// code page cannot hold is refused and the file left as it was).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "base/codepage.h"
#include "base/file_replace.h"
#include "ini/ini_lines.h"
#include "ini/inifile.h"
#include "base/text.h"

namespace {

using qm::fuzz::Require;

constexpr std::size_t kSectionsLooked = 3;
constexpr std::size_t kKeysLooked = 3;
constexpr std::size_t kOthersLooked = 3;
// A value read is at most kIniValueLimit bytes of the file; each byte or
// character becomes at most three UTF-8 bytes.
constexpr std::size_t kMaxValueBytes = 3 * qm::kIniValueLimit;

// Keys of the entries of the file, in file order, as UTF-8, at most `limit`.
std::vector<std::string> KeysOf(std::string_view text, const std::string& codeSet, std::size_t limit) {
    std::vector<std::string> keys;
    qm::ForEachLine(text, [&](const qm::Line& line) {
        const qm::ParsedLine parsed = qm::ParseLine(text.substr(line.begin, line.end - line.begin), codeSet);
        if (parsed.kind == qm::LineKind::Entry) keys.push_back(qm::ConvertToUtf8(parsed.name, codeSet));
        return keys.size() < limit;
    });
    return keys;
}

std::size_t Headers(const std::vector<qm::IniSectionName>& sections) {
    std::size_t n = 0;
    for (const qm::IniSectionName& s : sections) n += s.count;
    return n;
}

bool IsPrintableAscii(std::string_view s) {
    for (char c : s)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

// A value of the file's bytes `text`, checked. The file reads (ReadIniValue)
// are these lookups on the loaded file; the target reads the file itself
// where it matters (the first lookup, the value written), and looks the rest
// up in memory.
std::optional<std::string> Lookup(std::string_view text, const std::string& section, const std::string& key,
                                  const std::string& codeSet, qm::InlineComments comments = qm::InlineComments::Keep) {
    std::optional<std::string> value = qm::IniValueOf(text, section, key, comments, codeSet);
    Require(!value || (qm::fuzz::IsUtf8(*value) && value->size() <= kMaxValueBytes), "a value is UTF-8 within the limit");
    return value;
}

std::string Load(const std::string& path) {
    const qm::LoadedFile file = qm::LoadRegularFile(path, qm::kIniFileLimit);
    Require(file.status == qm::LoadStatus::Loaded, "the scratch file loads");
    return file.bytes;
}

// Writes `value` under `key` of `section` and checks the file afterwards.
void CheckWrite(const std::string& path, std::string_view text, const std::string& codeSet,
                const std::vector<qm::IniSectionName>& before, const std::string& section, const std::string& key,
                const std::string& value) {
    if (!qm::IsSafeIniSection(section) || !qm::IsSafeIniKey(key) || !qm::IsSafeIniValue(value)) return;
    // The values of `key` in the other sections that can be named unambiguously.
    std::vector<std::pair<std::string, std::optional<std::string>>> others;
    for (const qm::IniSectionName& s : before) {
        if (others.size() < kOthersLooked && IsPrintableAscii(s.name) &&
            !qm::EqualsIgnoringAsciiCase(qm::Trim(s.name), qm::Trim(section)))
            others.emplace_back(s.name, Lookup(text, s.name, key, codeSet));
    }

    const std::error_code error = qm::WriteIniValue(path, section, key, value, codeSet);
    // A name the code page cannot hold (read from bytes that are no
    // character) would be written as another name: the write is refused.
    if (!qm::NameMatcher(section, codeSet).Exact() || !qm::NameMatcher(key, codeSet).Exact()) {
        Require(error && Load(path) == text, "a name the code page cannot hold is never written");
        return;
    }
    Require(!error, "a write into a readable file within the limit succeeds");

    const std::string stored = qm::ConvertFromUtf8(value, codeSet);
    if (stored.size() <= qm::kIniValueLimit) {
        Require(qm::ReadIniValue(path, section, key, qm::InlineComments::Keep, codeSet) == qm::ConvertToUtf8(stored, codeSet),
                "a written value reads back");
    }
    // Names read back are UTF-8: two names whose bytes differ only where
    // they are not characters read alike, so count section headers.
    const std::string written = Load(path);
    const std::vector<qm::IniSectionName> after = qm::IniSectionsOf(written, codeSet);
    Require(after.size() >= before.size(), "a write keeps every section");
    for (std::size_t i = 0; i < before.size(); ++i) Require(after[i].name == before[i].name, "a write keeps every section");
    Require(Headers(after) - Headers(before) <= 1, "a write adds at most one section");
    for (const auto& [name, value] : others) Require(Lookup(written, name, key, codeSet) == value, "other sections stay");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string kUtf8 = "UTF-8";
    static const std::string kShiftJis = "SHIFT_JIS";
    const std::string& codeSet = size % 2 == 0 ? kUtf8 : kShiftJis;
    const std::string path = (qm::fuzz::ScratchFolder::Path() / "Quillmoor.ini").string();
    qm::fuzz::WriteFile(path, {data, size});
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::vector<qm::IniSectionName> sections = qm::ReadIniSections(path, codeSet);
    for (const qm::IniSectionName& s : sections) {
        Require(!s.name.empty() && qm::fuzz::IsUtf8(s.name) && s.count >= 1, "section names are UTF-8, counted");
    }
    const std::vector<std::string> keys = KeysOf(text, codeSet, kKeysLooked);
    std::optional<std::string> firstValue;
    for (std::size_t s = 0; s < sections.size() && s < kSectionsLooked; ++s) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            const std::optional<std::string> kept = Lookup(text, sections[s].name, keys[k], codeSet);
            const std::optional<std::string> stripped =
                Lookup(text, sections[s].name, keys[k], codeSet, qm::InlineComments::Strip);
            Require(kept.has_value() == stripped.has_value(), "comment stripping never hides a key");
            if (!firstValue) {
                Require(qm::ReadIniValue(path, sections[s].name, keys[k], qm::InlineComments::Keep, codeSet) == kept,
                        "the file reads as its bytes");
                firstValue = kept;
            }
        }
    }

    const std::string section = sections.empty() ? "Fuzz" : sections.front().name;
    const std::string key = keys.empty() ? "Key" : keys.front();
    CheckWrite(path, text, codeSet, sections, section, key, firstValue.value_or(" quoted ; value "));
    return 0;
}
