#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with (as root).
# Quick when everything is installed already: nothing is fetched then.
set -euo pipefail

PACKAGES=(
    cmake ninja-build g++ pkg-config python3
    # links the Linux tool with its hot code together (tools/torvane/hot_functions.txt)
    lld
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    libboost1.81-dev
    googletest libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev
    libgmime-3.0-dev
    wine64 xvfb xauth
    # the real-mail corpus: the test messages of Python's email package
    libpython3.11-testsuite
)

missing=()
for package in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all build and test packages are installed"
    exit 0
fi

if [ "$(id -u)" != 0 ]; then
    echo "setup: missing packages (installing them needs root): ${missing[*]}" >&2
    exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# An index that fails to download (a mirror in the middle of a sync, seen
# with the i386 security index) leaves the others usable: go on with them.
apt-get update -q || echo "setup: apt-get update reported errors; installing from the indexes it has"
apt-get install -y -q "${missing[@]}" </dev/null
