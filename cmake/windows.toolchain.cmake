# 64-bit Windows, cross-built on Linux with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix) and a
# Qt kit built for it (see README, "On Windows"). QT_MINGW names the kit's folder, the one with
# bin/, lib/ and plugins/; the windows preset names this file, and `make windows` passes the kit:
#
#     cmake --preset windows -DQT_MINGW=/opt/qt6-mingw
#
# The kit's own toolchain file does the rest: the compilers, the kit's packages, Debian's Qt
# (qt6-base-dev) for moc, rcc and uic.
if(NOT QT_MINGW AND DEFINED ENV{QT_MINGW})
    set(QT_MINGW "$ENV{QT_MINGW}")
endif()
if(NOT EXISTS "${QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake")
    message(FATAL_ERROR "QT_MINGW must name a Qt kit for MinGW-w64 (its folder holds "
                        "lib/cmake/Qt6/qt.toolchain.cmake); got \"${QT_MINGW}\"")
endif()
# try_compile reads this file again, in a project of its own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QT_MINGW)
include("${QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake")
