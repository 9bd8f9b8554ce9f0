# Cross-build for 64-bit Windows with the mingw-w64 posix-threads compilers.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORBELIN_TARGET_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ORBELIN_TARGET_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORBELIN_TARGET_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ORBELIN_TARGET_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORBELIN_TARGET_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test executables run under Wine; scripts/wine-exec sets up the prefix and display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
