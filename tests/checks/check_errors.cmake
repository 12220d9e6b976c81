# Every error the program reports derives from platform::Error, which the
# windows and the command dispatch catch; a std::runtime_error thrown in the
# program would pass them by and end it. Lists each file that names one.
file(GLOB_RECURSE files ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/tools/*.h
    ${SOURCE_DIR}/tools/*.cpp)
set(found "")
foreach(f IN LISTS files)
    file(STRINGS "${f}" lines REGEX "std::runtime_error")
    if(lines)
        file(RELATIVE_PATH relative ${SOURCE_DIR} "${f}")
        list(APPEND found "${relative}")
    endif()
endforeach()
if(found)
    list(JOIN found "\n  " listed)
    message(FATAL_ERROR "std::runtime_error instead of platform::Error in:\n  ${listed}")
endif()
