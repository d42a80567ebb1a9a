// The settings-file format: an INI text file in the system code page, read
// and written the way the Windows profile functions do it, with writes that
// can never leave a half-written file behind.
//
// Sections are "[name]" lines; entries are "key=value" lines. Section and key
// names match without regard to ASCII letter case. The file is opened afresh
// on every call; nothing is cached.
//
// Reading rules: white space around section names, keys and values is
// trimmed; one pair of matching quotes (" or ') around a value is removed;
// lines starting with ";" are comments; other lines are ignored. Lines end at
// LF, CR LF, a lone CR or a NUL byte; a UTF-8 byte-order mark at the start is
// skipped. Only the first section of a name and, in it, the first entry of a
// key count. Writing keeps every other byte of the file as it was, uses the
// file's line ends (CR LF for a new file), and stores a value that starts or
// ends with white space, or is itself quoted, inside one pair of double
// quotes, so that it reads back exactly as written.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace qm {

// Longest value a read returns, in bytes of the file's code page.
inline constexpr std::size_t kIniValueLimit = 254;

// Largest file the reader and writer accept. A larger file reads as missing
// and is never rewritten (a write to it fails), so a runaway or hostile file
// costs bounded memory and is never truncated by a write.
inline constexpr std::size_t kIniFileLimit = std::size_t{16} * 1024 * 1024;

enum class InlineComments {
    Keep,   // "a ; b" is the value (the profile-function behaviour; settings file)
    Strip,  // a ";" after white space starts a comment (hand-written files such as drives.ini)
};

// Value of `key` in `section` of the file at `path`, converted to UTF-8 and cut
// to at most kIniValueLimit bytes of the file's encoding (never inside a
// character). nullopt when the file, the section or the key is missing (or
// unreadable); the empty text for a key present with an empty value.
std::optional<std::string> ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                         InlineComments comments = InlineComments::Keep);

// Sets `key` in `section` to `value`: replaces the value in place when the key
// exists, otherwise appends the key to the section, creating the section and
// the file as needed. The new file is written to a temporary file beside it
// and renamed over the old one, so a failure leaves the old file untouched.
// Returns no error when the value is stored; otherwise nothing was written,
// and the error says why: the error of the system call that failed, EINVAL
// for an unsafe path, name or value (one that could break the file's format:
// see IsSafeIniSection, IsSafeIniKey and IsSafeIniValue), EISDIR or EINVAL
// for a file that is not a regular one, EFBIG for one beyond kIniFileLimit.
// A file that already holds the value is left alone (no error). A file that
// exists but cannot be read, is not a regular file or is larger than
// kIniFileLimit is never replaced. Nor is a symbolic link (ELOOP: a write
// never follows one), a file of another user (EPERM) or one whose owner made
// it read-only (EACCES, also for root). The new file keeps the old one's
// permission bits.
[[nodiscard]] std::error_code WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value);

// Sets several keys of one section in one replacement of the file: the same
// as calling WriteIniValue for each entry in order (a key given twice ends
// with its last value), but the file is read once and rewritten at most once,
// so either every entry is stored or none is. The whole batch is refused
// (EINVAL, file untouched) when any key or value is unsafe. A batch that
// changes nothing, or an empty one, leaves the file alone (no error).
// Errors as for WriteIniValue.
[[nodiscard]] std::error_code WriteIniValues(const std::string& path, std::string_view section,
                    std::span<const std::pair<std::string, std::string>> entries);

// A section or key name that can be stored without changing the meaning of
// the file: non-empty after trimming, no line break or NUL, no "=" in a key,
// no "]" in a section, no leading "[" or ";" in a key.
bool IsSafeIniSection(std::string_view section);
bool IsSafeIniKey(std::string_view key);
// A value that can be stored: no line break and no NUL.
bool IsSafeIniValue(std::string_view value);

// Turns arbitrary text (such as a drive's model and serial) into a key that
// IsSafeIniKey accepts: control characters, "=", and a leading "[" or ";"
// are replaced by "_". The same input always gives the same key.
// Bytes that are not UTF-8 become U+FFFD, C1 control characters "_" too,
// blanks at either end are dropped (the file would trim them), and a text
// with nothing left gives "_".
std::string NeutralizeIniKey(std::string_view text);

// One section name of a file: as first spelled, and how many section headers
// of the file carry it (in any letter case). Only the first section of a name
// is ever read; a count above 1 means the later ones are ignored.
struct IniSectionName {
    std::string name;
    std::size_t count = 1;
    friend bool operator==(const IniSectionName&, const IniSectionName&) = default;
};

// The section names of the file, each once, in the order of their first
// header (for readers that walk a whole file, such as the simulated drive
// set). Empty when unreadable.
std::vector<IniSectionName> ReadIniSections(const std::string& path);

// The same four operations for a file in the code set `codeSet` (an iconv
// name such as "SHIFT_JIS") instead of the system code page; section, key
// and value texts are UTF-8 as above.
std::optional<std::string> ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                                        InlineComments comments, const std::string& codeSet);
[[nodiscard]] std::error_code WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                                            std::string_view value, const std::string& codeSet);
[[nodiscard]] std::error_code WriteIniValues(const std::string& path, std::string_view section,
                    std::span<const std::pair<std::string, std::string>> entries, const std::string& codeSet);
std::vector<IniSectionName> ReadIniSections(const std::string& path, const std::string& codeSet);

// The same two reads on the bytes of a whole file loaded beforehand, for a
// reader that looks up many values of one file (the simulated drive set
// reads its drives.ini once, not once per value).
std::optional<std::string> IniValueOf(std::string_view text, std::string_view section, std::string_view key,
                                      InlineComments comments, const std::string& codeSet);
std::vector<IniSectionName> IniSectionsOf(std::string_view text, const std::string& codeSet);

}  // namespace qm
