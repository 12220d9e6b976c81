# The data module: the settlement's tables with their rules, and the opening
# of a settlement. Needs the table engine for its files.
if(TARGET qesto_paradox)
    target_sources(qesto_data PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/TableRules.cpp ${CMAKE_CURRENT_LIST_DIR}/TableRules.h
        ${CMAKE_CURRENT_LIST_DIR}/TDM1.cpp ${CMAKE_CURRENT_LIST_DIR}/TDM1.h)
endif()
