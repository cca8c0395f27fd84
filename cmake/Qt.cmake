# Qt 6 Widgets for the quiz, from Debian's qt6-base-dev (installed by scripts/setup).
find_package(Qt6 REQUIRED COMPONENTS Widgets)
if(SONARA_BUILD_TESTS)
  find_package(Qt6 REQUIRED COMPONENTS Test)
endif()

# The quiz draws its texts in Liberation Sans (Debian's fonts-liberation, installed
# by scripts/setup), found through fontconfig. Without it another sans-serif
# stands in, the program still runs, and the window tests fail on the font.
find_program(SONARA_FC_LIST fc-list)
if(SONARA_FC_LIST)
  execute_process(COMMAND ${SONARA_FC_LIST} "Liberation Sans" family
                  OUTPUT_VARIABLE _quiz_font_families ERROR_QUIET)
  if(NOT _quiz_font_families MATCHES "Liberation Sans")
    message(WARNING "Statehood: the font Liberation Sans is not installed; install "
                    "fonts-liberation (scripts/setup does).")
  endif()
endif()
