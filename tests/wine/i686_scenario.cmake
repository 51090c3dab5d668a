# The i686 build: the shipping DLL driven by the i686 test host through one
# long scenario, in ONE process under 32-bit wine. Where the kernel cannot
# run 32-bit programs, wine runs emulated (qemu-i386, scripts/setup-i686.sh):
# a prefix then takes minutes to create and every process start most of a
# minute, so the prefix is made once and kept in the build tree, and the
# session's wineserver stays up for the run. The tests carry the label
# i686-wine, so a test run can take them apart from the others.
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

# torvane-host.exe, as it ships, answers the sample messages.
add_test(NAME i686_torvane_host_smoke
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/torvane_host_smoke.sh $<TARGET_FILE:torvane_host>
            $<TARGET_FILE:testtorvane> ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_BINARY_DIR}/torvane-host-smoke)
set_tests_properties(i686_torvane_host_smoke PROPERTIES
    FIXTURES_REQUIRED i686_wine_session ENVIRONMENT "${TORVANE_I686_ENVIRONMENT}" TIMEOUT 120
    SKIP_RETURN_CODE 77 LABELS i686-wine)
