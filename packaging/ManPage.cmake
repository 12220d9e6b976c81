# Writes the manual page of a program from its own --help, so that the two
# cannot say different things. Run as
#   cmake -DTOOL=<program> -DNAME=<name> -DSUMMARY=<one line> -DVERSION=<v> -DOUT=<file.1> -P ManPage.cmake
# The help is read in the layout every program of the project uses: a
# "Použití:" (or "Usage:") line, paragraphs of text, headings of up to three
# words ending in ":", and items indented by two spaces whose term ends at the
# first double space.

execute_process(COMMAND ${TOOL} --help OUTPUT_VARIABLE help RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${NAME} --help failed (${rc}): ${err}")
endif()

# The program's path as it was started stands for its name.
string(REPLACE "${TOOL}" "${NAME}" help "${help}")
# roff: a backslash is written as \e; ";" would split the CMake list.
string(REPLACE "\\" "\\e" help "${help}")
string(REPLACE ";" "@SEMICOLON@" help "${help}")
string(REPLACE "\n" ";" lines "${help}")

set(headings_Příkazy "PŘÍKAZY")
set(headings_Volby "VOLBY")
set(headings_Options "VOLBY")
set(headings_Arguments "ARGUMENTY")
set(headings_Argumenty "ARGUMENTY")
set("headings_Proměnné prostředí" "PROSTŘEDÍ")

string(TOUPPER "${NAME}" upper)
set(page ".TH ${upper} 1 \"\" \"${NAME} ${VERSION}\" \"Qesto\"\n.SH JMÉNO\n${NAME} \\- ${SUMMARY}\n")
set(state text)       # text, usage, item
set(paragraph_open FALSE)
foreach(line IN LISTS lines)
    # A line that begins with "." or "'" would be read as a request.
    string(REGEX REPLACE "^([.'])" "\\\\&\\1" line "${line}")
    # The usage goes on in indented lines; anything else begins the text.
    if(state STREQUAL "usage" AND NOT line MATCHES "^ ")
        string(APPEND page ".SH POPIS\n")
        set(state text)
        set(paragraph_open FALSE)
        if(line STREQUAL "")
            continue()
        endif()
    endif()
    if(line MATCHES "^(Použití|Usage): *(.*)$")
        string(APPEND page ".SH POUŽITÍ\n${CMAKE_MATCH_2}\n")
        set(state usage)
    elseif(line STREQUAL "")
        set(state text)
        set(paragraph_open FALSE)
    elseif(state STREQUAL "usage")
        string(STRIP "${line}" line)
        string(APPEND page ".br\n${line}\n")
    elseif(line MATCHES "^([^ :]+( [^ :]+)?( [^ :]+)?):$")
        set(title "${CMAKE_MATCH_1}")
        if(DEFINED "headings_${title}")
            set(title "${headings_${title}}")
        endif()
        string(APPEND page ".SH ${title}\n")
        set(state item)
    elseif(line MATCHES "^  ([^ ]+( [^ ]+)*)  +(.*)$")
        set(term "${CMAKE_MATCH_1}")
        set(description "${CMAKE_MATCH_3}")
        string(REPLACE "-" "\\-" term "${term}")
        string(APPEND page ".TP\n.B ${term}\n${description}\n")
        set(state item)
    elseif(line MATCHES "^   +(.*)$" AND state STREQUAL "item")
        # The wrapped rest of an item's description.
        string(APPEND page "${CMAKE_MATCH_1}\n")
    elseif(line MATCHES "^ +(.*)$")
        string(APPEND page ".IP\n${CMAKE_MATCH_1}\n")
        set(paragraph_open FALSE)
    else()
        if(NOT paragraph_open)
            string(APPEND page ".PP\n")
            set(paragraph_open TRUE)
        endif()
        string(APPEND page "${line}\n")
    endif()
endforeach()
string(REPLACE "@SEMICOLON@" ";" page "${page}")
file(WRITE "${OUT}" "${page}")
