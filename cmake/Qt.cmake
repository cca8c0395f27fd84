# Qt 6 Widgets for the quiz, from Debian's qt6-base-dev (installed by scripts/setup).
find_package(Qt6 REQUIRED COMPONENTS Widgets)
if(SONARA_BUILD_TESTS)
  find_package(Qt6 REQUIRED COMPONENTS Test)
endif()
