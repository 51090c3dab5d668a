# Collects the .cpp files of the given folders (not recursive), leaving out
# the other platform's implementation files (*_win.cpp / *_posix.cpp).
function(torvane_collect_sources out)
    set(result)
    foreach(folder ${ARGN})
        file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
        foreach(file ${found})
            if(NOT file MATCHES "${TORVANE_OTHER_PLATFORM_SUFFIX}\\.cpp$")
                list(APPEND result ${file})
            endif()
        endforeach()
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()
