# The print window, the preview and the page engine behind them.
add_library(qesto_print STATIC
    ${CMAKE_CURRENT_LIST_DIR}/FormPagesProducer.cpp ${CMAKE_CURRENT_LIST_DIR}/FormPagesProducer.h
    ${CMAKE_CURRENT_LIST_DIR}/TEmtfForm.cpp ${CMAKE_CURRENT_LIST_DIR}/TEmtfForm.h
    ${CMAKE_CURRENT_LIST_DIR}/TPrevForm.cpp ${CMAKE_CURRENT_LIST_DIR}/TPrevForm.h)
target_include_directories(qesto_print PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(qesto_print PUBLIC
    qesto_common qesto_print_logic qesto_print_core qesto_widgets qesto_data qesto_platform_widgets Qt6::Widgets)
