// Small text helpers the core shares: trimming and ASCII letter case.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// The blank (U+0020) alone: the padding of a drive's identity strings.
inline constexpr std::string_view kBlank = " ";
// White space of the C locale: blank, tab, line feed, vertical tab, form feed, carriage return.
inline constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

// `text` without the leading and trailing characters that are in `characters`.
constexpr std::string_view Trim(std::string_view text, std::string_view characters = kWhiteSpace) {
    const std::size_t first = text.find_first_not_of(characters);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

// `text` without leading and trailing blanks (U+0020 only; a tab stays).
std::string TrimBlanks(std::string_view text);

constexpr bool IsWhiteSpace(char c) { return kWhiteSpace.find(c) != std::string_view::npos; }

constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// True when `a` and `b` are the same text but for the letter case of ASCII
// letters; every other byte must match exactly.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// `text` with its ASCII capital letters made small.
std::string AsciiLowered(std::string_view text);

}  // namespace qm
