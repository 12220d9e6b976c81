# Options every target of the project shares.
add_library(qesto_common INTERFACE)
target_compile_features(qesto_common INTERFACE cxx_std_20)
target_compile_definitions(qesto_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_USE_QSTRINGBUILDER
    QT_NO_CAST_TO_ASCII
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(qesto_common INTERFACE
        -Wall -Wextra -pedantic -Wold-style-cast -Wnon-virtual-dtor)
    if(QESTO_WERROR)
        target_compile_options(qesto_common INTERFACE -Werror)
    endif()
elseif(MSVC)
    target_compile_options(qesto_common INTERFACE /W4 /utf-8 /permissive-)
    if(QESTO_WERROR)
        target_compile_options(qesto_common INTERFACE /WX)
    endif()
endif()
if(QESTO_ASSERTIONS)
    target_compile_definitions(qesto_common INTERFACE _GLIBCXX_ASSERTIONS)
endif()

if(QESTO_FUZZ)
    # In a fuzz tree every library is built with coverage and sanitizers, so a
    # fuzz target sees the branches of the parsers it drives in every library
    # it links, not only in its own file.
    target_compile_options(qesto_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
    target_link_options(qesto_common INTERFACE -fsanitize=address,undefined)
endif()

# qesto_add_test(<name> SOURCES ... LIBS ... [GUI | PAINT] [TIMEOUT s])
# One Qt Test program registered with CTest. GUI tests need Qt Widgets, PAINT
# tests draw with Qt Gui only and are built without widgets too; both run on
# the offscreen platform. QESTO_SHARED_DIR and the test's source folder are compiled in so
# tests find their data without relying on the current directory.
function(qesto_add_test name)
    cmake_parse_arguments(T "GUI;PAINT" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(T_GUI AND NOT QESTO_WIDGETS)
        return()
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE qesto_common Qt6::Test qesto_test_support ${T_LIBS})
    target_compile_definitions(${name} PRIVATE
        QESTO_SHARED_DIR="${QESTO_SHARED_DIR}"
        QESTO_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
        QESTO_TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    # Tests throw their files away: waiting for the disk at every post (the
    # program's power-cut safety) would only make the suite slow.
    set(env "QESTO_NO_DISK_FLUSH=1")
    if(T_GUI OR T_PAINT)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}")
endfunction()
