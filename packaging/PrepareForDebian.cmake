# Run by CPack on the staged (and stripped) files before it packs them, to leave them as Debian
# keeps them: the compiler's .comment section out of the program, manual pages and the changelog
# compressed (gzip -9n: no name or time stamp inside, so the package is reproducible).
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS programs)
    execute_process(COMMAND objcopy --remove-section=.comment "${program}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "objcopy ${program} failed: ${status}")
    endif()
endforeach()
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man*/*.[1-9]")
file(GLOB_RECURSE changelogs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/*/changelog")
foreach(file IN LISTS pages changelogs)
    execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "gzip ${file} failed: ${status}")
    endif()
endforeach()
