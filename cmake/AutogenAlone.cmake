# For `make lint` (the lint preset's CMAKE_PROJECT_INCLUDE): clang-tidy needs the moc files, not
# objects. CMake makes each _autogen target wait for the libraries its target links, and sets
# that up in project(); switched off here, after project(), the global autogen target builds
# nothing else.
set(CMAKE_AUTOGEN_ORIGIN_DEPENDS OFF)
