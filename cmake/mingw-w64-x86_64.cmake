# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the project for 64-bit Windows with Debian's MinGW-w64 compilers, posix thread model
# (std::thread and std::mutex need it). Use:
#   cmake -S . -B build-windows --toolchain cmake/mingw-w64-x86_64.cmake
# Programs are linked statically to libgcc, libstdc++ and winpthreads, so an .exe needs no DLL but
# Windows' own. Libraries are looked up in the Windows dependencies that scripts/windows-deps builds
# (their prefixes are read from the file it writes), and in the MinGW-w64 system folder, never in
# the Linux host's. CTest runs the test programs under Wine through scripts/wine-run.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PLOVER_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PLOVER_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLOVER_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PLOVER_MINGW_TRIPLE}-windres)

# -static: libgcc, libstdc++, winpthreads and the static USB libraries go into the .exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# The prefixes of the Windows dependencies: PLOVER_WINDOWS_DEPS_FILE (a CMake file setting
# PLOVER_WINDOWS_PREFIXES), written by scripts/windows-deps in the user's cache folder.
if(NOT PLOVER_WINDOWS_DEPS_FILE)
  if(DEFINED ENV{PLOVER_WINDOWS_DEPS_FILE})
    set(PLOVER_WINDOWS_DEPS_FILE "$ENV{PLOVER_WINDOWS_DEPS_FILE}")
  elseif(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(PLOVER_WINDOWS_DEPS_FILE "$ENV{XDG_CACHE_HOME}/plover30p/windows/prefixes.cmake")
  else()
    set(PLOVER_WINDOWS_DEPS_FILE "$ENV{HOME}/.cache/plover30p/windows/prefixes.cmake")
  endif()
endif()
set(PLOVER_WINDOWS_PREFIXES "")
if(EXISTS "${PLOVER_WINDOWS_DEPS_FILE}")
  include("${PLOVER_WINDOWS_DEPS_FILE}")
endif()
# try_compile() projects read this file again: they get the same file.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PLOVER_WINDOWS_DEPS_FILE)

set(CMAKE_FIND_ROOT_PATH /usr/${PLOVER_MINGW_TRIPLE} ${PLOVER_WINDOWS_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the Windows dependencies' .pc files, never the host's; --static brings in
# what a static library itself needs.
set(plover_pc_dirs "")
foreach(prefix IN LISTS PLOVER_WINDOWS_PREFIXES)
  list(APPEND plover_pc_dirs "${prefix}/lib/pkgconfig")
endforeach()
string(REPLACE ";" ":" plover_pc_dirs "${plover_pc_dirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${plover_pc_dirs}")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
unset(plover_pc_dirs)

# CTest (and add_custom_command on a built program) runs Windows programs under Wine.
get_filename_component(plover_wine_run "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${plover_wine_run}")
unset(plover_wine_run)
