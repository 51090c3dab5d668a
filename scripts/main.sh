#!/usr/bin/env bash
# Installs what is missing, builds the shipping plug-in (i686) into
# dist/testtorvane.dll and prints the callbacks it exports.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target testtorvane
mkdir -p dist
cp build/win32/bin/testtorvane.dll dist/testtorvane.dll
echo "dist/testtorvane.dll:"
python3 tests/check_exports.py i686-w64-mingw32-objdump dist/testtorvane.dll
