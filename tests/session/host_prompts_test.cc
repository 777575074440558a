#include "session/host_prompts.h"

#include <gtest/gtest.h>

namespace zirbin::session {
namespace {

TEST(HostPrompts, HeadlessTurnsNoticesIntoConsoleLinesAndAnswersNothing) {
  HeadlessHost host;
  std::vector<std::string> console;
  HostPrompts prompts(host, [&](const std::string& line) { console.push_back(line); }, false);
  prompts.notify("problem loading path list", "zirbin startup");
  EXPECT_EQ(console, std::vector<std::string>{"problem loading path list"});
  EXPECT_TRUE(host.messageBoxes.empty());
  EXPECT_EQ(prompts.askOkCancel("question?", "title"), std::nullopt);
  EXPECT_EQ(prompts.askYesNo("question?", "title"), std::nullopt);
  EXPECT_EQ(prompts.browseFolder("/"), std::nullopt);
}

TEST(HostPrompts, InteractiveUsesMessageBoxesAndTheFolderBrowser) {
  HeadlessHost host;
  HostPrompts prompts(host, {}, true);
  prompts.notify("problem loading previous session", "zirbin startup");
  EXPECT_EQ(host.messageBoxes, std::vector<std::string>{"problem loading previous session"});
  host.messageBoxAnswer = kAnswerCancel;
  EXPECT_EQ(prompts.askOkCancel("Large matrices will not be saved: ok to exit?", "zirbin exit"),
            false);
  host.messageBoxAnswer = kAnswerOk;
  EXPECT_EQ(prompts.askYesNo("sure?", "cd"), true);
  EXPECT_EQ(prompts.browseFolder("/"), "");  // the headless host's browser is cancelled
  prompts.printLine("dropped without a console");
}

}  // namespace
}  // namespace zirbin::session
