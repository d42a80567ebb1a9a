// The help menu's and the view menu's links: the help file and the pages
// shipped with the program, and the encyclopedia article on S.M.A.R.T.,
// handed to the desktop. Whether they open is the desktop's business.
#pragma once

#include <string_view>

#include "commands/command_context.h"

namespace qm {

// In the program's data folder (ProgramPlaces::dataFolder).
inline constexpr std::string_view kHelpFileName = "ヘルプ.txt";
// The program's own little web site, shipped in the data folder: its home
// page, and the page of the maximum attribute values per drive maker.
inline constexpr std::string_view kHomePage = "site/index.htm";
inline constexpr std::string_view kMakerMaximaPage = "site/quillmoor/hddmaxvalue.htm";

// The Japanese encyclopedia article on S.M.A.R.T.
inline constexpr std::string_view kSmartArticle =
    "https://ja.wikipedia.org/wiki/Self-Monitoring,_Analysis_and_Reporting_Technology";

void OpenHelp(CommandContext& context);          // ヘルプ
void OpenSmartArticle(CommandContext& context);  // S.M.A.R.Tとは
void OpenHomePage(CommandContext& context);      // 作者ホームページ
void OpenMakerMaxima(CommandContext& context);   // メーカー別属性最大値の確認

}  // namespace qm
