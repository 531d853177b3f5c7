# cmake -DLIST=<declared-dependencies.cmake> -P CheckDependencies.cmake
#
# Fails when a target's sources include a header of another target that the target does
# not link directly, when a header a library publishes includes one of a target it links
# only privately, when a header is included that no target lists, when a target links a
# target of this build whose headers it never includes, or links it publicly though none
# of its published headers needs it, and when a folder of src/ is on an include path.
# Prints one line per finding.
cmake_minimum_required(VERSION 3.25)
include(${LIST})

# Which target publishes which header spelling.
foreach(target IN LISTS targets)
    foreach(header IN LISTS ${target}_headers)
        string(MAKE_C_IDENTIFIER "${header}" key)
        if(DEFINED owner_${key} AND NOT owner_${key} STREQUAL target)
            list(APPEND findings "\"${header}\" is published by both ${owner_${key}} and ${target}")
        endif()
        set(owner_${key} ${target})
    endforeach()
endforeach()

foreach(target IN LISTS targets)
    set(used "")       # targets whose headers the target's sources include
    set(used_public "") # ... that its published headers include
    foreach(include IN LISTS ${target}_source_includes)
        list(APPEND findings "${target}: the source folder ${include} is on its include path")
    endforeach()
    foreach(source IN LISTS ${target}_sources)
        file(RELATIVE_PATH shown ${source_root} ${source})
        get_filename_component(here ${source} DIRECTORY)
        get_filename_component(name ${source} NAME)
        set(published FALSE)
        foreach(header IN LISTS ${target}_headers)
            if(header MATCHES "(^|/)${name}$")
                set(published TRUE)
            endif()
        endforeach()
        file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header
                   "${line}")
            string(MAKE_C_IDENTIFIER "${header}" key)
            # Files the build makes (Qt's moc) and files beside the source that no target
            # publishes are the target's own.
            if(header MATCHES "\\.moc$" OR (EXISTS ${here}/${header} AND NOT DEFINED owner_${key}))
                continue()
            endif()
            if(NOT DEFINED owner_${key})
                list(APPEND findings "${shown}: \"${header}\" is listed by no target")
                continue()
            endif()
            set(owner ${owner_${key}})
            if(owner STREQUAL target)
                continue()
            endif()
            list(APPEND used ${owner})
            if(NOT owner IN_LIST ${target}_links)
                list(APPEND findings
                     "${shown}: includes \"${header}\" of ${owner}, which ${target} does not link")
            elseif(published)
                list(APPEND used_public ${owner})
                if(NOT owner IN_LIST ${target}_public)
                    string(CONCAT finding "${shown}: a published header includes "
                                  "\"${header}\" of ${owner}, which ${target} links only privately")
                    list(APPEND findings "${finding}")
                endif()
            endif()
        endforeach()
    endforeach()
    foreach(link IN LISTS ${target}_links)
        if(NOT ${link}_headers)
            continue() # linked for its code alone (compiled-in resources)
        endif()
        if(NOT link IN_LIST used)
            list(APPEND findings "${target} links ${link} but includes none of its headers")
        elseif(link IN_LIST ${target}_public AND NOT link IN_LIST used_public
               AND NOT ${target}_type STREQUAL "EXECUTABLE")
            list(APPEND findings
                 "${target} links ${link} publicly, but none of its headers includes it")
        endif()
    endforeach()
endforeach()

if(findings)
    list(REMOVE_DUPLICATES findings)
    list(LENGTH findings count)
    foreach(finding IN LISTS findings)
        message("${finding}")
    endforeach()
    message(FATAL_ERROR "${count} undeclared or needless dependencies")
endif()
list(LENGTH targets count)
message("every include of ${count} targets goes through a declared link")
