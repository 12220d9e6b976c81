# Fails when a tracked C++ file differs from what clang-format makes of it with
# the repository's .clang-format.
#   cmake -DSOURCE_DIR=<checkout> -DCLANG_FORMAT=<program> -DVERSION=<major> -P check_format.cmake
# Other clang-format releases break lines differently, so the check runs only
# with the release the tree was formatted with and reports a skip otherwise.

cmake_policy(VERSION 3.25)

if(NOT CLANG_FORMAT)
    message("SKIPPED: clang-format is not installed")
    return()
endif()
execute_process(COMMAND "${CLANG_FORMAT}" --version OUTPUT_VARIABLE version_text)
if(NOT version_text MATCHES "version ([0-9]+)\\.")
    message("SKIPPED: cannot read the version of ${CLANG_FORMAT}")
    return()
endif()
if(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    message("SKIPPED: clang-format ${CMAKE_MATCH_1} is installed; the tree is formatted with release ${VERSION}")
    return()
endif()

find_program(GIT git)
if(GIT AND EXISTS "${SOURCE_DIR}/.git")
    execute_process(COMMAND "${GIT}" ls-files -- "*.cpp" "*.h"
        WORKING_DIRECTORY "${SOURCE_DIR}" OUTPUT_VARIABLE listing RESULT_VARIABLE git_result)
    if(NOT git_result EQUAL 0)
        message(FATAL_ERROR "git ls-files failed in ${SOURCE_DIR}")
    endif()
    string(REPLACE "\n" ";" files "${listing}")
    list(FILTER files EXCLUDE REGEX "^$")
else()
    # A source archive without git: every C++ file outside the build folders.
    file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")
    list(FILTER files EXCLUDE REGEX "^build")
endif()
list(LENGTH files count)
if(count EQUAL 0)
    message(FATAL_ERROR "no C++ files found in ${SOURCE_DIR}")
endif()

execute_process(COMMAND "${CLANG_FORMAT}" --dry-run --Werror ${files}
    WORKING_DIRECTORY "${SOURCE_DIR}" RESULT_VARIABLE result ERROR_VARIABLE diagnostics)
if(NOT result EQUAL 0)
    string(REGEX MATCHALL "[^\n]*: error: code should be clang-formatted" bad "${diagnostics}")
    list(TRANSFORM bad REPLACE ":[0-9]+:[0-9]+: error: code should be clang-formatted" "")
    list(REMOVE_DUPLICATES bad)
    list(JOIN bad "\n  " bad_text)
    message(FATAL_ERROR "Not formatted (run clang-format -i on them):\n  ${bad_text}")
endif()
message("${count} files formatted")
