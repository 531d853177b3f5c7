# Each target publishes its own headers and nothing else. A header is included by its
# folder and name ("model/Camera.h"), and that spelling resolves only on the include path
# of the target that lists the header among its sources, of that target's own sources, and
# of the targets that link it: every target gets an include root of its own in the build
# folder, holding links to its headers only. No folder of the source tree is on any include
# path, so a header of another target cannot be included without declaring the link.

# Publishes the headers (*.h) among the sources of `target` under
# <build>/include/<target>/<folder>/, where <folder> is the name of the folder that holds
# the target's CMakeLists.txt, and puts that root on the target's include path and, for a
# library, on the path of everything that links it (a library whose headers include no
# other target's headers still declares the links they need itself).
function(dendrova_headers target)
    get_target_property(sources ${target} SOURCES)
    get_target_property(dir ${target} SOURCE_DIR)
    get_filename_component(folder ${dir} NAME)
    set(root ${CMAKE_BINARY_DIR}/include/${target})
    # Links of headers a target no longer lists must not linger.
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root}/${folder})
    set(spellings "")
    foreach(source IN LISTS sources)
        if(NOT source MATCHES "\\.h$")
            continue()
        endif()
        if(NOT IS_ABSOLUTE ${source})
            set(source ${dir}/${source})
        endif()
        get_filename_component(name ${source} NAME)
        file(CREATE_LINK ${source} ${root}/${folder}/${name} SYMBOLIC)
        list(APPEND spellings ${folder}/${name})
    endforeach()
    set_property(TARGET ${target} PROPERTY DENDROVA_HEADERS ${spellings})
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
