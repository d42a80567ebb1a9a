#include "tools/report/json_writer.h"

#include "base/codepage.h"

namespace qm {
namespace {

void AppendEscape(std::string& out, unsigned code) {
    constexpr char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(code >> shift) & 0xF];
}

}  // namespace

std::string JsonQuoted(std::string_view text) {
    const std::string utf8 = SanitizeUtf8(text);
    std::string out = "\"";
    out.reserve(utf8.size() + 2);
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        switch (c) {
            case '"': out += "\\\""; continue;
            case '\\': out += "\\\\"; continue;
            case '\b': out += "\\b"; continue;
            case '\f': out += "\\f"; continue;
            case '\n': out += "\\n"; continue;
            case '\r': out += "\\r"; continue;
            case '\t': out += "\\t"; continue;
            default: break;
        }
        if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, c);
        } else if (c == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            AppendEscape(out, static_cast<unsigned char>(utf8[++i]));  // C1: U+0080..U+009F
        } else if (c == 0xE2 && utf8.compare(i, 2, "\xE2\x80") == 0 && i + 2 < utf8.size() &&
                   (utf8[i + 2] == '\xA8' || utf8[i + 2] == '\xA9')) {
            AppendEscape(out, 0x2000 + static_cast<unsigned char>(utf8[i + 2]) - 0x80);  // U+2028, U+2029
            i += 2;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

void JsonWriter::Key(std::string_view key) {
    BeginValue();
    out_ += JsonQuoted(key);
    out_ += ": ";
    afterKey_ = true;
}

void JsonWriter::String(std::string_view text) {
    BeginValue();
    out_ += JsonQuoted(text);
}

void JsonWriter::Int(std::int64_t value) {
    BeginValue();
    out_ += std::to_string(value);
}

void JsonWriter::Digits(std::string_view digits) {
    const std::string_view unsigned_ = digits.substr(!digits.empty() && digits[0] == '-' ? 1 : 0);
    if (unsigned_.empty() || unsigned_.find_first_not_of("0123456789") != std::string_view::npos) return Null();
    BeginValue();
    out_ += digits;
}

void JsonWriter::Null() {
    BeginValue();
    out_ += "null";
}

void JsonWriter::Open(char bracket) {
    BeginValue();
    out_ += bracket;
    hasItems_.push_back(false);
}

void JsonWriter::Close(char bracket) {
    const bool hadItems = !hasItems_.empty() && hasItems_.back();
    if (!hasItems_.empty()) hasItems_.pop_back();
    if (hadItems) {
        out_ += '\n';
        out_.append(2 * hasItems_.size(), ' ');
    }
    out_ += bracket;
}

void JsonWriter::BeginValue() {
    if (afterKey_) {  // the value of a key: on the key's line
        afterKey_ = false;
        return;
    }
    if (hasItems_.empty()) return;  // the document itself
    if (hasItems_.back()) out_ += ',';
    hasItems_.back() = true;
    out_ += '\n';
    out_.append(2 * hasItems_.size(), ' ');
}

}  // namespace qm
