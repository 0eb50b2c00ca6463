# Reads the book folder's metadata (book.meta: "key = value" lines), checks
# every field, and makes the values available to the resource script and the
# layouts. A missing or malformed field stops the build and names the field.

set(BOOK_META ${CODEXIA_BOOK_DIR}/book.meta)
if(NOT EXISTS ${BOOK_META})
    message(FATAL_ERROR "Book folder ${CODEXIA_BOOK_DIR}: book.meta is missing")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${BOOK_META})

file(STRINGS ${BOOK_META} _lines ENCODING UTF-8)
set(_keys identifier title author year date rating series book author_page copyright_page cover icon)
foreach(_line IN LISTS _lines)
    if(_line MATCHES "^[ \t]*(#.*)?$")
        continue()
    endif()
    if(NOT _line MATCHES "^[ \t]*([a-z_]+)[ \t]*=[ \t]*(.*[^ \t])?[ \t]*$")
        message(FATAL_ERROR "book.meta: malformed line: ${_line}")
    endif()
    set(_k ${CMAKE_MATCH_1})
    set(_v "${CMAKE_MATCH_2}")
    if(NOT _k IN_LIST _keys)
        message(FATAL_ERROR "book.meta: unknown field '${_k}'")
    endif()
    if(DEFINED BOOK_${_k})
        message(FATAL_ERROR "book.meta: field '${_k}' given twice")
    endif()
    set(BOOK_${_k} "${_v}")
endforeach()

function(book_require key regex what)
    if(NOT DEFINED BOOK_${key} OR "${BOOK_${key}}" STREQUAL "")
        message(FATAL_ERROR "book.meta: field '${key}' is missing (${what})")
    endif()
    if(NOT "${BOOK_${key}}" MATCHES "${regex}")
        message(FATAL_ERROR "book.meta: field '${key}' is malformed: '${BOOK_${key}}' (expected ${what})")
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
    message(FATAL_ERROR "book.meta: field 'identifier' is malformed: longer than 200 characters")
endif()

foreach(_f book author_page copyright_page cover icon)
    if(DEFINED BOOK_${_f})
        set(BOOK_${_f}_PATH ${CODEXIA_BOOK_DIR}/${BOOK_${_f}})
        if(NOT EXISTS ${BOOK_${_f}_PATH})
            message(FATAL_ERROR "book.meta: field '${_f}' names ${BOOK_${_f}}, which is not in ${CODEXIA_BOOK_DIR}")
        endif()
    endif()
endforeach()

set(BOOK_EXE_NAME "${BOOK_identifier}")
message(STATUS "Book: ${BOOK_title} by ${BOOK_author} (${BOOK_identifier}.Exe)")

# Layouts: text in the repository, component streams in the executable.
set(LAYOUT_DEFINES
    -D "BOOK_IDENTIFIER=${BOOK_identifier}" -D "BOOK_TITLE=${BOOK_title}" -D "BOOK_AUTHOR=${BOOK_author}"
    -D "BOOK_DIR=${CODEXIA_BOOK_DIR}")
set(BOOK_FILES)
foreach(_f book author_page copyright_page cover icon)
    if(DEFINED BOOK_${_f}_PATH)
        list(APPEND BOOK_FILES ${BOOK_${_f}_PATH})
        string(TOUPPER ${_f} _F)
        list(APPEND LAYOUT_DEFINES -D "BOOK_${_F}=${BOOK_${_f}_PATH}")
    endif()
endforeach()

# codexia_layout(<var> <ClassName> <file.layout>): compiles a layout and adds
# the stream's path to <var>, for the resource script.
function(codexia_layout out className source)
    string(TOUPPER ${className} _res)
    set(_bin ${CMAKE_BINARY_DIR}/layouts/${_res}.cxl)
    add_custom_command(OUTPUT ${_bin}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/layouts
        COMMAND ${LAYOUTC} ${LAYOUT_DEFINES} --base ${CMAKE_CURRENT_SOURCE_DIR} ${source} ${_bin}
        DEPENDS ${source} host_tools ${BOOK_FILES}
        WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
        COMMENT "Compiling layout ${className}")
    set(${out} ${${out}} ${_res}=${_bin} PARENT_SCOPE)
endfunction()
