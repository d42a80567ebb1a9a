#include "ini/ini_lines.h"

#include "base/codepage.h"
#include "base/text.h"

namespace qm {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

ParsedLine EntryLine(std::string_view text, std::size_t equals) {
    ParsedLine parsed;
    const std::string_view key = Trim(text.substr(0, equals));
    if (key.empty()) return parsed;
    parsed.kind = LineKind::Entry;
    parsed.name = key;
    parsed.value = Trim(text.substr(equals + 1));
    if (parsed.value.empty()) {
        parsed.valueBegin = parsed.valueEnd = equals + 1;
    } else {
        parsed.valueBegin = static_cast<std::size_t>(parsed.value.data() - text.data());
        parsed.valueEnd = parsed.valueBegin + parsed.value.size();
    }
    return parsed;
}

}  // namespace

std::size_t FirstLineStart(std::string_view text) {
    return text.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
}

Line LineAt(std::string_view text, std::size_t pos) {
    std::size_t end = text.find_first_of(kLineBreakOrNul, pos);
    if (end == std::string_view::npos) end = text.size();
    std::size_t next = end;
    if (next < text.size()) next += text.substr(next, 2) == "\r\n" ? 2 : 1;
    return Line{pos, end, next};
}

std::string_view LineEndStyle(std::string_view text) {
    const std::size_t pos = text.find_first_of("\r\n");
    if (pos == std::string_view::npos) return "\r\n";
    if (text[pos] == '\n') return "\n";
    return text.substr(pos, 2) == "\r\n" ? std::string_view("\r\n") : std::string_view("\r");
}

ParsedLine ParseLine(std::string_view text, const std::string& codeSet) {
    ParsedLine parsed;
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty()) return parsed;
    if (trimmed.front() == ';') {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (trimmed.front() == '[') {
        const std::size_t close = FindAsciiCharacter(trimmed, ']', codeSet);
        if (close == std::string_view::npos) return parsed;
        parsed.kind = LineKind::Section;
        parsed.name = Trim(trimmed.substr(1, close - 1));
        return parsed;
    }
    const std::size_t equals = text.find('=');
    return equals == std::string_view::npos ? parsed : EntryLine(text, equals);
}

NameMatcher::NameMatcher(std::string_view utf8Name, const std::string& codeSet)
    : codeSet_(codeSet),
      utf8_(IsUtf8CodeSetName(codeSet)),
      encoded_(ConvertFromUtf8(Trim(utf8Name), codeSet)),
      exact_(ConvertToUtf8(encoded_, codeSet) == Trim(utf8Name)) {}

bool NameMatcher::Matches(std::string_view fileName) const {
    if (!exact_ || !EqualsIgnoringAsciiCase(fileName, encoded_)) return false;
    if (utf8_ || fileName == encoded_) return true;
    // In a double-byte code page an ASCII letter may be the second byte of
    // a character; only letters that are characters of their own may
    // differ in case, so compare the decoded texts.
    return EqualsIgnoringAsciiCase(ConvertToUtf8(fileName, codeSet_), ConvertToUtf8(encoded_, codeSet_));
}

EntryLocation LocateEntry(std::string_view text, const NameMatcher& section, const NameMatcher& key) {
    EntryLocation at;
    bool inSection = false;
    ForEachLine(text, [&](const Line& line) {
        const std::string_view lineText = text.substr(line.begin, line.end - line.begin);
        const ParsedLine parsed = ParseLine(lineText, section.CodeSet());
        at.anyLine = true;
        at.lastLineBlank = Trim(lineText).empty();
        at.lastLineBroken = line.next > line.end;
        if (parsed.kind == LineKind::Section) {
            if (inSection) return false;  // only the first section of the name counts
            inSection = section.Matches(parsed.name);
            if (!inSection) return true;
            at.sectionFound = true;
        } else if (!inSection || parsed.kind != LineKind::Entry) {
            return true;
        } else if (key.Matches(parsed.name)) {
            at.value = {line.begin + parsed.valueBegin, line.begin + parsed.valueEnd};
            return false;
        }
        at.insertAt = line.next;
        at.insertNeedsBreak = line.next == line.end;
        return true;
    });
    return at;
}

}  // namespace qm
