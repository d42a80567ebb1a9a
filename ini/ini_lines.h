// The lines of a settings file (ini/inifile.h) as the reader and the
// writer see them: where each line is, what kind it is, and where an entry
// of a section stands. Bytes are in the file's code page throughout.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace qm {

inline constexpr std::string_view kLineBreakOrNul{"\r\n\0", 3};

inline bool HasLineBreakOrNul(std::string_view s) { return s.find_first_of(kLineBreakOrNul) != std::string_view::npos; }

// One line of the file: bytes [begin, end) are its text; the next line starts
// at `next` (end plus the length of the line break; equal to end for a last
// line without one).
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

// Where the first line starts: after a UTF-8 byte-order mark, if there is one.
std::size_t FirstLineStart(std::string_view text);

// The line that starts at `pos`. A line ends at LF, CR LF, a lone CR or a NUL byte.
Line LineAt(std::string_view text, std::size_t pos);

// Calls visit(line) for every line of `text`, stopping when visit returns false.
template <typename Visit>
void ForEachLine(std::string_view text, Visit&& visit) {
    for (std::size_t pos = FirstLineStart(text); pos < text.size();) {
        const Line line = LineAt(text, pos);
        if (!visit(line)) return;
        pos = line.next;
    }
}

// The line-end style of the file: the first line break it has; CR LF for a
// file without any.
std::string_view LineEndStyle(std::string_view text);

enum class LineKind { Other, Comment, Section, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;       // section name or key, trimmed
    std::string_view value;      // entry value, trimmed, as stored
    std::size_t valueBegin = 0;  // offsets of the stored value within the line
    std::size_t valueEnd = 0;
};

// What one line (without its line break, in the code set `codeSet`) is: blank
// or other text, a comment (";" first), a section header ("[name]", the name
// ending at the first "]" that is a character of its own; what follows it,
// such as a comment, is not part of the name) or an entry ("key=value").
ParsedLine ParseLine(std::string_view text, const std::string& codeSet);

// A section name or key as the caller gave it (UTF-8), ready to be compared
// with names in the file.
class NameMatcher {
public:
    NameMatcher(std::string_view utf8Name, const std::string& codeSet);

    // The name in the file's code page, as it is written.
    const std::string& Encoded() const { return encoded_; }

    // True when the file's code page holds the name exactly. A name it
    // cannot hold (a character it lacks, bytes that are not UTF-8) would be
    // written with "?" in their place, that is as another name: it matches
    // nothing and is never written.
    bool Exact() const { return exact_; }

    // True when `fileName` (bytes of the file) is the same name, ignoring
    // ASCII letter case; always false for a name that is not Exact().
    bool Matches(std::string_view fileName) const;

    const std::string& CodeSet() const { return codeSet_; }

private:
    std::string codeSet_;
    bool utf8_;
    std::string encoded_;
    bool exact_;
};

// Where an entry stands, or would stand, in a file's text.
struct EntryLocation {
    // The stored value of the key in the first section of the name: offsets
    // [first, second) in the text. nullopt when that section lacks the key.
    std::optional<std::pair<std::size_t, std::size_t>> value;
    bool sectionFound = false;
    std::size_t insertAt = 0;       // after the section's last entry (or its header)
    bool insertNeedsBreak = false;  // that line is the file's last and has no line break
    // How the file ends; read to the end only when the section was not found.
    bool anyLine = false;
    bool lastLineBlank = false;
    bool lastLineBroken = true;  // the last line ends with a line break
};

EntryLocation LocateEntry(std::string_view text, const NameMatcher& section, const NameMatcher& key);

}  // namespace qm
