# Tests of the input boxes, the data-aware grid and navigator, and the
# calendar, on the offscreen platform.
if(NOT TARGET qesto_statements)
    return()
endif()
foreach(t test_editz test_dbgrid test_calendar)
    if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp)
        qesto_add_test(${t} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp LIBS qesto_statements GUI)
        target_include_directories(${t} PRIVATE ${CMAKE_CURRENT_LIST_DIR})
    endif()
endforeach()
