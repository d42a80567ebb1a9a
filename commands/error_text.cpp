#include "commands/error_text.h"

#include <cerrno>
#include <string_view>

namespace qm {
namespace {

struct Cause {
    int code;
    std::string_view sentence;
};

// The causes a file or folder operation of the program meets, each once.
constexpr Cause kCauses[] = {
    {EACCES, "書き込む権限がないか、読み取り専用のファイルです。"},
    {EPERM, "この操作は許可されていません (別のユーザーのファイルなど)。"},
    {ENOENT, "ファイルまたはフォルダーが見つかりません。"},
    {ENOTDIR, "パスの途中にフォルダーではないものがあります。"},
    {EISDIR, "フォルダーです。ファイルの名前を指定してください。"},
    {ENOSPC, "ディスクの空き容量が足りません。"},
    {EDQUOT, "ディスクの使用量の上限を超えています。"},
    {EROFS, "読み取り専用のファイルシステムには書き込めません。"},
    {EFBIG, "ファイルが大きすぎます。"},
    {ENAMETOOLONG, "ファイルの名前またはパスが長すぎます。"},
    {ELOOP, "シンボリックリンクです。リンクの先には書き込みません。"},
    {EINVAL, "通常のファイルではないか、使えない名前です。"},
    {EEXIST, "同じ名前のファイルがすでにあります。"},
    {EAGAIN, "処理の途中でファイルが変わりました。もう一度お試しください。"},
    {EBUSY, "ファイルが使用中です。"},
    {ETXTBSY, "ファイルが使用中です。"},
    {EIO, "ディスクの読み書きでエラーが起きました。"},
    {EMFILE, "開いているファイルが多すぎます。"},
    {ENFILE, "開いているファイルが多すぎます。"},
    {ENOMEM, "メモリーが足りません。"},
};

constexpr std::string_view kOtherCause = "エラーが起きました。";

}  // namespace

std::string ErrorMessageText(const std::error_code& error) {
    const bool system = error.category() == std::generic_category() || error.category() == std::system_category();
    if (!system) return error.message();
    std::string_view sentence = kOtherCause;
    for (const Cause& cause : kCauses)
        if (cause.code == error.value()) sentence = cause.sentence;
    return std::string(sentence) + "\r\n(" + error.message() + ")";
}

void ShowErrorMessage(MessageBoxes& boxes, const std::error_code& error) {
    boxes.Show(MessageIcon::None, MessageButtons::Ok, std::string(kMessageCaption), ErrorMessageText(error));
}

}  // namespace qm
