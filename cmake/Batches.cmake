# codexia_batches(ROOT <folder> SIZE <n> TARGETS <targets...>): each target's
# C++ sources compile in batches of n, each batch a source of its own that
# includes them (a unity build). Shared headers, the precompiled header's
# load and the templates the sources share are then compiled once a batch.
#
# A batch names its sources relative to ROOT (the checkout), found through
# an include folder that the compiler cache rewrites as relative too, so a
# clone in another folder reuses the cached batches. CMake's own unity build
# (before CMake 4) names them by absolute paths, which made every clone
# compile them again. GCC takes a source that a batch includes for a header,
# and would warn of types in an anonymous namespace used by the source's own
# classes (a test's fixture) as if they were in one: a batched target goes
# without that warning, which the one-source-at-a-time build keeps.
function(codexia_batches)
    cmake_parse_arguments(B "" "ROOT;SIZE" "TARGETS" ${ARGN})
    foreach(target IN LISTS B_TARGETS)
        get_target_property(_sources ${target} SOURCES)
        set(_cpp)
        set(_rest)
        foreach(src IN LISTS _sources)
            if(src MATCHES "\\.(cpp|cc)$")
                list(APPEND _cpp ${src})
            else()
                list(APPEND _rest ${src})
            endif()
        endforeach()
        list(LENGTH _cpp _count)
        if(_count LESS 2)
            continue()
        endif()
        get_target_property(_dir ${target} SOURCE_DIR)
        set(_batches)
        set(_text "")
        set(_k 0)
        foreach(src IN LISTS _cpp)
            get_filename_component(_abs ${src} ABSOLUTE BASE_DIR ${_dir})
            file(RELATIVE_PATH _rel ${B_ROOT} ${_abs})
            string(APPEND _text "#include \"${_rel}\"\n")
            math(EXPR _k "${_k} + 1")
            math(EXPR _inBatch "${_k} % ${B_SIZE}")
            if(_inBatch EQUAL 0 OR _k EQUAL _count)
                list(LENGTH _batches _n)
                set(_file ${CMAKE_CURRENT_BINARY_DIR}/batches/${target}/batch_${_n}.cpp)
                # Written only when its text changes, so that a new configure rebuilds nothing.
                file(CONFIGURE OUTPUT ${_file} CONTENT "${_text}" @ONLY)
                list(APPEND _batches ${_file})
                set(_text "")
            endif()
        endforeach()
        set_property(TARGET ${target} PROPERTY SOURCES ${_rest} ${_batches})
        target_include_directories(${target} PRIVATE ${B_ROOT})
        target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
    endforeach()
endfunction()
