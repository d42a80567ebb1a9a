#include "base/codepage.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "base/text.h"

namespace qm {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Conversion descriptors, opened once per thread and pair of code sets and
// kept. Opening one loads the code set's conversion module, which glibc
// unloads again when its last descriptor closes, so a descriptor per call
// would cost a dlopen and a dlclose every time. A descriptor carries a
// conversion state, so each thread has its own; within a thread no
// conversion runs inside another.
class Converters {
public:
    Converters() = default;
    Converters(const Converters&) = delete;
    Converters& operator=(const Converters&) = delete;
    ~Converters() {
        for (const Entry& e : entries_) Close(e.cd);
    }

    // The descriptor from `from` to `to` in its initial state; kNoConverter
    // when iconv cannot convert between them.
    iconv_t Get(const char* to, const char* from) {
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const Entry& e) { return e.to == to && e.from == from; });
        if (it == entries_.end()) {
            if (entries_.size() == kLimit) {
                Close(entries_.front().cd);
                entries_.erase(entries_.begin());
            }
            it = entries_.insert(entries_.end(), Entry{to, from, iconv_open(to, from)});
        }
        if (it->cd != kNoConverter) iconv(it->cd, nullptr, nullptr, nullptr, nullptr);  // the initial state
        return it->cd;
    }

private:
    // The system code set both ways, and what tests and callers name.
    static constexpr std::size_t kLimit = 8;
    struct Entry {
        std::string to, from;
        iconv_t cd;
    };
    static void Close(iconv_t cd) {
        if (cd != kNoConverter) iconv_close(cd);
    }
    std::vector<Entry> entries_;
};

iconv_t Converter(const char* to, const char* from) {
    thread_local Converters converters;
    return converters.Get(to, from);
}

// The locale that decides LC_CTYPE, as the C library picks it from the
// environment: LC_ALL, LC_CTYPE, LANG, the first one set and not empty.
std::string_view CtypeLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

std::string DetectCodeSet() {
    // Most environments name the code set; then the locale need not be loaded.
    if (const auto named = CodeSetOfLocaleName(CtypeLocaleName())) return *named;
    locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
    std::string name;
    if (loc != static_cast<locale_t>(nullptr)) {
        const char* cs = nl_langinfo_l(CODESET, loc);
        if (cs != nullptr) name = cs;
        freelocale(loc);
    }
    // The plain C locale reports ASCII; treat it, and anything unusable, as UTF-8.
    if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII") return "UTF-8";
    if (Converter("UTF-8", name.c_str()) == kNoConverter) return "UTF-8";
    return IsUtf8CodeSetName(name) ? "UTF-8" : name;
}

std::size_t SequenceLength(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return 1;
    std::size_t len = 0;
    unsigned lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) len = 2;
    else if (b0 == 0xE0) { len = 3; lo = 0xA0; }
    else if (b0 >= 0xE1 && b0 <= 0xEC) len = 3;
    else if (b0 == 0xED) { len = 3; hi = 0x9F; }
    else if (b0 >= 0xEE && b0 <= 0xEF) len = 3;
    else if (b0 == 0xF0) { len = 4; lo = 0x90; }
    else if (b0 >= 0xF1 && b0 <= 0xF3) len = 4;
    else if (b0 == 0xF4) { len = 4; hi = 0x8F; }
    else return 0;
    if (i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if (b < lo || b > hi) return 0;
        lo = 0x80;
        hi = 0xBF;
    }
    return len;
}

// Rebuilds UTF-8 text character by character: `keep(sequence)` gives what a
// valid character becomes, `bad` what a byte that starts none becomes.
template <typename Keep>
std::string MapUtf8(std::string_view text, Keep&& keep, std::string_view bad) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t len = SequenceLength(text, i);
        if (len == 0) {
            out.append(bad.empty() ? text.substr(i, 1) : bad);
            ++i;
            continue;
        }
        out.append(keep(text.substr(i, len)));
        i += len;
    }
    return out;
}

std::string_view AsItIs(std::string_view sequence) { return sequence; }

bool IsValidUtf8(std::string_view text) {
    constexpr std::uint64_t kHighBits = 0x8080808080808080;
    for (std::size_t i = 0; i < text.size();) {
        std::uint64_t word = 0;  // ASCII runs, eight bytes at a time
        if (text.size() - i >= sizeof word && (std::memcpy(&word, text.data() + i, sizeof word), word & kHighBits) == 0) {
            i += sizeof word;
            continue;
        }
        const std::size_t len = static_cast<unsigned char>(text[i]) < 0x80 ? 1 : SequenceLength(text, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

// UTF-8 as it is, with "?" for each byte that starts no character.
std::string ValidUtf8OrQuestionMarks(std::string_view utf8) {
    return IsValidUtf8(utf8) ? std::string(utf8) : MapUtf8(utf8, AsItIs, "?");
}

bool SystemCodeSetIsUtf8() {
    static const bool utf8 = IsUtf8CodeSetName(SystemCodeSet());
    return utf8;
}

// Runs iconv over the whole input; an unconvertible input byte (or character)
// is replaced by `replacement` and skipped.
std::string Convert(std::string_view in, const char* to, const char* from, std::string_view replacement,
                    bool inputIsUtf8) {
    iconv_t cd = Converter(to, from);
    if (cd == kNoConverter) return std::string(in);
    std::string out;
    std::vector<char> buf(in.size() * 4 + 16);
    std::size_t pos = 0;
    while (pos < in.size()) {
        char* inPtr = const_cast<char*>(in.data() + pos);
        std::size_t inLeft = in.size() - pos;
        char* outPtr = buf.data();
        std::size_t outLeft = buf.size();
        const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buf.data(), static_cast<std::size_t>(outPtr - buf.data()));
        pos = static_cast<std::size_t>(inPtr - in.data());
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: skip one offending unit.
        out += replacement;
        std::size_t skip = 1;
        if (inputIsUtf8) {
            const std::size_t len = SequenceLength(in, pos);
            skip = len == 0 ? 1 : len;
        }
        pos += skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Flush any shift state.
    char* outPtr = buf.data();
    std::size_t outLeft = buf.size();
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buf.data(), static_cast<std::size_t>(outPtr - buf.data()));
    return out;
}

// The code point of one valid UTF-8 sequence.
char32_t CodePoint(std::string_view sequence) {
    constexpr unsigned char kLeadBits[] = {0x7F, 0x1F, 0x0F, 0x07};
    char32_t c = static_cast<unsigned char>(sequence[0]) & kLeadBits[sequence.size() - 1];
    for (std::size_t k = 1; k < sequence.size(); ++k) c = c << 6 | (static_cast<unsigned char>(sequence[k]) & 0x3F);
    return c;
}

// Characters that must not reach a label, a tooltip or a terminal: the C0
// and C1 controls and DEL (they add lines, move a cursor or hide a label),
// the line and paragraph separators (they add lines), and the marks,
// embeddings, overrides and isolates of text direction (they reverse the
// text around them).
constexpr bool IsUnsafeToShow(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

bool IsUtf8CodeSetName(std::string_view name) {
    constexpr std::string_view kLetters = "utf8";
    std::size_t matched = 0;
    for (char c : name) {
        if (c == '-' || c == '_') continue;
        if (matched == kLetters.size() || AsciiLower(c) != kLetters[matched]) return false;
        ++matched;
    }
    return matched == kLetters.size();
}

std::optional<std::string> CodeSetOfLocaleName(std::string_view locale) {
    if (locale.empty() || locale == "C" || locale == "POSIX") return "UTF-8";  // the plain C locale counts as UTF-8
    // A name with a "/" is a path to locale files, which may say anything.
    if (locale.find('/') != std::string_view::npos) return std::nullopt;
    const std::size_t dot = locale.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const std::string_view codeSet = locale.substr(dot + 1, locale.find('@', dot) - dot - 1);
    if (IsUtf8CodeSetName(codeSet)) return "UTF-8";
    return std::nullopt;
}

std::size_t Utf8SequenceLength(std::string_view s, std::size_t i) {
    return i < s.size() ? SequenceLength(s, i) : 0;
}

// Longest start of `bytes` of at most `limit` bytes that does not end inside
// a character of `codeSet`. A byte that is no character counts as one.
std::size_t CodePageCut(std::string_view bytes, std::size_t limit, const std::string& codeSet) {
    if (bytes.size() <= limit) return bytes.size();
    if (IsUtf8CodeSetName(codeSet)) {
        std::size_t pos = 0;
        while (pos < limit) {
            const std::size_t len = SequenceLength(bytes, pos);
            const std::size_t step = len == 0 ? 1 : len;
            if (step > limit - pos) break;
            pos += step;
        }
        return pos;
    }
    // Other code sets: let iconv decode the first `limit` bytes; it reports a
    // character cut off at the end as incomplete input (EINVAL) and leaves the
    // input pointer at that character's first byte.
    iconv_t cd = Converter("UTF-8", codeSet.c_str());
    if (cd == kNoConverter) return limit;
    std::size_t pos = 0;
    std::size_t cut = limit;
    char scratch[64];
    while (pos < limit) {
        char* in = const_cast<char*>(bytes.data() + pos);
        std::size_t inLeft = limit - pos;
        char* out = scratch;
        std::size_t outLeft = sizeof scratch;
        const std::size_t r = iconv(cd, &in, &inLeft, &out, &outLeft);
        pos = static_cast<std::size_t>(in - bytes.data());
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        if (errno == EILSEQ) {  // not a character: it stands for itself
            ++pos;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            continue;
        }
        cut = pos;  // EINVAL: the last character is incomplete
        break;
    }
    return cut;
}

std::size_t FindAsciiCharacter(std::string_view bytes, char c, const std::string& codeSet) {
    // In UTF-8 an ASCII byte is never part of a longer character.
    if (IsUtf8CodeSetName(codeSet)) return bytes.find(c);
    iconv_t cd = Converter("UTF-32LE", codeSet.c_str());
    if (cd == kNoConverter) return bytes.find(c);
    // Decodes one character at a time (an output of one UTF-32 unit), so that
    // every position looked at is the start of a character.
    std::size_t pos = 0;
    std::size_t found = std::string_view::npos;
    while (pos < bytes.size()) {
        if (bytes[pos] == c) {
            found = pos;
            break;
        }
        char* in = const_cast<char*>(bytes.data() + pos);
        std::size_t inLeft = bytes.size() - pos;
        char unit[4];
        char* out = unit;
        std::size_t outLeft = sizeof unit;
        iconv(cd, &in, &inLeft, &out, &outLeft);
        const auto next = static_cast<std::size_t>(in - bytes.data());
        if (next > pos) {
            pos = next;
            continue;
        }
        ++pos;  // not a character (or an incomplete one at the end): the byte stands for itself
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return found;
}

std::string DisplayText(std::string_view text) {
    // Bytes that are not UTF-8 are left as they are.
    return MapUtf8(
        text, [](std::string_view c) { return IsUnsafeToShow(CodePoint(c)) ? std::string_view("?") : c; }, {});
}

const std::string& SystemCodeSet() {
    static const std::string codeSet = DetectCodeSet();
    return codeSet;
}

std::string SanitizeUtf8(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return std::string(bytes);
    return MapUtf8(bytes, AsItIs, kReplacement);
}

std::string ConvertToUtf8(std::string_view bytes, const std::string& fromCodeSet) {
    if (IsUtf8CodeSetName(fromCodeSet)) return SanitizeUtf8(bytes);
    return Convert(bytes, "UTF-8", fromCodeSet.c_str(), kReplacement, false);
}

std::string ConvertFromUtf8(std::string_view utf8, const std::string& toCodeSet) {
    if (IsUtf8CodeSetName(toCodeSet)) return ValidUtf8OrQuestionMarks(utf8);
    return Convert(utf8, toCodeSet.c_str(), "UTF-8", "?", true);
}

std::string FromSystemCodePage(std::span<const std::uint8_t> bytes) {
    return FromSystemCodePage(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string FromSystemCodePage(std::string_view bytes) {
    return SystemCodeSetIsUtf8() ? SanitizeUtf8(bytes) : ConvertToUtf8(bytes, SystemCodeSet());
}

std::string ToSystemCodePage(std::string_view utf8) {
    return SystemCodeSetIsUtf8() ? ValidUtf8OrQuestionMarks(utf8) : ConvertFromUtf8(utf8, SystemCodeSet());
}

}  // namespace qm
