#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "WindowTestScreen.h"

namespace statehood {
namespace {

constexpr int QtBaseDpi = 96;

int screenDpi = QtBaseDpi;
bool qtScaling = false;

// Takes the screen options out of the arguments; false on a malformed one.
bool TakeScreenArguments(int& argc, char** argv) {
  constexpr const char dpiPrefix[] = "--logical-dpi=";
  int kept = 1;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], dpiPrefix, sizeof dpiPrefix - 1) == 0) {
      char* end = nullptr;
      const long dpi = std::strtol(argv[i] + sizeof dpiPrefix - 1, &end, 10);
      ok = ok && *end == '\0' && dpi > 0 && dpi < 10000;
      screenDpi = static_cast<int>(dpi);
    } else if (std::strcmp(argv[i], "--qt-scaling") == 0) {
      qtScaling = true;
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  argv[argc] = nullptr;
  return ok;
}

}  // namespace

int TestScreenDpi() { return screenDpi; }
bool TestQtScaling() { return qtScaling; }
int TestWidgetDpi() { return qtScaling ? QtBaseDpi : screenDpi; }

QString TestScreenName() {
  return QStringLiteral("%1dpi%2").arg(screenDpi).arg(qtScaling ? QStringLiteral("-scaled") : QString());
}

QString TestPicturePath(const QString& name) {
  return QStringLiteral(TEST_OUTPUT_DIR "/%1-%2.png").arg(name, TestScreenName());
}

}  // namespace statehood

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();  // listing needs no display
  if (!statehood::TakeScreenArguments(argc, argv)) {
    std::fprintf(stderr, "usage: %s [--logical-dpi=N] [--qt-scaling] [gtest options]\n", argv[0]);
    return 2;
  }
  // The offscreen platform reads the screen from a description written by the build.
  const QString screen =
      QStringLiteral(TEST_OUTPUT_DIR "/screen-%1dpi.json").arg(statehood::TestScreenDpi());
  if (!QFile::exists(screen)) {
    std::fprintf(stderr, "no screen description %s\n", qPrintable(screen));
    return 2;
  }
  // The screen under test is always the offscreen one described above, also
  // when the environment names the offscreen platform already (scripts/test
  // does, for every Qt program it runs).
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform.isEmpty() || platform == "offscreen") {
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).toLocal8Bit());
  }
  qputenv("QT_ENABLE_HIGHDPI_SCALING", statehood::TestQtScaling() ? "1" : "0");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
