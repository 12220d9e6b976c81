# The print window without the window: the page tree and its page sets,
# paging through a statement, copies, PDF of a set, the warning of the checks
# before filing, and the window's INI settings with the printer choice.
# Qt Core only, so it builds and tests without Qt Gui.
add_library(qesto_print_logic STATIC
    ${CMAKE_CURRENT_LIST_DIR}/PageTree.cpp ${CMAKE_CURRENT_LIST_DIR}/PageTree.h
    ${CMAKE_CURRENT_LIST_DIR}/PreviewPager.cpp ${CMAKE_CURRENT_LIST_DIR}/PreviewPager.h
    ${CMAKE_CURRENT_LIST_DIR}/PrintRun.cpp ${CMAKE_CURRENT_LIST_DIR}/PrintRun.h
    ${CMAKE_CURRENT_LIST_DIR}/PrintSettings.cpp ${CMAKE_CURRENT_LIST_DIR}/PrintSettings.h)
target_include_directories(qesto_print_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(qesto_print_logic PUBLIC qesto_common qesto_platform qesto_statements_core Qt6::Core)
