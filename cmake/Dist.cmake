# Packs the built book for a reader: the executable and a zip holding it, in
# DIST_DIR, each printed with its size and SHA-256. Run by the dist target:
#   cmake -DEXE=<book.Exe> -DDIST_DIR=<folder> -P Dist.cmake
cmake_policy(VERSION 3.20)
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
