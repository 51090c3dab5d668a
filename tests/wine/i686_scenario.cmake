# The i686 build: the shipping DLL driven by the i686 test host through one
# long scenario, in ONE process under 32-bit wine, and the shipping
# programs. The prefix is made once and kept in the build tree, and the
# session's wineserver stays up for the run. Where the kernel cannot start
# 32-bit programs itself, every test is skipped with the reason
# (scripts/setup-i686.sh --check). The tests carry the label i686-wine, so a
# test run can take them apart from the others.
set(TORVANE_I686_ENVIRONMENT
    WINEPREFIX=${TORVANE_WINEPREFIX}
    WINEARCH=win32
    WINEDEBUG=-all
    TZ=${TORVANE_TEST_TIME_ZONE}
    # No mono or gecko installers; and a crash ends the process at once
    # instead of waiting in the debugger until the test times out.
    WINEDLLOVERRIDES=mscoree,mshtml,winedbg.exe=d
    TORVANE_WINE=${TORVANE_WINE}
    TORVANE_WINESERVER=${TORVANE_WINESERVER})

add_test(NAME i686_wine_session_start COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/i686_wine.sh start)
set_tests_properties(i686_wine_session_start PROPERTIES
    FIXTURES_SETUP i686_wine_session ENVIRONMENT "${TORVANE_I686_ENVIRONMENT}" TIMEOUT 900
    SKIP_RETURN_CODE 77 LABELS i686-wine)

add_test(NAME i686_wine_session_stop COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/i686_wine.sh stop)
set_tests_properties(i686_wine_session_stop PROPERTIES
    FIXTURES_CLEANUP i686_wine_session ENVIRONMENT "${TORVANE_I686_ENVIRONMENT}" TIMEOUT 120
    LABELS i686-wine)

add_test(NAME i686_shipping_scenario
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/i686_wine.sh run $<TARGET_FILE:torvane_test_host>
            --gtest_filter=ShippingScenario.*)
set_tests_properties(i686_shipping_scenario PROPERTIES
    FIXTURES_REQUIRED i686_wine_session ENVIRONMENT "${TORVANE_I686_ENVIRONMENT}" TIMEOUT 900
    SKIP_RETURN_CODE 77 LABELS i686-wine WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# add_i686_program_test(NAME TIMEOUT COMMAND...): a shipped program under
# 32-bit wine, skipped (with the reason) where 32-bit wine cannot run. The
# tests hold the prefix's drives, which torvane_unpacked.sh changes.
function(add_i686_program_test name timeout)
    add_test(NAME ${name}
        COMMAND bash -c "bash '${CMAKE_SOURCE_DIR}/scripts/setup-i686.sh' --check || exit 77; exec \"$0\" \"$@\""
                ${ARGN})
    set_tests_properties(${name} PROPERTIES
        FIXTURES_REQUIRED i686_wine_session ENVIRONMENT "${TORVANE_I686_ENVIRONMENT}" TIMEOUT ${timeout}
        SKIP_RETURN_CODE 77 LABELS i686-wine RESOURCE_LOCK i686_wine_drives)
endfunction()
set_tests_properties(i686_shipping_scenario PROPERTIES RESOURCE_LOCK i686_wine_drives)

# The torvane.exe that ships.
add_i686_program_test(i686_torvane_smoke 300
    sh ${CMAKE_CURRENT_SOURCE_DIR}/torvane_smoke.sh $<TARGET_FILE:torvane> ${CMAKE_SOURCE_DIR}
    ${CMAKE_CURRENT_BINARY_DIR}/torvane-smoke)

# It serves its page the same way (see wine_torvane_serve).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_i686_program_test(i686_torvane_serve 600
    ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/cli/serve_requests_test.py $<TARGET_FILE:torvane>
    ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/torvane-serve)

# The release archive's programs, unpacked on drive C: with drive Z: (the
# build machine's files) hidden.
add_i686_program_test(i686_torvane_unpacked 300
    bash ${CMAKE_CURRENT_SOURCE_DIR}/torvane_unpacked.sh $<TARGET_FILE:testtorvane> $<TARGET_FILE:torvane>
    $<TARGET_FILE:torvane_host> ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/torvane-unpacked)

# torvane-host.exe, as it ships, answers the sample messages.
add_i686_program_test(i686_torvane_host_smoke 120
    sh ${CMAKE_CURRENT_SOURCE_DIR}/torvane_host_smoke.sh $<TARGET_FILE:torvane_host> $<TARGET_FILE:testtorvane>
    ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/torvane-host-smoke)
