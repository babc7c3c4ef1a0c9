# Cross-building the Windows programs on Debian with MinGW-w64 (posix threads,
# as the Qt for Windows that scripts/windows unpacks was built with).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64-toolchain.cmake -DQUINTAVO_WINDOWS_QT=QT_DIR ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

# The unpacked Qt for Windows; try_compile projects see it too.
set(QUINTAVO_WINDOWS_QT "" CACHE PATH "The Qt 5 built for Windows (its prefix)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUINTAVO_WINDOWS_QT)
if(NOT QUINTAVO_WINDOWS_QT)
    message(FATAL_ERROR "Set QUINTAVO_WINDOWS_QT to the Qt built for Windows")
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${QUINTAVO_WINDOWS_QT})
set(CMAKE_PREFIX_PATH ${QUINTAVO_WINDOWS_QT}/lib/cmake)
# Programs (moc, rcc, Linguist's tools) come from the host; libraries and
# headers from the target's roots only.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests run under Wine, inside the private network namespace that
# scripts/windows makes.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
