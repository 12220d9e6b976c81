# Locks across processes, stale lock files, Czech collation and secondary
# indexes. Included from this folder's CMakeLists.txt.
if(NOT TARGET qesto_paradox)
    return()
endif()

# The other process of the cross-process tests.
add_executable(lockholder lockholder.cpp)
target_link_libraries(lockholder PRIVATE qesto_common qesto_paradox)

qesto_add_test(test_locking SOURCES test_locking.cpp LIBS qesto_paradox TIMEOUT 120)
add_dependencies(test_locking lockholder)
target_compile_definitions(test_locking PRIVATE LOCKHOLDER_PATH="$<TARGET_FILE:lockholder>")

qesto_add_test(test_collation SOURCES test_collation.cpp LIBS qesto_paradox)

# pxlib reads the index files as the peer that checks them.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/test_secondary.cpp AND TARGET paradox_testsupport)
    qesto_add_test(test_secondary SOURCES test_secondary.cpp LIBS paradox_testsupport)
endif()
