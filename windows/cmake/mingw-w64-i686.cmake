# 32-bit Windows: cmake -DCMAKE_TOOLCHAIN_FILE=windows/cmake/mingw-w64-i686.cmake
set(SONARA_MINGW_TRIPLET i686-w64-mingw32)
set(SONARA_MINGW_ARCH x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
