# Removes what an install to PREFIX (under $DESTDIR when that is set) from this build
# folder wrote, as InstallRecord.cmake recorded it: the files, then the folders the install
# created, each only once it is empty. Shared folders that existed before stay, and so do
# the user's settings, which no install wrote.
# Usage: cmake -DRECORDS=<build>/installed -DPREFIX=<prefix> -P Uninstall.cmake
include(${CMAKE_CURRENT_LIST_DIR}/InstallRecord.cmake)
dendrova_record_base("${RECORDS}" "${PREFIX}" base)
if(NOT EXISTS "${base}.files")
    message(FATAL_ERROR "Nothing to uninstall: no install to $ENV{DESTDIR}${PREFIX} from "
                        "this build folder is recorded.")
endif()
file(STRINGS "${base}.files" files)
foreach(path IN LISTS files)
    if(EXISTS "${path}" OR IS_SYMLINK "${path}")
        message(STATUS "Removing ${path}")
        file(REMOVE "${path}")
        if(EXISTS "${path}")
            message(FATAL_ERROR "Cannot remove ${path}")
        endif()
    endif()
endforeach()
set(folders "")
if(EXISTS "${base}.folders")
    file(STRINGS "${base}.folders" folders)
endif()
# A folder sorts after its parent, so in descending order children come first.
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
    file(GLOB left LIST_DIRECTORIES true "${folder}/*" "${folder}/.*")
    if(IS_DIRECTORY "${folder}" AND NOT left)
        message(STATUS "Removing ${folder}")
        file(REMOVE_RECURSE "${folder}")
    endif()
endforeach()
file(REMOVE "${base}.files" "${base}.folders")
