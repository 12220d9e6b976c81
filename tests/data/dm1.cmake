# Tests of the data module: its tables and rules on real files, and the
# opening of settlements of earlier versions. Included by this folder's
# CMakeLists.txt.
if(NOT TARGET qesto_statements_core)
    return()
endif()
foreach(t test_dm1 test_upgrade_open)
    if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp)
        qesto_add_test(${t} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp ${CMAKE_CURRENT_LIST_DIR}/test_dm1_fixture.h
                       LIBS qesto_statements_core qesto_data qesto_paradox)
    endif()
endforeach()
if(TARGET qesto_cli_core AND EXISTS ${CMAKE_CURRENT_LIST_DIR}/test_dm1_cli.cpp)
    qesto_add_test(test_dm1_cli SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_dm1_cli.cpp
                   ${CMAKE_CURRENT_LIST_DIR}/test_dm1_fixture.h LIBS qesto_cli_core)
endif()
