#!/bin/sh
# Runs the Windows build of the torvane tool under wine: renders the sample
# reply with the default (Classic) template and checks that the HTML names the
# sender and points at the saved picture, then renders it again with a
# settings file; then what touches Windows' files and streams: -o replacing
# a file and refusing a folder or an input, --fresh, standard output
# redirected, and a relative --temp. Arguments: the tool, the source folder,
# a work folder.
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
    --settings zh.ini --temp zh-files -o zh.html)
grep -q '<b>Sent:</b> 2026年12月1日 星期二 03:14<' "$WORK/zh.html"
# A relative --temp is written into the HTML as an absolute path.
grep -q '<img src="[A-Z]:\\[^"]*\\zh-files\\tv00001.png"' "$WORK/zh.html"

fail() { echo "$*" >&2; exit 1; }
cd "$WORK"
printf 'Content-Type: text/html\r\n\r\n<p>edited %%s</p>\r\n' >edited.tml
# -o replaces the reply of an earlier render.
"$TORVANE_WINE" "$TOOL" render "$SOURCE/examples/messages/html-with-image.eml" --template edited.tml \
    --temp files -o reply.html 2>/dev/null
grep -q '<p>edited ' reply.html || fail "-o did not replace reply.html"
# A folder, or one of the inputs, is refused.
mkdir -p folder
if "$TORVANE_WINE" "$TOOL" render "$SOURCE/examples/messages/html-with-image.eml" -o folder 2>err.txt ||
    ! grep -q "cannot write 'folder': it is a folder" err.txt; then
    fail "-o folder: $(cat err.txt)"
fi
cp edited.tml input.tml
if "$TORVANE_WINE" "$TOOL" render "$SOURCE/examples/messages/html-with-image.eml" --template input.tml \
    --temp files -o INPUT.TML 2>err.txt || ! grep -q "names the template" err.txt; then
    fail "-o naming the template: $(cat err.txt)"
fi
cmp -s edited.tml input.tml || fail "the template was written over"
# Standard output carries the bytes -o writes; --fresh makes the renders alike.
"$TORVANE_WINE" "$TOOL" render "$SOURCE/examples/messages/html-with-image.eml" --temp fresh --fresh >stdout.html
"$TORVANE_WINE" "$TOOL" render "$SOURCE/examples/messages/html-with-image.eml" --temp fresh --fresh -o file.html
cmp stdout.html file.html || fail "standard output differs from -o"
test "$(ls fresh | wc -l)" = 3 || fail "--fresh left earlier files: $(ls fresh)"
echo "torvane.exe rendered the sample reply"
