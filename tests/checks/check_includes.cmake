# Fails when a source file includes a header from above its own layer.
#   cmake -DSOURCE_DIR=<folder with the layer folders> -DMANIFEST=<file> -P check_includes.cmake
# The manifest sets LAYERS (folders, lowest first), LOGIC_FILES and
# WINDOW_FILES (paths relative to SOURCE_DIR). Two rules:
#  - a file in one folder includes only headers of its own folder or of the
#    folders listed before it;
#  - a file of a window-free library never includes a header of a window
#    library, so logic stays testable without widgets.
# Includes in angle brackets are the system's and are not looked at.

cmake_policy(VERSION 3.25)

include("${MANIFEST}")

set(rank 0)
foreach(layer IN LISTS LAYERS)
    set(rank_of_${layer} ${rank})
    math(EXPR rank "${rank} + 1")
endforeach()
foreach(f IN LISTS WINDOW_FILES)
    set(is_window_${f} TRUE)
endforeach()
foreach(f IN LISTS LOGIC_FILES)
    set(is_logic_${f} TRUE)
endforeach()

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(faults "")
set(checked 0)
foreach(file IN LISTS files)
    if(NOT file MATCHES "^([^/]+)/")
        continue()
    endif()
    set(folder "${CMAKE_MATCH_1}")
    if(NOT DEFINED rank_of_${folder})
        string(APPEND faults "\n  ${file}: folder ${folder} is not a listed layer")
        continue()
    endif()
    get_filename_component(dir "${file}" DIRECTORY)
    file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
        if(NOT line MATCHES "\"([^\"]+)\"")
            continue()
        endif()
        set(included "${CMAKE_MATCH_1}")
        # A name next to the file is its own folder's; anything else is
        # written from the top of the tree.
        if(EXISTS "${SOURCE_DIR}/${dir}/${included}" AND NOT included MATCHES "/")
            set(target "${dir}/${included}")
        else()
            set(target "${included}")
        endif()
        math(EXPR checked "${checked} + 1")
        if(target MATCHES "^([^/]+)/")
            set(to "${CMAKE_MATCH_1}")
            if(DEFINED rank_of_${to} AND rank_of_${to} GREATER rank_of_${folder})
                string(APPEND faults "\n  ${file} includes ${included}: ${folder} lies below ${to}")
            endif()
        endif()
        if(is_logic_${file} AND is_window_${target})
            string(APPEND faults "\n  ${file} includes ${included}: window code in a window-free library")
        endif()
    endforeach()
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "no includes found under ${SOURCE_DIR}")
endif()
if(faults)
    message(FATAL_ERROR "Headers included against the layering:${faults}")
endif()
message("${checked} includes follow the layers ${LAYERS}")
