#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "WindowTestScreen.h"

namespace statehood {
namespace {

int screenDpi = 96;

// Takes --logical-dpi=N out of the arguments; false when N is not a number.
bool TakeDpiArgument(int& argc, char** argv) {
  constexpr const char prefix[] = "--logical-dpi=";
  int kept = 1;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], prefix, sizeof prefix - 1) == 0) {
      char* end = nullptr;
      const long dpi = std::strtol(argv[i] + sizeof prefix - 1, &end, 10);
      ok = *end == '\0' && dpi > 0 && dpi < 10000;
      screenDpi = static_cast<int>(dpi);
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

QString TestPicturePath(const QString& name) {
  return QStringLiteral(TEST_OUTPUT_DIR "/%1-%2dpi.png").arg(name).arg(screenDpi);
}

}  // namespace statehood

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();  // listing needs no display
  if (!statehood::TakeDpiArgument(argc, argv)) {
    std::fprintf(stderr, "usage: %s [--logical-dpi=N] [gtest options]\n", argv[0]);
    return 2;
  }
  // The offscreen screen of the requested dpi. Qt's own scaling is off, so the
  // widgets see that dpi as their logical dpi and lay out the twips with it.
  const QString screen = QStringLiteral(TEST_OUTPUT_DIR "/screen-%1dpi.json").arg(statehood::screenDpi);
  if (!QFile::exists(screen)) {
    std::fprintf(stderr, "no screen description %s\n", qPrintable(screen));
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).toLocal8Bit());
  }
  qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
