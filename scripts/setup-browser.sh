#!/usr/bin/env bash
# Installs what the browser test of `torvane serve` needs: Debian's Chromium
# (as root) and the pinned npm packages of tests/browser. Quick when both are
# there already. Without them that test is skipped and says why.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v chromium >/dev/null; then
    if [ "$(id -u)" != 0 ]; then
        echo "setup-browser: chromium is missing (installing it needs root)" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    # A failing index (a mirror in the middle of a sync) leaves the others usable.
    apt-get update -q || echo "setup-browser: apt-get update reported errors; installing from the indexes it has"
    apt-get install -y -q --no-install-recommends chromium </dev/null
fi
if ! command -v npm >/dev/null; then
    if [ "$(id -u)" != 0 ]; then
        echo "setup-browser: npm is missing (installing it needs root)" >&2
        exit 1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends nodejs npm </dev/null
fi
if [ ! -d tests/browser/node_modules/puppeteer-core ]; then
    (cd tests/browser && npm ci --no-audit --no-fund)
fi
echo "setup-browser: chromium and puppeteer-core are installed"
