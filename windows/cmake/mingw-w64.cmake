# Cross-compiling for Windows with Debian's mingw-w64 (g++-mingw-w64-*).
# Included by the two per-architecture toolchain files, which set
# SONARA_MINGW_TRIPLET first. The posix variants of the compilers are used:
# their C++ library has std::mutex and std::thread, which the win32 variants
# of GCC 12 lack.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${SONARA_MINGW_ARCH})

set(CMAKE_C_COMPILER ${SONARA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SONARA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SONARA_MINGW_TRIPLET}-windres)
find_program(SONARA_WIDL ${SONARA_MINGW_TRIPLET}-widl REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${SONARA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
