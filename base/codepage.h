// Text crossing the platform (identity strings, settings file, CSV file) is
// in the system code page: the code set of the user's locale. Inside the
// program every text is UTF-8. This module is the one place that converts.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qm {

// The code set name the conversions use ("UTF-8" for a plain C/POSIX locale,
// since converting Japanese text to ASCII would destroy it).
const std::string& SystemCodeSet();

// Bytes in the system code page to UTF-8. Bytes that do not form a character
// become U+FFFD, one per byte, so hostile input never stops the conversion.
std::string FromSystemCodePage(std::span<const std::uint8_t> bytes);
std::string FromSystemCodePage(std::string_view bytes);

// UTF-8 to the system code page. A character the code page cannot hold
// becomes "?"; invalid UTF-8 bytes become "?" too.
std::string ToSystemCodePage(std::string_view utf8);

// Explicit code sets, for tests and for callers that know the encoding.
std::string ConvertToUtf8(std::string_view bytes, const std::string& fromCodeSet);
std::string ConvertFromUtf8(std::string_view utf8, const std::string& toCodeSet);

// Replaces every byte sequence that is not valid UTF-8 with U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

// Text from a drive or a file made safe to show: every control character
// (C0, DEL and C1, NUL included), the line and paragraph separators (U+2028,
// U+2029) and the controls of text direction (U+061C, U+200E, U+200F,
// U+202A-U+202E, U+2066-U+2069) become "?", so such text cannot add lines to
// a tooltip, move a terminal's cursor, hide a label or reverse the text
// around it. Expects UTF-8; bytes that are not UTF-8 are left as they are.
std::string DisplayText(std::string_view text);

// True for the names of UTF-8 ("UTF-8", "utf8", "UTF_8", ...).
bool IsUtf8CodeSetName(std::string_view name);

// The code set the conversions use for a locale of this name, when the name
// alone settles it: "UTF-8" for the plain C locale ("", "C", "POSIX") and for
// names whose code set part is UTF-8 ("ja_JP.UTF-8", "C.utf8@mod"). nullopt
// when the locale itself must be asked (no code set part, another code set,
// a path).
std::optional<std::string> CodeSetOfLocaleName(std::string_view locale);

// Length of the valid UTF-8 sequence that starts at s[i] (no overlong forms,
// no surrogates), or 0 when the bytes there do not start one.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i);

// Offset of the first byte of `bytes` that is the ASCII character `c` as a
// character of its own in `codeSet`, not the second byte of a double-byte
// character (in Shift_JIS, 0x5D "]" and 0x5C "\" can be either); npos when
// there is none. A byte that is no character counts as one.
std::size_t FindAsciiCharacter(std::string_view bytes, char c, const std::string& codeSet);

// Length of the longest start of `bytes`, at most `limit` bytes, that does not
// end inside a character of `codeSet`. A byte that is no character counts as one.
std::size_t CodePageCut(std::string_view bytes, std::size_t limit, const std::string& codeSet);

}  // namespace qm
