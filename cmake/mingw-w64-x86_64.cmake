# Cross-building the Windows programs on Linux with MinGW-w64 (the posix threads variant, which
# std::thread and std::jthread need). Every program is linked statically, so kolven.exe and
# kolven-cli.exe need no DLL beyond the system's. Tests run under Wine through scripts/wine-run.sh.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KOLVEN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KOLVEN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOLVEN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KOLVEN_MINGW_TRIPLE}-windres)

# Libraries and headers come from the cross sysroot only; programs (the host's tools) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KOLVEN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
