# The book chosen at build time: its checked metadata, and the compilation of
# window layouts with the book's values and files.
include(${CMAKE_CURRENT_LIST_DIR}/BookMeta.cmake)

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

# codexia_layout(<var> <ClassName> <file.layout> [FIELDS <target>]): compiles
# a layout and adds the stream's path to <var>, for the resource script.
# FIELDS: the layout is a form's, and the compiler also writes the form's
# binding header generated/<ClassName>.fields.h, made before <target>
# compiles (and before any target that links it). The compiler leaves the
# header untouched when its text is the same, so that a changed picture or
# document recompiles no form.
function(codexia_layout out className source)
    cmake_parse_arguments(L "" "FIELDS" "" ${ARGN})
    string(TOUPPER ${className} _res)
    set(_bin ${CMAKE_BINARY_DIR}/layouts/${_res}.cxl)
    set(_outputs ${_bin})
    set(_fields_args)
    if(L_FIELDS)
        set(_header ${CMAKE_BINARY_DIR}/generated/${className}.fields.h)
        list(APPEND _outputs ${_header})
        set(_fields_args --fields ${_header})
        target_sources(${L_FIELDS} PRIVATE ${_header})
    endif()
    add_custom_command(OUTPUT ${_outputs}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/layouts ${CMAKE_BINARY_DIR}/generated
        COMMAND ${LAYOUTC} ${LAYOUT_DEFINES} --base ${CMAKE_CURRENT_SOURCE_DIR} ${_fields_args} ${source} ${_bin}
        DEPENDS ${source} host_tools ${LAYOUTC} ${BOOK_FILES}
        WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
        COMMENT "Compiling layout ${className}")
    set(${out} ${${out}} ${_res}=${_bin} PARENT_SCOPE)
endfunction()
