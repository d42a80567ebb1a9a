// Failure messages: a Japanese sentence for each common cause, the system's
// own text after it; the program's own errors as they are.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "commands/autostart.h"
#include "commands/error_text.h"

namespace qm {
namespace {

TEST(ErrorTextTest, ACommonCauseIsSaidInJapaneseBeforeTheSystemsText) {
    const std::pair<int, const char*> causes[] = {
        {EACCES, "書き込む権限がないか、読み取り専用のファイルです。"},
        {ENOENT, "ファイルまたはフォルダーが見つかりません。"},
        {ENOSPC, "ディスクの空き容量が足りません。"},
        {EROFS, "読み取り専用のファイルシステムには書き込めません。"},
        {EFBIG, "ファイルが大きすぎます。"},
        {EISDIR, "フォルダーです。ファイルの名前を指定してください。"},
        {ELOOP, "シンボリックリンクです。リンクの先には書き込みません。"},
        {EPERM, "この操作は許可されていません (別のユーザーのファイルなど)。"},
        {ENOTSUP, "エラーが起きました。"},  // a cause without a sentence of its own
    };
    for (const auto& [code, sentence] : causes) {
        const std::error_code error(code, std::generic_category());
        EXPECT_EQ(ErrorMessageText(error), std::string(sentence) + "\r\n(" + std::strerror(code) + ")") << code;
        EXPECT_EQ(ErrorMessageText(std::error_code(code, std::system_category())), ErrorMessageText(error));
    }
    const std::error_code unfit(1, AutostartPathCategory());
    EXPECT_EQ(ErrorMessageText(unfit), kAutostartPathUnfit);
}

}  // namespace
}  // namespace qm
