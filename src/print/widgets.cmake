# The print window: the page tree, the print parameters bound to Dmt and
# Prp, the printer choice.
add_library(qesto_print STATIC
    ${CMAKE_CURRENT_LIST_DIR}/TEmtfForm.cpp ${CMAKE_CURRENT_LIST_DIR}/TEmtfForm.h)
target_include_directories(qesto_print PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(qesto_print PUBLIC
    qesto_common qesto_print_logic qesto_widgets qesto_data qesto_platform_widgets Qt6::Widgets)
