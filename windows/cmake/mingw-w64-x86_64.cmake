# 64-bit Windows: cmake -DCMAKE_TOOLCHAIN_FILE=windows/cmake/mingw-w64-x86_64.cmake
set(SONARA_MINGW_TRIPLET x86_64-w64-mingw32)
set(SONARA_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
