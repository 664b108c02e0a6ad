# What a Windows build adds: resource scripts (the program's icon and version), and when it is
# cross-built here, the tests run under Wine.
enable_language(RC)

#
# ctest starts each test program through build-folder/wine-run.sh: Wine in a prefix of the build
# folder's own (made on first use, one test at a time), the kit's and MinGW's DLLs found on
# WINEPATH, Wine's own chatter off.
if(CMAKE_CROSSCOMPILING AND BUILD_TESTING)
    get_filename_component(DRYX_QT_BIN "${Qt6Core_DIR}/../../../bin" ABSOLUTE)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                    OUTPUT_VARIABLE DRYX_MINGW_RUNTIME OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(DRYX_MINGW_RUNTIME "${DRYX_MINGW_RUNTIME}" DIRECTORY)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
                    OUTPUT_VARIABLE DRYX_MINGW_THREADS OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(DRYX_MINGW_THREADS "${DRYX_MINGW_THREADS}" DIRECTORY)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${PROJECT_BINARY_DIR}/wine-run.sh
                   @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                   GROUP_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run.sh)
endif()
