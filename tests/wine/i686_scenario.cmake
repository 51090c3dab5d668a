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

# The torvane.exe that ships, under 32-bit wine.
add_test(NAME i686_torvane_smoke
    COMMAND bash -c "bash \"$0\" --check >/dev/null || exit 77; exec sh \"$@\""
            ${CMAKE_SOURCE_DIR}/scripts/setup-i686.sh ${CMAKE_CURRENT_SOURCE_DIR}/torvane_smoke.sh
            $<TARGET_FILE:torvane> ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/torvane-smoke)
set_tests_properties(i686_torvane_smoke PROPERTIES
    FIXTURES_REQUIRED i686_wine_session ENVIRONMENT "${TORVANE_I686_ENVIRONMENT}" TIMEOUT 300
    SKIP_RETURN_CODE 77 LABELS i686-wine RESOURCE_LOCK i686_wine_drives)

# The shipping torvane.exe serves its page the same way (see wine_torvane_serve).
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME i686_torvane_serve
    COMMAND bash -c "bash '${CMAKE_SOURCE_DIR}/scripts/setup-i686.sh' --check || exit 77; exec \"$0\" \"$@\""
            ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/cli/serve_requests_test.py $<TARGET_FILE:torvane>
            ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/torvane-serve)
set_tests_properties(i686_torvane_serve PROPERTIES
    FIXTURES_REQUIRED i686_wine_session ENVIRONMENT "${TORVANE_I686_ENVIRONMENT}" TIMEOUT 600
    SKIP_RETURN_CODE 77 LABELS i686-wine RESOURCE_LOCK i686_wine_drives)

# The release archive's torvane.exe, unpacked on drive C: with drive Z: (the
# build machine's files) hidden; the drive is the prefix's, so no other
# 32-bit test runs meanwhile.
add_test(NAME i686_torvane_unpacked
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/torvane_unpacked.sh $<TARGET_FILE:testtorvane> $<TARGET_FILE:torvane>
            $<TARGET_FILE:torvane_host> ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/torvane-unpacked)
set_tests_properties(i686_torvane_unpacked PROPERTIES
    FIXTURES_REQUIRED i686_wine_session ENVIRONMENT "${TORVANE_I686_ENVIRONMENT}" TIMEOUT 300
    SKIP_RETURN_CODE 77 LABELS i686-wine RESOURCE_LOCK i686_wine_drives)
set_tests_properties(i686_shipping_scenario PROPERTIES RESOURCE_LOCK i686_wine_drives)

# torvane-host.exe, as it ships, answers the sample messages.
add_test(NAME i686_torvane_host_smoke
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/torvane_host_smoke.sh $<TARGET_FILE:torvane_host>
            $<TARGET_FILE:testtorvane> ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/torvane-host-smoke)
set_tests_properties(i686_torvane_host_smoke PROPERTIES
    FIXTURES_REQUIRED i686_wine_session ENVIRONMENT "${TORVANE_I686_ENVIRONMENT}" TIMEOUT 120
    SKIP_RETURN_CODE 77 LABELS i686-wine RESOURCE_LOCK i686_wine_drives)
