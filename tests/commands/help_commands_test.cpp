// The links hand the right targets to the desktop, and nothing else happens.
#include <gtest/gtest.h>

#include "commands/help_commands.h"
#include "tests/commands/command_fixture.h"

namespace qm {
namespace {

TEST(HelpCommandsTest, EachLinkHandsItsTargetToTheDesktop) {
    test::CommandFixture f;
    f.places.dataFolder = "/opt/q/share/quillmoor";
    OpenHelp(f.context);
    OpenSmartArticle(f.context);
    OpenHomePage(f.context);
    OpenMakerMaxima(f.context);
    EXPECT_EQ(f.launcher.opened,
              (std::vector<std::string>{
                  "file:/opt/q/share/quillmoor/ヘルプ.txt",
                  "address:https://ja.wikipedia.org/wiki/Self-Monitoring,_Analysis_and_Reporting_Technology",
                  "file:/opt/q/share/quillmoor/site/index.htm",
                  "file:/opt/q/share/quillmoor/site/quillmoor/hddmaxvalue.htm"}));
    EXPECT_TRUE(f.messages.shown.empty());  // a missing file is the desktop's to report
}

}  // namespace
}  // namespace qm
