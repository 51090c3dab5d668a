#!/usr/bin/env bash
# Installs what is missing, then configures, builds and tests all builds:
#   native       Linux, Debug: unit tests and tool tests
#   native-asan  the same under AddressSanitizer and UndefinedBehaviorSanitizer
#   win32        the shipping i686 DLL: its export and import tables
#   win32-i686   that DLL driven by the i686 test host through one long
#                scenario under 32-bit wine (Xvfb); TORVANE_SKIP_I686=1 leaves
#                it out, and it is skipped where 32-bit wine cannot run
#   win64        the x86_64 DLL driven by the test host under wine (Xvfb)
#   real-mail    the i686 DLL (through torvane-host.exe) and torvane.exe answer a
#                corpus of real mail under 32-bit wine (x86_64 under wine64
#                where 32-bit wine cannot run), against the native tool
# Exit status 0 only when every build is free of warnings and every test passes.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1
# 32-bit wine for the i686 scenario; without it that stage is skipped.
if [ -z "${TORVANE_SKIP_I686:-}" ]; then
    bash scripts/setup-i686.sh || echo "setup-i686 failed: the 32-bit scenario will be skipped"
fi

# Chromium and puppeteer-core for the page of `torvane serve`; without them
# that test is skipped.
bash scripts/setup-browser.sh || echo "setup-browser failed: the browser test of torvane serve will be skipped"

failures=()
timings=()

# stage NAME COMMAND...: runs the command, its output kept in build/logs.
stage() {
    local name=$1 started status
    shift
    started=$(date +%s)
    mkdir -p build/logs
    if "$@" >"build/logs/$name.log" 2>&1; then status=ok; else status=FAILED; failures+=("$name"); fi
    timings+=("$(printf '%-22s %5ss  %s' "$name" "$(( $(date +%s) - started ))" "$status")")
    return 0
}

build() {
    local preset=$1
    cmake --preset "$preset" || return 1
    cmake --build --preset "$preset" || return 1
}

# ctest prints one line per test; its summary and any failure are shown below.
run_tests() {
    local preset=$1
    shift
    "$@" ctest --preset "$preset"
}

# The ctest summary of a test stage, and the end of its log when it failed.
summarise() {
    local name=$1
    sed -n '/tests passed/,$p' "build/logs/$name.log"
    if [[ " ${failures[*]} " == *" $name "* ]]; then
        echo "-- last lines of build/logs/$name.log:"
        tail -80 "build/logs/$name.log"
    fi
}

for preset in native native-asan win32 win64; do
    stage "build-$preset" build "$preset"
    if grep -q "warning:" "build/logs/build-$preset.log"; then
        echo "build-$preset: compiler or linker warnings:"
        grep "warning:" "build/logs/build-$preset.log" | sort -u | head -20
        failures+=("warnings-$preset")
    fi
    if [[ " ${failures[*]} " == *" build-$preset "* ]]; then
        echo "build-$preset failed:"
        grep -E "error|FAILED" "build/logs/build-$preset.log" | head -30
        continue
    fi
    if [ "$preset" = win64 ]; then
        stage "test-$preset" run_tests "$preset" xvfb-run -a
    elif [ "$preset" = win32 ]; then
        # The 32-bit wine scenario is a stage of its own, right after.
        stage "test-$preset" ctest --preset "$preset" -LE i686-wine
    else
        stage "test-$preset" run_tests "$preset"
    fi
    echo "== $preset"
    summarise "test-$preset"
    if [ "$preset" = win32 ] && [ -z "${TORVANE_SKIP_I686:-}" ]; then
        stage test-win32-i686 xvfb-run -a ctest --preset win32 -L i686-wine
        echo "== win32-i686 (the shipping DLL under 32-bit wine)"
        bash scripts/setup-i686.sh --check  # says why, when the scenario was skipped
        summarise test-win32-i686
    fi
done

# The shipped programs answer real mail under wine, beside the native tool.
stage real-mail xvfb-run -a bash tests/real_mail/real_mail_stage.sh
echo "== real mail (the release's programs under wine against the native tool)"
tail -1 build/logs/real-mail.log
if [[ " ${failures[*]} " == *" real-mail "* ]]; then
    echo "-- last lines of build/logs/real-mail.log:"
    tail -40 build/logs/real-mail.log
fi

# The fuzzers get a bounded run: a crash, a leak or a write outside their
# scratch folder fails it.
stage fuzz env FUZZ_SECONDS="${FUZZ_SECONDS:-60}" bash scripts/fuzz.sh
echo "== fuzz"
tail -5 build/logs/fuzz.log
if [[ " ${failures[*]} " == *" fuzz "* ]]; then
    echo "-- last lines of build/logs/fuzz.log:"
    tail -60 build/logs/fuzz.log
fi

echo
echo "== timings"
printf '%s\n' "${timings[@]}"
if [ ${#failures[@]} -gt 0 ]; then
    echo "FAILED: ${failures[*]}"
    exit 1
fi
echo "all builds and tests passed"
