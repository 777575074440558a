#include "desktop_fixture.h"

#include <QMenuBar>

namespace zirbin::platform::qt {
namespace {

TEST_F(DesktopTest, TypedLineIsEchoedAndRun) {
  EXPECT_EQ(window().windowTitle(), "Zirbin 5a");
  EXPECT_EQ(window().pos(), QPoint(100, 30));
  type("x = 2 + 3");
  EXPECT_EQ(markupLine(0, 1), "{g > {b:x = 2 + 3");
  EXPECT_EQ(lastLine(0, 0), "5");
}

}  // namespace
}  // namespace zirbin::platform::qt
