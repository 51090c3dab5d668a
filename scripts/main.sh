#!/usr/bin/env bash
# Installs what is missing, builds the shipping plug-in (i686) into
# dist/testtorvane.dll and the optimised torvane tool, renders the reply to the
# sample message with the bundled reply template and prints where it is, then
# writes the release archive dist/testtorvane-<version>.zip and lists it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target testtorvane torvane torvane_host
mkdir -p dist
cp build/win32/bin/testtorvane.dll dist/testtorvane.dll
echo "dist/testtorvane.dll:"
python3 tests/check_exports.py i686-w64-mingw32-objdump dist/testtorvane.dll

# The tool as users run it: optimised, assertions off.
cmake --preset native-release >/dev/null
cmake --build --preset native-release --target torvane
rm -rf dist/sample-reply-files
mkdir -p dist/sample-reply-files
build/native-release/tools/torvane/torvane render examples/messages/html-with-image.eml \
    --temp "$PWD/dist/sample-reply-files" -o dist/sample-reply.html
echo
echo "rendered the reply to examples/messages/html-with-image.eml:"
echo "  $PWD/dist/sample-reply.html (attachments and pictures in $PWD/dist/sample-reply-files)"

# What users install (the DLL checked above), with the Windows build of the tool.
echo
echo "release archive:"
python3 scripts/make_release_archive.py dist/testtorvane.dll build/win32/tools/torvane/torvane.exe \
    build/win32/bin/torvane-host.exe dist
