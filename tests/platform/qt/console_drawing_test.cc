#include "desktop_fixture.h"

#include <QPixmap>

namespace zirbin::platform::qt {
namespace {

// Runs the demo tour as a script named at start-up and keeps a picture of the console
// in the build directory for a person to look at.
TEST_F(DesktopTest, TourRunsAsAStartUpScriptAndLeavesAScreenshot) {
  app_.reset();
  DesktopOptions options;
  options.script = std::string(ZIRBIN_BIN_DIR) + "/demo/tour.zrb";
  start(options);
  const std::vector<std::string> shown = lines();
  ASSERT_GE(shown.size(), 3u);
  // The script's directory and path are data, never typed text: the tour's own lines
  // come first.
  EXPECT_EQ(shown[0].rfind("> cd", 0), std::string::npos) << shown[0];
  EXPECT_EQ(shown[0].rfind("--- Numbers", 0), 0u) << shown[0];
  QApplication::processEvents();
  const QPixmap picture = window().grab();
  EXPECT_FALSE(picture.isNull());
  EXPECT_TRUE(picture.save(QString(ZIRBIN_BIN_DIR) + "/../console_tour.png"));
}

}  // namespace
}  // namespace zirbin::platform::qt
