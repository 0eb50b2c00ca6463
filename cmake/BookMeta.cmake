# Reads the book folder's metadata (book.meta: "key = value" lines) and checks
# every field: a missing or malformed field stops with a message that names
# it. Also runs as a script: cmake -DCODEXIA_BOOK_DIR=<dir> -P BookMeta.cmake

cmake_policy(VERSION 3.20)

# CMake reflows message text at about 80 columns, which would split a long
# path or value across lines; indented text is printed as it stands, so the
# whole message stays on one line and can be searched for.
function(book_fail text)
    message(FATAL_ERROR "  ${text}")
endfunction()

set(BOOK_META ${CODEXIA_BOOK_DIR}/book.meta)
if(NOT EXISTS ${BOOK_META})
    book_fail("Book folder ${CODEXIA_BOOK_DIR}: book.meta is missing")
endif()
if(NOT CMAKE_SCRIPT_MODE_FILE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${BOOK_META})
endif()

file(STRINGS ${BOOK_META} _lines ENCODING UTF-8)
set(_keys identifier title author year date rating series book author_page copyright_page cover icon)
foreach(_line IN LISTS _lines)
    if(_line MATCHES "^[ \t]*(#.*)?$")
        continue()
    endif()
    if(NOT _line MATCHES "^[ \t]*([a-z_]+)[ \t]*=[ \t]*(.*[^ \t])?[ \t]*$")
        book_fail("book.meta: malformed line: ${_line}")
    endif()
    set(_k ${CMAKE_MATCH_1})
    set(_v "${CMAKE_MATCH_2}")
    if(NOT _k IN_LIST _keys)
        book_fail("book.meta: unknown field '${_k}'")
    endif()
    if(DEFINED BOOK_${_k})
        book_fail("book.meta: field '${_k}' given twice")
    endif()
    set(BOOK_${_k} "${_v}")
endforeach()

function(book_require key regex what)
    if(NOT DEFINED BOOK_${key} OR "${BOOK_${key}}" STREQUAL "")
        book_fail("book.meta: field '${key}' is missing (${what})")
    endif()
    if(NOT "${BOOK_${key}}" MATCHES "${regex}")
        book_fail("book.meta: field '${key}' is malformed: '${BOOK_${key}}' (expected ${what})")
    endif()
endfunction()

# Printable text without quotes or backslashes, so it is safe in the resource script.
set(_text "^[^\"\\\\]+$")
book_require(identifier "^[A-Za-z0-9]+-[A-Za-z0-9]+(_[A-Za-z0-9]+)*-[A-Za-z0-9]+(_[A-Za-z0-9]+)*$"
             "Maker-Surname_Given_Names-Title_Words")
book_require(title "${_text}" "the book's title")
book_require(author "${_text}" "the author's name")
book_require(year "^[0-9][0-9][0-9][0-9]$" "four digits")
book_require(date "^(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])$" "month-day, e.g. 12-20")
book_require(rating "${_text}" "a content rating such as G")
book_require(series "^[0-9]+-[0-9]+$" "first-last, e.g. 1-7")
string(LENGTH "${BOOK_identifier}" _len)
if(_len GREATER 200)
    book_fail("book.meta: field 'identifier' is malformed: longer than 200 characters")
endif()

foreach(_f book author_page copyright_page cover icon)
    if(DEFINED BOOK_${_f})
        set(BOOK_${_f}_PATH ${CODEXIA_BOOK_DIR}/${BOOK_${_f}})
        if(NOT EXISTS ${BOOK_${_f}_PATH})
            book_fail("book.meta: field '${_f}' names ${BOOK_${_f}}, which is not in ${CODEXIA_BOOK_DIR}")
        endif()
    endif()
endforeach()

