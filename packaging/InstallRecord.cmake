# Records what an install writes so that an uninstall removes exactly that: the installed
# files and the folders the install had to create. The records live in the build folder,
# one pair per destination (DESTDIR and prefix), so that installs to different places
# never mix. The package build's own staging install is not recorded: nothing
# uninstalls it.

# The path, without extension, of the record for a prefix under the current DESTDIR.
function(dendrova_record_base records prefix out)
    string(MAKE_C_IDENTIFIER "$ENV{DESTDIR}${prefix}" key)
    set(${out} "${records}/${key}" PARENT_SCOPE)
endfunction()

function(dendrova_recording out)
    if("$ENV{DESTDIR}" MATCHES "/_CPack_Packages/")
        set(${out} FALSE PARENT_SCOPE)
    else()
        set(${out} TRUE PARENT_SCOPE)
    endif()
endfunction()

# Adds lines to a record, keeping those it has: a reinstall over an older install keeps
# what that one wrote.
function(dendrova_record_add file lines)
    set(all ${lines})
    if(EXISTS "${file}")
        file(STRINGS "${file}" old)
        list(APPEND all ${old})
    endif()
    list(REMOVE_DUPLICATES all)
    list(JOIN all "\n" text)
    file(WRITE "${file}" "${text}\n")
endfunction()

# Run before the files are installed: records each destination folder that does not
# exist yet, and each of its missing parents.
function(dendrova_record_folders records destinations)
    dendrova_recording(recording)
    if(NOT recording)
        return()
    endif()
    dendrova_record_base("${records}" "${CMAKE_INSTALL_PREFIX}" base)
    set(created "")
    foreach(destination IN LISTS destinations)
        if(IS_ABSOLUTE "${destination}")
            set(path "$ENV{DESTDIR}${destination}")
        else()
            set(path "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${destination}")
        endif()
        while(NOT EXISTS "${path}" AND NOT "${path}" STREQUAL "/")
            list(APPEND created "${path}")
            get_filename_component(path "${path}" DIRECTORY)
        endwhile()
    endforeach()
    file(MAKE_DIRECTORY "${records}")
    if(created)
        dendrova_record_add("${base}.folders" "${created}")
    endif()
endfunction()

# Run after every file is installed: records them, as the install's manifest lists them.
function(dendrova_record_files records)
    dendrova_recording(recording)
    if(NOT recording)
        return()
    endif()
    dendrova_record_base("${records}" "${CMAKE_INSTALL_PREFIX}" base)
    set(files "")
    foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
        list(APPEND files "$ENV{DESTDIR}${file}")
    endforeach()
    file(MAKE_DIRECTORY "${records}")
    dendrova_record_add("${base}.files" "${files}")
endfunction()
