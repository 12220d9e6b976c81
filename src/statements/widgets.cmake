# Input controls, the data-aware grid and navigator, and the calendar: the
# widgets every window of the program builds on.
add_library(qesto_statements STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Editz.cpp ${CMAKE_CURRENT_LIST_DIR}/Editz.h
    ${CMAKE_CURRENT_LIST_DIR}/DbGrid.cpp ${CMAKE_CURRENT_LIST_DIR}/DbGrid.h
    ${CMAKE_CURRENT_LIST_DIR}/DbNavigator.cpp ${CMAKE_CURRENT_LIST_DIR}/DbNavigator.h
    ${CMAKE_CURRENT_LIST_DIR}/TEvzhDtForm.cpp ${CMAKE_CURRENT_LIST_DIR}/TEvzhDtForm.h)
target_include_directories(qesto_statements PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(qesto_statements PUBLIC
    qesto_common qesto_data qesto_platform qesto_platform_widgets Qt6::Widgets)
