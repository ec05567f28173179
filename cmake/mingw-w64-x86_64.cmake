# CMake toolchain file: Debian's MinGW-w64 (posix threads) targeting 64-bit Windows.
#
# Where the libraries built for Windows live:
#   QT_MINGW_PREFIX     the Qt for MinGW prefix (the folder holding lib/cmake/Qt6);
#   GTEST_MINGW_PREFIX  googletest cross-built with this file (optional).
# Without them, the cache that scripts/windows-sdk.sh fills ($NELVORA_QT_MINGW, default
# ~/.cache/nelvora/qt6.4.2-mingw-w64) supplies both: <cache>/qt6-mingw and <cache>/googletest.
# Both join the find root, so find_package() finds them wherever they were unpacked; pass
# -DCMAKE_PREFIX_PATH=/ so that the root itself is searched as a prefix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_AR           /usr/bin/${TOOLCHAIN_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${TOOLCHAIN_PREFIX}-ranlib CACHE FILEPATH "")

if(DEFINED ENV{NELVORA_QT_MINGW})
  set(_nelvora_mingw_cache "$ENV{NELVORA_QT_MINGW}")
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(_nelvora_mingw_cache "$ENV{XDG_CACHE_HOME}/nelvora/qt6.4.2-mingw-w64")
else()
  set(_nelvora_mingw_cache "$ENV{HOME}/.cache/nelvora/qt6.4.2-mingw-w64")
endif()
if(NOT QT_MINGW_PREFIX AND EXISTS "${_nelvora_mingw_cache}/qt6-mingw")
  set(QT_MINGW_PREFIX "${_nelvora_mingw_cache}/qt6-mingw")
endif()
if(NOT GTEST_MINGW_PREFIX AND EXISTS "${_nelvora_mingw_cache}/googletest")
  set(GTEST_MINGW_PREFIX "${_nelvora_mingw_cache}/googletest")
endif()
# try_compile() projects read this file again without the cache; hand the folders on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QT_MINGW_PREFIX GTEST_MINGW_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX} ${QT_MINGW_PREFIX} ${GTEST_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
