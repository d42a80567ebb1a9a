#include "platform/inifile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <unordered_set>

#include "platform/codepage.h"
#include "platform/text.h"
#include "platform/unique_fd.h"

namespace qm {
namespace {

constexpr std::string_view kLineBreakOrNul{"\r\n\0", 3};
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool HasLineBreakOrNul(std::string_view s) { return s.find_first_of(kLineBreakOrNul) != std::string_view::npos; }

// ---------------------------------------------------------------------------
// Lines

// One line of the file: bytes [begin, end) are its text; the next line starts
// at `next` (end plus the length of the line break; equal to end for a last
// line without one).
struct Line {
    std::size_t begin;
    std::size_t end;
    std::size_t next;
};

std::size_t ByteOrderMarkLength(std::string_view text) {
    return text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark ? kUtf8ByteOrderMark.size() : 0;
}

// Calls visit(line) for every line of `text`, stopping when visit returns false.
// A line ends at LF, CR LF, a lone CR or a NUL byte.
template <typename Visit>
void ForEachLine(std::string_view text, Visit&& visit) {
    std::size_t pos = ByteOrderMarkLength(text);
    while (pos < text.size()) {
        std::size_t end = text.find_first_of(kLineBreakOrNul, pos);
        if (end == std::string_view::npos) end = text.size();
        std::size_t next = end;
        if (next < text.size()) {
            next += text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n' ? 2 : 1;
        }
        if (!visit(Line{pos, end, next})) return;
        pos = next;
    }
}

// The line-end style of the file: the first line break it has; CR LF for a
// file without any.
std::string_view LineEndStyle(std::string_view text) {
    const std::size_t pos = text.find_first_of("\r\n");
    if (pos == std::string_view::npos) return "\r\n";
    if (text[pos] == '\n') return "\n";
    return pos + 1 < text.size() && text[pos + 1] == '\n' ? std::string_view("\r\n") : std::string_view("\r");
}

enum class LineKind { Other, Comment, Section, Entry };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string_view name;       // section name or key, trimmed
    std::string_view value;      // entry value, trimmed, as stored
    std::size_t valueBegin = 0;  // offsets of the stored value within the line
    std::size_t valueEnd = 0;
};

ParsedLine ParseLine(std::string_view text) {
    ParsedLine parsed;
    const std::string_view trimmed = Trim(text);
    if (trimmed.empty()) return parsed;
    if (trimmed.front() == ';') {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (trimmed.front() == '[') {
        // The name runs to the last "]": a double-byte code page may have "]"
        // as the second byte of a character inside the name.
        const std::size_t close = trimmed.rfind(']');
        if (close == std::string_view::npos || close == 0) return parsed;
        parsed.kind = LineKind::Section;
        parsed.name = Trim(trimmed.substr(1, close - 1));
        return parsed;
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return parsed;
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

// A section name or key as the caller gave it (UTF-8), ready to be compared
// with names in the file.
class NameMatcher {
public:
    NameMatcher(std::string_view utf8Name, const std::string& codeSet)
        : codeSet_(codeSet), utf8_(IsUtf8CodeSetName(codeSet)), encoded_(ConvertFromUtf8(Trim(utf8Name), codeSet)) {}

    // The name in the file's code page, as it is written.
    const std::string& Encoded() const { return encoded_; }

    // True when `fileName` (bytes of the file) is the same name, ignoring
    // ASCII letter case.
    bool Matches(std::string_view fileName) const {
        if (!EqualsIgnoringAsciiCase(fileName, encoded_)) return false;
        if (utf8_ || fileName == encoded_) return true;
        // In a double-byte code page an ASCII letter may be the second byte of
        // a character; only letters that are characters of their own may
        // differ in case, so compare the decoded texts.
        return EqualsIgnoringAsciiCase(ConvertToUtf8(fileName, codeSet_), ConvertToUtf8(encoded_, codeSet_));
    }

private:
    std::string codeSet_;
    bool utf8_;
    std::string encoded_;
};

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
// Files

enum class LoadStatus { Loaded, Missing, Failed };

struct LoadedFile {
    LoadStatus status = LoadStatus::Failed;
    int error = 0;  // the cause when Failed (an errno value)
    std::string bytes;
    struct stat info {};
};

// Reads a regular file of at most kIniFileLimit bytes. Opening without
// blocking and checking the type keeps a FIFO or device from stalling the read.
LoadedFile LoadFile(const std::string& path) {
    LoadedFile file;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        file.error = errno;
        file.status = file.error == ENOENT ? LoadStatus::Missing : LoadStatus::Failed;
        return file;
    }
    if (::fstat(fd.get(), &file.info) != 0) {
        file.error = errno;
        return file;
    }
    if (!S_ISREG(file.info.st_mode)) {
        file.error = S_ISDIR(file.info.st_mode) ? EISDIR : EINVAL;
        return file;
    }
    if (file.info.st_size < 0 || static_cast<std::uint64_t>(file.info.st_size) > kIniFileLimit) {
        file.error = EFBIG;
        return file;
    }
    file.bytes.resize(static_cast<std::size_t>(file.info.st_size));
    std::size_t used = 0;
    for (;;) {
        if (used == file.bytes.size()) {
            // The file may have grown since fstat; read on, within the limit.
            if (file.bytes.size() > kIniFileLimit) {
                file.error = EFBIG;
                return file;
            }
            file.bytes.resize(std::min(file.bytes.size() + 4096, kIniFileLimit + 1));
        }
        const ssize_t got = ::read(fd.get(), file.bytes.data() + used, file.bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            file.error = errno;
            return file;
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    if (used > kIniFileLimit) {
        file.error = EFBIG;
        return file;
    }
    file.bytes.resize(used);
    file.status = LoadStatus::Loaded;
    return file;
}

// The file a write replaces: the target of a symbolic link, so that a linked
// settings file stays linked.
std::string WriteTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : path;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// Writes all bytes; returns 0 or the error of the write that failed.
int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (put == 0) return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return 0;
}

std::string UniqueSuffix() {
    static std::atomic<std::uint64_t> counter{0};
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t mix = static_cast<std::uint64_t>(now.tv_nsec) ^ (static_cast<std::uint64_t>(now.tv_sec) << 30) ^
                        (static_cast<std::uint64_t>(::getpid()) << 20) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ULL);
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 10; ++i) {
        suffix += kDigits[mix % 36];
        mix /= 36;
    }
    return suffix;
}

// A new file beside the target, removed again unless it was renamed into place.
// Each step reports the error of the call that failed (an errno value; 0 for
// success), taken before any cleanup can change errno.
class TemporaryFile {
public:
    // Creates the file; Error() is not 0 when that failed. Created like any
    // new file (mode 0666 less the umask), exclusively, never through a link.
    explicit TemporaryFile(const std::string& target) {
        std::string prefix = target + ".tmp";
        error_ = EEXIST;
        for (int attempt = 0; attempt < 100 && !fd_; ++attempt) {
            const std::string name = prefix + UniqueSuffix();
            UniqueFd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
            if (fd) {
                fd_ = std::move(fd);
                name_ = name;
                error_ = 0;
            } else if (errno == ENAMETOOLONG && prefix != FolderOf(target) + "/.ini.tmp") {
                prefix = FolderOf(target) + "/.ini.tmp";  // a long file name leaves no room for the suffix
            } else if (errno != EEXIST) {
                error_ = errno;
                return;
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        fd_.close();
        if (!name_.empty()) ::unlink(name_.c_str());
    }

    int Error() const { return error_; }
    int Fd() const { return fd_.get(); }

    // Flushes the file to the disk and closes it.
    int SyncAndClose() {
        const int synced = ::fsync(fd_.get()) == 0 ? 0 : errno;
        const int closed = fd_.close().value();
        return synced != 0 ? synced : closed;
    }

    // Renames the closed file over `target`; afterwards the object owns nothing.
    int RenameTo(const std::string& target) {
        if (::rename(name_.c_str(), target.c_str()) != 0) return errno;
        name_.clear();
        return 0;
    }

private:
    UniqueFd fd_;
    int error_ = 0;
    std::string name_;
};

// Replaces the file `target` by `content` through a temporary file and a
// rename. `original` describes the file being replaced (null when there is
// none): its permission bits, and where possible its owner, carry over.
// Returns 0, or the error of the step that failed.
int ReplaceFile(const std::string& target, std::string_view content, const struct stat* original) {
    TemporaryFile temp(target);
    if (temp.Error() != 0) return temp.Error();
    if (original != nullptr) {
        if (original->st_uid != ::geteuid() || original->st_gid != ::getegid()) {
            // Best effort: only a privileged writer can hand the file back to
            // its owner, and the content matters more than the owner.
            const int ignored = ::fchown(temp.Fd(), original->st_uid, original->st_gid);
            static_cast<void>(ignored);
        }
        if (::fchmod(temp.Fd(), original->st_mode & 07777) != 0) return errno;
    }
    if (const int error = WriteAll(temp.Fd(), content); error != 0) return error;
    if (const int error = temp.SyncAndClose(); error != 0) return error;
    if (const int error = temp.RenameTo(target); error != 0) return error;
    // Make the rename itself durable; the new file is complete either way.
    UniqueFd folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return 0;
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
    const NameMatcher& wantedKey = entry.key;
    const std::string& storedValue = entry.storedValue;

    bool inSection = false;
    bool sectionFound = false;
    std::size_t insertAt = 0;        // after the section's last entry (or its header)
    bool insertNeedsBreak = false;   // that line is the last one and has no line break
    std::optional<std::pair<std::size_t, std::size_t>> valueRange;
    bool anyLine = false;
    bool lastLineBlank = false;
    bool lastLineBroken = true;      // the last line ends with a line break
    ForEachLine(text, [&](const Line& line) {
        const std::string_view lineText = text.substr(line.begin, line.end - line.begin);
        const ParsedLine parsed = ParseLine(lineText);
        anyLine = true;
        lastLineBlank = Trim(lineText).empty();
        lastLineBroken = line.next > line.end;
        if (parsed.kind == LineKind::Section) {
            if (inSection) return false;
            inSection = wantedSection.Matches(parsed.name);
            if (inSection) {
                sectionFound = true;
                insertAt = line.next;
                insertNeedsBreak = line.next == line.end;
            }
        } else if (inSection && parsed.kind == LineKind::Entry) {
            if (wantedKey.Matches(parsed.name)) {
                valueRange = {line.begin + parsed.valueBegin, line.begin + parsed.valueEnd};
                return false;
            }
            insertAt = line.next;
            insertNeedsBreak = line.next == line.end;
        }
        return true;
    });

    std::string content;
    content.reserve(text.size() + wantedSection.Encoded().size() + wantedKey.Encoded().size() +
                    storedValue.size() + 16);
    const std::string entryLine = wantedKey.Encoded() + "=" + storedValue;
    if (valueRange) {
        content.append(text.substr(0, valueRange->first));
        content.append(storedValue);
        content.append(text.substr(valueRange->second));
    } else if (sectionFound) {
        content.append(text.substr(0, insertAt));
        if (insertNeedsBreak) content.append(eol);
        content.append(entryLine);
        content.append(eol);
        content.append(text.substr(insertAt));
    } else {
        content.append(text);
        if (anyLine) {
            if (!lastLineBroken) content.append(eol);
            if (!lastLineBlank) content.append(eol);  // a blank line before the new section
        }
        content.append("[").append(wantedSection.Encoded()).append("]").append(eol);
        content.append(entryLine);
        content.append(eol);
    }
    return content;
}

// The whole write: every name and value checked first (EINVAL refuses the
// batch), the file read once, each entry applied in turn, and the result
// stored in one replacement, or not at all when it equals the file.
// Returns 0 or the error that stopped it.
template <typename Entries>
int WriteEntries(const std::string& path, std::string_view section, const Entries& entries,
                 const std::string& codeSet) {
    if (path.empty() || !IsSafeIniSection(section)) return EINVAL;
    for (const auto& [key, value] : entries)
        if (!IsSafeIniKey(key) || !IsSafeIniValue(value)) return EINVAL;
    if (std::empty(entries)) return 0;

    const NameMatcher wantedSection(section, codeSet);
    if (HasLineBreakOrNul(wantedSection.Encoded())) return EINVAL;
    std::vector<EncodedEntry> encoded;
    encoded.reserve(std::size(entries));
    for (const auto& [key, value] : entries) {
        EncodedEntry entry{NameMatcher(key, codeSet), StoredValue(ConvertFromUtf8(value, codeSet))};
        // The conversion never produces these, but the file's format depends on it.
        if (HasLineBreakOrNul(entry.key.Encoded()) || entry.key.Encoded().find('=') != std::string::npos ||
            HasLineBreakOrNul(entry.storedValue)) {
            return EINVAL;
        }
        encoded.push_back(std::move(entry));
    }

    const std::string target = WriteTarget(path);
    const LoadedFile file = LoadFile(target);
    if (file.status == LoadStatus::Failed) return file.error != 0 ? file.error : EIO;  // never replace what could not be read
    std::string content = file.bytes;
    for (const EncodedEntry& entry : encoded) {
        content = WithEntry(content, wantedSection, entry);
        if (content.size() > kIniFileLimit) return EFBIG;
    }
    if (file.status == LoadStatus::Loaded && content == file.bytes) return 0;  // already stored
    return ReplaceFile(target, content, file.status == LoadStatus::Loaded ? &file.info : nullptr);
}

// The public result: true for success; otherwise false with errno set to the cause.
bool Succeeded(int error) {
    if (error == 0) return true;
    errno = error;
    return false;
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

std::string ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                         InlineComments comments) {
    return ReadIniValue(path, section, key, comments, SystemCodeSet());
}

std::string ReadIniValue(const std::string& path, std::string_view section, std::string_view key,
                         InlineComments comments, const std::string& codeSet) {
    if (!IsSafeIniSection(section) || !IsSafeIniKey(key)) return std::string(kIniMissing);
    const LoadedFile file = LoadFile(path);
    if (file.status != LoadStatus::Loaded) return std::string(kIniMissing);
    const std::string_view text = file.bytes;
    const NameMatcher wantedSection(section, codeSet);
    const NameMatcher wantedKey(key, codeSet);
    bool inSection = false;
    std::optional<std::string_view> stored;
    ForEachLine(text, [&](const Line& line) {
        const ParsedLine parsed = ParseLine(text.substr(line.begin, line.end - line.begin));
        if (parsed.kind == LineKind::Section) {
            if (inSection) return false;  // only the first section of the name counts
            inSection = wantedSection.Matches(parsed.name);
        } else if (inSection && parsed.kind == LineKind::Entry && wantedKey.Matches(parsed.name)) {
            stored = parsed.value;
            return false;
        }
        return true;
    });
    if (!stored) return std::string(kIniMissing);
    return ValueForCaller(*stored, comments, codeSet);
}

bool WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value) {
    return WriteIniValue(path, section, key, value, SystemCodeSet());
}

bool WriteIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value, const std::string& codeSet) {
    const std::pair<std::string_view, std::string_view> entry[] = {{key, value}};
    return Succeeded(WriteEntries(path, section, entry, codeSet));
}

bool WriteIniValues(const std::string& path, std::string_view section,
                    std::span<const std::pair<std::string, std::string>> entries) {
    return WriteIniValues(path, section, entries, SystemCodeSet());
}

bool WriteIniValues(const std::string& path, std::string_view section,
                    std::span<const std::pair<std::string, std::string>> entries, const std::string& codeSet) {
    return Succeeded(WriteEntries(path, section, entries, codeSet));
}

std::vector<std::string> ReadIniSections(const std::string& path) { return ReadIniSections(path, SystemCodeSet()); }

std::vector<std::string> ReadIniSections(const std::string& path, const std::string& codeSet) {
    std::vector<std::string> names;
    const LoadedFile file = LoadFile(path);
    if (file.status != LoadStatus::Loaded) return names;
    const std::string_view text = file.bytes;
    std::unordered_set<std::string> seen;  // ASCII-lowered, so that a repeated section is listed once
    ForEachLine(text, [&](const Line& line) {
        const ParsedLine parsed = ParseLine(text.substr(line.begin, line.end - line.begin));
        if (parsed.kind != LineKind::Section || parsed.name.empty()) return true;
        std::string name = ConvertToUtf8(parsed.name, codeSet);
        if (seen.insert(AsciiLowered(name)).second) names.push_back(std::move(name));
        return true;
    });
    return names;
}

}  // namespace qm
