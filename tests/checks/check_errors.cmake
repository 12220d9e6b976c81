# Every error the program reports derives from platform::Error, which the
# windows and the command dispatch catch; a std::runtime_error thrown in the
# program would pass them by and end it. Lists each file that names one.
#
# A failure is thrown, not handed back as a bool with the reason in a string
# beside it: an interface that fills a QString &error, or keeps an
# errorString() to be asked afterwards, lets a caller forget to look. The
# files named in LEGACY_REASONS still do so, each to move to a thrown error;
# no other file may start.
cmake_policy(VERSION 3.25)

file(GLOB_RECURSE files ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/tools/*.h
    ${SOURCE_DIR}/tools/*.cpp)
set(LEGACY_REASONS
    # The file seams under the table engine and the change sets: their
    # callers put the reason into an error naming the table, and their
    # rollback paths pass it over.
    src/paradox/FileLayer.h
    src/platform/DiskSync.h
    # Qt's own style, kept where the object wraps a Qt device.
    src/platform/AtomicFile.h
    src/platform/FileLock.h)
set(found "")
set(reasons "")
foreach(f IN LISTS files)
    file(RELATIVE_PATH relative ${SOURCE_DIR} "${f}")
    file(STRINGS "${f}" lines REGEX "std::runtime_error")
    if(lines)
        list(APPEND found "${relative}")
    endif()
    if(NOT f MATCHES "\\.h$" OR relative IN_LIST LEGACY_REASONS)
        continue()
    endif()
    # A QString the callee fills (no const before it) named as an error or
    # a reason, or an errorString() to ask afterwards.
    file(STRINGS "${f}" lines REGEX "[(,][ \t]*QString[ \t]*[&*][ \t]*[a-zA-Z_]*([Ee]rror|[Rr]eason)[a-zA-Z_]*[ \t]*[,)=]|errorString\\(\\)[ \t]*const")
    if(lines)
        list(APPEND reasons "${relative}")
    endif()
endforeach()
set(faults "")
if(found)
    list(JOIN found "\n  " listed)
    string(APPEND faults "std::runtime_error instead of platform::Error in:\n  ${listed}\n")
endif()
if(reasons)
    list(JOIN reasons "\n  " listed)
    string(APPEND faults "A failure handed back in a string instead of thrown as platform::Error in:\n  ${listed}\n")
endif()
if(faults)
    message(FATAL_ERROR "${faults}")
endif()
