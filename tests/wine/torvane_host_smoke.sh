#!/bin/sh
# Runs torvane-host.exe under wine as a user runs it from the release
# archive: the host, the DLL and the Classic pair in one folder. Checks a
# reply (the editor's HTML, the saved attachment), a forward, a character
# set chosen from the editor's menu, a plain-text message left to the mail
# client (exit 1), and a missing template: the plug-in's message box printed
# with its caption, exit 2. Arguments: torvane-host.exe, testtorvane.dll, the
# source folder, a work folder.
set -eu
HOST=$1 DLL=$2 SOURCE=$3 WORK=$4
if [ "${WINEARCH:-}" = win32 ] && ! bash "$SOURCE/scripts/setup-i686.sh" --check; then exit 77; fi
rm -rf "$WORK"
mkdir -p "$WORK/install" "$WORK/bare"
cp "$HOST" "$DLL" "$SOURCE/templates/classic/torvane.tml" "$SOURCE/templates/classic/torvanefwd.tml" "$WORK/install"
cp "$HOST" "$DLL" "$WORK/bare"
printf '[Settings]\r\nResetCharset=TRUE\r\n' >"$WORK/reset.ini"
cd "$WORK"
run() {  # run EXPECTED_STATUS ARGUMENTS...: the host's exit status must be EXPECTED_STATUS
    expected=$1
    shift
    status=0
    TORVANE_RANDOM_SEED=1 "$TORVANE_WINE" "$@" 2>stderr.txt || status=$?
    if [ "$status" != "$expected" ]; then
        echo "torvane-host $*: exit status $status, expected $expected" >&2
        cat stderr.txt >&2
        exit 1
    fi
}
message=$SOURCE/examples/messages
run 0 install/torvane-host.exe "$message/html-with-image.eml" --mailbox "$SOURCE/examples/mailbox" \
    --temp reply-files -o reply.html
grep -q 'Alex Moreno' reply.html
grep -q 'Type your reply here' reply.html
test -s reply-files/report.pdf
if grep -q 'cid:' reply.html; then echo "cid: references left in the reply" >&2; exit 1; fi
run 0 install/torvane-host.exe "$message/html-with-image.eml" --forward --temp forward-files -o forward.html
grep -q 'Forwarded message' forward.html
run 0 install/torvane-host.exe "$message/html-with-image.eml" --settings reset.ini --charset BIG5 \
    --temp big5-files -o big5.html
grep -qi 'charset=BIG5' big5.html
run 1 install/torvane-host.exe "$message/plain-text.eml" --temp plain-files -o plain.html
test ! -e plain.html
run 2 bare/torvane-host.exe "$message/html-with-image.eml" --temp bare-files -o bare.html
grep -q 'message box "": Template .*torvane.tml not found!' stderr.txt
run 2 install/torvane-host.exe
echo "torvane-host.exe answered as the mail client would have it"
