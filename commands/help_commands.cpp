#include "commands/help_commands.h"

#include <filesystem>

namespace qm {
namespace {

void OpenDataFile(CommandContext& context, std::string_view name) {
    context.launcher.OpenFile((std::filesystem::path(context.places.dataFolder) / name).string());
}

}  // namespace

void OpenHelp(CommandContext& context) { OpenDataFile(context, kHelpFileName); }

void OpenSmartArticle(CommandContext& context) { context.launcher.OpenAddress(std::string(kSmartArticle)); }

void OpenHomePage(CommandContext& context) { OpenDataFile(context, kHomePage); }

void OpenMakerMaxima(CommandContext& context) { OpenDataFile(context, kMakerMaximaPage); }

}  // namespace qm
