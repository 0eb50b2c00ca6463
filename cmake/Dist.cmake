# Packs the built book for a reader: the executable and a zip holding it, in
# DIST_DIR, each printed with its size and SHA-256. Run by the dist target:
#   cmake -DEXE=<book.Exe> -DDIST_DIR=<folder> -P Dist.cmake
# With -DKIT_MAKER=<codexia-make.exe> -DKIT_TEMPLATE=<codexia-reader.exe>
# -DKIT_SAMPLE=<book folder> -DKIT_GUIDE=<guide> [-DKIT_SHELF=<shelf>] it also
# packs the kit, codexia-kit.zip: codexia-make, the template, the sample book
# folder (its files, not its text sources), the guide and the bookshelf.
cmake_policy(VERSION 3.20)
if(KIT_MAKER)
    set(_kit "${DIST_DIR}/codexia-kit")
    file(REMOVE_RECURSE "${_kit}" "${DIST_DIR}/codexia-kit.zip")
    file(MAKE_DIRECTORY "${_kit}/sample")
    file(COPY_FILE "${KIT_MAKER}" "${_kit}/codexia-make.exe")
    file(COPY_FILE "${KIT_TEMPLATE}" "${_kit}/codexia-reader.exe")
    file(COPY_FILE "${KIT_GUIDE}" "${_kit}/AUTHORS.txt")
    if(KIT_SHELF)
        file(COPY_FILE "${KIT_SHELF}" "${_kit}/Codexia Shelf.exe")
    endif()
    file(GLOB _sample LIST_DIRECTORIES false "${KIT_SAMPLE}/*")
    file(COPY ${_sample} DESTINATION "${_kit}/sample")
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf codexia-kit.zip --format=zip codexia-kit
                    WORKING_DIRECTORY "${DIST_DIR}" RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
        message(FATAL_ERROR "dist: could not write ${DIST_DIR}/codexia-kit.zip")
    endif()
    file(SIZE "${DIST_DIR}/codexia-kit.zip" _size)
    message("${DIST_DIR}/codexia-kit.zip  ${_size} bytes: codexia-make.exe, codexia-reader.exe, Codexia Shelf.exe, sample/, AUTHORS.txt")
endif()
if(NOT EXISTS "${EXE}")
    message(FATAL_ERROR "dist: ${EXE} was not built")
endif()
get_filename_component(_name "${EXE}" NAME)
get_filename_component(_stem "${EXE}" NAME_WE)
file(MAKE_DIRECTORY "${DIST_DIR}")
file(REMOVE "${DIST_DIR}/${_name}" "${DIST_DIR}/${_stem}.zip")
file(COPY_FILE "${EXE}" "${DIST_DIR}/${_name}")
# Stored with its bare name, so it unpacks beside the zip.
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${_stem}.zip" --format=zip "${_name}"
                WORKING_DIRECTORY "${DIST_DIR}" RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "dist: could not write ${DIST_DIR}/${_stem}.zip")
endif()
foreach(_f "${_name}" "${_stem}.zip")
    file(SIZE "${DIST_DIR}/${_f}" _size)
    file(SHA256 "${DIST_DIR}/${_f}" _sha)
    message("${DIST_DIR}/${_f}  ${_size} bytes  SHA-256 ${_sha}")
endforeach()
