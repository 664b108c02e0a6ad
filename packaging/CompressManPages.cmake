# Run by CPack on the staged files before it packs them: manual pages compressed as Debian
# keeps them (gzip -9n: no name or time stamp inside, so the package is reproducible).
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man*/*.[1-9]")
foreach(page IN LISTS pages)
    execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "gzip ${page} failed: ${status}")
    endif()
endforeach()
