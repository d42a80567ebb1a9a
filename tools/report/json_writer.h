// A small writer of JSON text: objects, arrays, strings and numbers, two
// blanks of indent per level, commas where they belong. Every string it
// writes is valid UTF-8 with its control characters escaped, whatever bytes
// it is given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// `text` as a JSON string, quotes included: bytes that are not UTF-8 become
// U+FFFD; '"' and '\' are escaped; C0 controls, DEL, C1 controls and the
// line and paragraph separators (U+2028, U+2029) become \uXXXX escapes (or
// \b, \f, \n, \r, \t), so the text stays one line of any reader's JSON.
std::string JsonQuoted(std::string_view text);

class JsonWriter {
public:
    void BeginObject() { Open('{'); }
    void EndObject() { Close('}'); }
    void BeginArray() { Open('['); }
    void EndArray() { Close(']'); }

    // The key of the next value; inside an object only.
    void Key(std::string_view key);

    void String(std::string_view text);
    void Int(std::int64_t value);
    // A number given as its decimal digits (an optional '-' first), written
    // as it is: exact however long (a 128-bit counter); anything that is not
    // such digits is written as null.
    void Digits(std::string_view digits);
    void Null();

    // The text written so far, with a line end.
    std::string Text() const { return out_ + "\n"; }

private:
    void Open(char bracket);
    void Close(char bracket);
    // Starts a value: a comma after an earlier one, a line break and the
    // indent inside an array (an object's value follows its key).
    void BeginValue();

    std::string out_;
    std::vector<bool> hasItems_;  // per open level: something was written in it
    bool afterKey_ = false;
};

}  // namespace qm
