// Test entry: an offscreen QApplication, our TApplication with a recording exception
// display, then GoogleTest.
#include <QApplication>
#include <gtest/gtest.h>

#include "TestSupport.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  vexa::test::InstallExceptionRecorder();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
