#include "commands/export_csv.h"

#include "commands/csv_export.h"
#include "commands/error_text.h"
#include "base/codepage.h"
#include "base/file_replace.h"

namespace qm {
namespace {

constexpr std::size_t kNameStemLimit = 200;  // bytes; file names may have 255

// Code point of the UTF-8 sequence of `length` bytes at `s[i]`.
char32_t CodePoint(std::string_view s, std::size_t i, std::size_t length) {
    const auto byte = [&](std::size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k])); };
    if (length == 1) return byte(0);
    char32_t value = byte(0) & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) value = (value << 6) | (byte(k) & 0x3F);
    return value;
}

// Characters that must not stand in a proposed file name.
bool Unfit(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return true;       // control characters
    if (std::u32string_view(U"/\\:*?\"<>|").find(c) != std::u32string_view::npos) return true;
    return c == 0x061C || (c >= 0x200B && c <= 0x200F) ||        // marks and zero widths
           (c >= 0x2028 && c <= 0x202E) ||                       // separators, embeddings, overrides
           (c >= 0x2060 && c <= 0x2069) || c == 0xFEFF;          // isolates, invisible operators
}

}  // namespace

std::string ProposedCsvName(std::string_view model, std::string_view serial) {
    const std::string text = SanitizeUtf8(TrimBlanks(std::string(model)) + "-" + TrimBlanks(std::string(serial)));
    std::string stem;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);  // never 0 after SanitizeUtf8
        if (stem.size() + length > kNameStemLimit) break;
        const bool hidden = stem.empty() && text[i] == '.';
        if (Unfit(CodePoint(text, i, length)) || hidden)
            stem += '_';
        else
            stem.append(text, i, length);
        i += length;
    }
    return stem + ".csv";
}

void ExportCsv(CommandContext& context) {
    const DriveViewContent& shown = context.window.ShownDrive();
    const SaveFileRequest request{context.places.saveFolder, ProposedCsvName(shown.model, shown.serial),
                                  {kCsvFilters.begin(), kCsvFilters.end()}, kCsvFilterIndex};
    const std::optional<std::string> path = context.files.AskSaveFileName(request);
    if (!path) return;
    // A link in the chosen place is followed only when it is the user's own
    // in a folder no one else may write: one planted under a shared folder
    // such as /tmp must not lead the export to another file.
    context.monitor.Ask(context.window.SelectedSlot(), DriveQuestion::Full, [&context, target = *path](const DriveAnswer& answer) {
        if (const std::error_code error =
                ReplaceFileContents(target, AttributeCsvBytes(answer.record), LinkRule::FollowOwn))
            ShowErrorMessage(context.messages, error);
    });
}

}  // namespace qm
