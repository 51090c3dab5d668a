# Boost.Regex and Boost.Format are used header-only. MinGW must not see
# /usr/include (glibc headers break it), so it gets a folder that holds only
# a link to the Boost headers.
add_library(torvane_boost INTERFACE)
target_compile_definitions(torvane_boost INTERFACE BOOST_REGEX_NO_LIB BOOST_ALL_NO_LIB)
if(CMAKE_CROSSCOMPILING)
    set(TORVANE_BOOST_ROOT ${CMAKE_BINARY_DIR}/boost-include)
    file(MAKE_DIRECTORY ${TORVANE_BOOST_ROOT})
    if(NOT EXISTS ${TORVANE_BOOST_ROOT}/boost)
        file(CREATE_LINK /usr/include/boost ${TORVANE_BOOST_ROOT}/boost SYMBOLIC)
    endif()
    target_include_directories(torvane_boost SYSTEM INTERFACE ${TORVANE_BOOST_ROOT})
endif()
