#!/usr/bin/env bash
# Renders every template of templates/ with the torvane tool and takes a
# picture of each rendering with headless Chromium, into docs/previews/:
#   <template>-<reply|forward>-english.png  the answer to html-with-image.eml
#   <template>-<reply|forward>-chinese.png  the answer to gb2312-report.eml,
#                                           with Language=SimplifiedChinese
# The random signature and the time zone are fixed, so the pictures change
# only when the templates or the engine do. Installs Chromium and a Chinese
# font for itself when they are missing (as root); neither is needed by
# scripts/main.sh or scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
command -v chromium >/dev/null || missing+=(chromium)
fc-list :lang=zh 2>/dev/null | grep -q . || missing+=(fonts-wqy-microhei)
if [ ${#missing[@]} -gt 0 ]; then
    apt-get update -qq || true  # a failing index leaves the others usable
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --preset native >/dev/null
cmake --build --preset native --target torvane >/dev/null
tool=$PWD/build/native/tools/torvane/torvane

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# ConvertText on, as a user of these templates would have it; ResetCharset
# off, because the tool's texts are UTF-8 whatever the reply's charset.
printf '[Settings]\r\nLanguage=English\r\nConvertText=TRUE\r\n' >"$work/english.ini"
printf '[Settings]\r\nLanguage=SimplifiedChinese\r\nConvertText=TRUE\r\n' >"$work/chinese.ini"

# One size for every picture, so that the README's gallery lines up.
width=760 height=340

mkdir -p docs/previews
rm -f docs/previews/*.png
for template in templates/*/*.tml; do
    name=$(basename "$(dirname "$template")")
    kind=reply
    forward=()
    if [ "$(basename "$template")" = torvanefwd.tml ]; then
        kind=forward
        forward=(--forward)
    fi
    for language in english chinese; do
        message=html-with-image
        [ "$language" = chinese ] && message=gb2312-report
        picture=$name-$kind-$language
        mkdir -p "$work/$picture"
        TORVANE_RANDOM_SEED=1 TZ=CST-8 "$tool" render "examples/messages/$message.eml" "${forward[@]}" \
            --template "$template" --settings "$work/$language.ini" --mailbox examples/mailbox \
            --temp "$work/$picture" --preview \
            -o "$work/$picture/page.html"
        chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
            --disable-background-networking --disable-component-update --disable-sync \
            --user-data-dir="$work/$picture/profile" --hide-scrollbars --force-device-scale-factor=1 \
            --window-size="$width,$height" --screenshot="$PWD/docs/previews/$picture.png" \
            "file://$work/$picture/page.html" >"$work/$picture/chromium.log" 2>&1 ||
            { cat "$work/$picture/chromium.log" >&2; exit 1; }
        echo "docs/previews/$picture.png"
    done
done
