#!/bin/sh
# Runs the Windows build of the torvane tool under wine: renders the sample
# reply with the default (Classic) template and checks that the HTML names the
# sender and points at the saved picture, then renders it again with a
# settings file. Arguments: the tool, the source folder, a work folder.
set -eu
TOOL=$1 SOURCE=$2 WORK=$3
rm -rf "$WORK"
mkdir -p "$WORK/files"
cd "$SOURCE"
TORVANE_RANDOM_SEED=1 "$TORVANE_WINE" "$TOOL" render examples/messages/html-with-image.eml \
    --temp "$WORK/files" -o "$WORK/reply.html"
grep -q 'Alex Moreno' "$WORK/reply.html"
grep -q 'report.pdf' "$WORK/reply.html"
test -s "$WORK/files/report.pdf"
if grep -q 'cid:' "$WORK/reply.html"; then
    echo "cid: references left in the reply" >&2
    exit 1
fi
"$TORVANE_WINE" "$TOOL" --version | grep -q '^torvane 0.3.8'
# A settings file named without a folder is the one in the current folder;
# its Language names the date, in the zone wine takes from TZ.
printf '[Settings]\r\nLanguage=SimplifiedChinese\r\n' >"$WORK/zh.ini"
(cd "$WORK" && "$TORVANE_WINE" "$TOOL" render "$SOURCE/examples/messages/html-with-image.eml" \
    --settings zh.ini --temp files -o zh.html)
grep -q '<b>Sent:</b> 2026年12月1日 星期二 03:14<' "$WORK/zh.html"
echo "torvane.exe rendered the sample reply"
