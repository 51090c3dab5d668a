#!/usr/bin/env bash
# The release archive's torvane.exe (and torvane-host.exe) as a user runs it: unpacked into a fresh
# folder of drive C:, with drive Z: (the build machine's files) hidden, so
# that nothing of the source or build tree is within reach. Covers the
# defaults beside the tool or built in, paths that are not ASCII (Chinese,
# Polish, a temporary folder under the user name Łukasz, an attachment name),
# file:/// URLs in --preview, settings files in UTF-16, TZ rules, /? and the
# tool's own temporary folder.
# Arguments: the DLL, torvane.exe, torvane-host.exe, the source folder, a
# work folder.
# Needs WINEPREFIX (the session's) and TORVANE_WINE; the x86_64 build runs it
# under wine64 too.
set -u
DLL=$1 EXE=$2 HOST=$3 SOURCE=$4 WORK=$5
if [ "${WINEARCH:-}" = win32 ] && ! reason=$(bash "$SOURCE/scripts/setup-i686.sh" --check); then
    echo "$reason"; exit 77
fi
WINE=${TORVANE_WINE:-/usr/lib/wine/wine}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$WORK"
mkdir -p "$WORK"
python3 "$SOURCE/scripts/make_release_archive.py" "$DLL" "$EXE" "$HOST" "$WORK" >/dev/null || exit 1
DRIVE_C="$WINEPREFIX/drive_c"
ROOT="$DRIVE_C/torvane-unpacked"
rm -rf "$ROOT"
mkdir -p "$ROOT/full" "$ROOT/alone" "$ROOT/work/Łódź 文件夹" "$DRIVE_C/users/Łukasz/Temp"
(cd "$ROOT/full" && unzip -q "$WORK"/testtorvane-*.zip) || exit 1
cp "$ROOT/full/torvane.exe" "$ROOT/alone/"
MESSAGE="$SOURCE/examples/messages/html-with-image.eml"
cp "$MESSAGE" "$ROOT/work/message.eml"
cp "$MESSAGE" "$ROOT/work/邮件.eml"
cp "$MESSAGE" "$ROOT/work/Łódź 文件夹/wiadomość.eml"
cp "$SOURCE/examples/messages/plain-text.eml" "$ROOT/work/plain.eml"
printf 'From: Jonas <jonas@example.de>\r\nSubject: Datei\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary="b"\r\n\r\n--b\r\nContent-Type: text/html; charset=UTF-8\r\n\r\n<p>Anbei.</p>\r\n--b\r\nContent-Type: text/plain\r\nContent-Disposition: attachment; filename*=UTF-8%s%s\r\n\r\nhallo\r\n--b--\r\n' "''" 'ci%C3%ABle.txt' >"$ROOT/work/attachment.eml"
printf 'Content-Type: text/html\r\n\r\n<p>%%N</p>\r\n' >"$ROOT/work/identity.tml"
# ConvertText on, saved by Notepad as "Unicode" (UTF-16 with its byte-order mark).
printf '\xff\xfe' >"$ROOT/work/unicode.ini"
printf '[Settings]\r\nConvertText=TRUE\r\n' | iconv -f UTF-8 -t UTF-16LE >>"$ROOT/work/unicode.ini"

# Hidden for the runs below, back whatever happens (and after an interrupted run).
DEVICES="$WINEPREFIX/dosdevices"
[ -L "$DEVICES/z-hidden" ] && [ ! -e "$DEVICES/z:" ] && mv "$DEVICES/z-hidden" "$DEVICES/z:"
mv "$DEVICES/z:" "$DEVICES/z-hidden" || exit 1
trap 'mv "$DEVICES/z-hidden" "$DEVICES/z:"' EXIT

OUT="$WORK/out" ERR="$WORK/err"
# run TOOL ARGUMENTS...: the tool (full or alone) in C:\torvane-unpacked\work.
run() {
    local tool="C:\\torvane-unpacked\\$1\\torvane.exe"; shift
    (cd "$ROOT/work" && "$WINE" "$tool" "$@" >"$OUT" 2>"$ERR")
}
status_is() { [ "$1" = "$2" ] || fail "$3: exit status $1, expected $2: $(cat "$ERR")"; }
has() { grep -qF -- "$2" "$1" || fail "$3: no '$2' in $(head -c 600 "$1")"; }

# The tool alone: the built-in Classic template and no mailbox.
run alone render message.eml --temp t1; status_is $? 0 "alone"
has "$OUT" '<b>From:</b> "Alex Moreno" &lt;alex@example.com&gt;' "alone"
run alone render message.eml --template identity.tml --temp t1; status_is $? 2 "alone, %N"
has "$ERR" "the template uses %N (your name, YourName in MailBox.ini), which needs a mailbox: give --mailbox FOLDER" "alone, %N"
# Unpacked whole: the sample mailbox beside the tool.
run full render message.eml --template identity.tml --temp t1; status_is $? 0 "full, %N"
has "$OUT" "<p>Dana Whitfield</p>" "full, %N"

# Paths that are not ASCII, in the arguments and in the HTML.
run full render 邮件.eml --temp t2 -o 回复.html; status_is $? 0 "Chinese paths"
[ -s "$ROOT/work/回复.html" ] || fail "Chinese paths: no 回复.html"
run full render "Łódź 文件夹\\wiadomość.eml" --temp "Łódź 文件夹\\pliki" -o "Łódź 文件夹\\odpowiedź.html"
status_is $? 0 "Polish paths"
has "$ROOT/work/Łódź 文件夹/odpowiedź.html" 'Łódź 文件夹\pliki\tv00001.png"' "Polish paths"
[ -s "$ROOT/work/Łódź 文件夹/pliki/tv00001.png" ] || fail "Polish paths: no picture saved"
cp "$ROOT/work/identity.tml" "$ROOT/work/模板.tml"
cp -r "$ROOT/full/mailbox" "$ROOT/work/邮箱"
printf '[Account]\r\nYourName=李明\r\n' >"$ROOT/work/邮箱/MailBox.ini"
printf '[Settings]\r\nConvertText=TRUE\r\n' >"$ROOT/work/设置.ini"
run full render plain.eml --template 模板.tml --mailbox 邮箱 --settings 设置.ini --temp t2
status_is $? 0 "Chinese template, mailbox and settings paths"
has "$OUT" "<p>李明</p>" "Chinese template, mailbox and settings paths"
run full render attachment.eml --temp t3; status_is $? 0 "attachment name"
[ -f "$ROOT/work/t3/ciële.txt" ] || fail "attachment name: saved as $(ls "$ROOT/work/t3")"

# A temporary folder under the user name Łukasz, named in UTF-8 in the page.
(cd "$ROOT/work" && "$WINE" cmd /c "set TEMP=C:\\users\\Łukasz\\Temp&& set TMP=C:\\users\\Łukasz\\Temp&& C:\\torvane-unpacked\\full\\torvane.exe render message.eml -o łukasz.html" >"$OUT" 2>"$ERR")
status_is $? 0 "temp under Łukasz"
has "$ROOT/work/łukasz.html" 'src="C:\users\Łukasz\Temp\torvane-' "temp under Łukasz"
(cd "$ROOT/work" && "$WINE" cmd /c "set TEMP=C:\\users\\Łukasz\\Temp&& set TMP=C:\\users\\Łukasz\\Temp&& C:\\torvane-unpacked\\full\\torvane.exe render message.eml --preview" >"$OUT" 2>"$ERR")
status_is $? 0 "preview under Łukasz"
has "$OUT" 'src="file:///C:/users/%C5%81ukasz/Temp/torvane-' "preview under Łukasz"

# Without -o nothing refers to the tool's own folder: it goes.
before=$(ls "$DRIVE_C/users/Łukasz/Temp" | grep -c '^torvane-')
(cd "$ROOT/work" && "$WINE" cmd /c "set TEMP=C:\\users\\Łukasz\\Temp&& set TMP=C:\\users\\Łukasz\\Temp&& C:\\torvane-unpacked\\full\\torvane.exe render message.eml" >"$OUT" 2>"$ERR")
status_is $? 0 "no folder left"
after=$(ls "$DRIVE_C/users/Łukasz/Temp" | grep -c '^torvane-')
[ "$before" = "$after" ] || fail "no folder left: $before torvane-N folders before the run, $after after"

# A settings file in UTF-16 reads as on Linux.
run full render plain.eml --settings unicode.ini --temp t4; status_is $? 0 "UTF-16 settings"

# TZ (which Windows itself ignores) and --time-zone: a rule wine cannot map to a Windows zone.
(cd "$ROOT/work" && TZ=XYZ-3:17 "$WINE" 'C:\torvane-unpacked\full\torvane.exe' render message.eml --temp t5 >"$OUT" 2>"$ERR")
has "$OUT" "<b>Sent:</b> Tue, 1 Dec 2026 11:31<br>" "TZ rule"
run full render message.eml --time-zone "<+0545>-5:45" --temp t5; status_is $? 0 "--time-zone"
has "$OUT" "<b>Sent:</b> Tue, 1 Dec 2026 13:59<br>" "--time-zone"

run full /?; status_is $? 0 "/?"
has "$OUT" "usage: torvane COMMAND" "/?"
run full check --list; status_is $? 0 "check --list"
has "$OUT" "%CETXT{a}{b}" "check --list"

# The plug-in itself, through torvane-host.exe beside it, the sample mailbox beside that.
(cd "$ROOT/work" && "$WINE" 'C:\torvane-unpacked\full\torvane-host.exe' message.eml --temp t6 -o host.html >"$OUT" 2>"$ERR")
status_is $? 0 "torvane-host.exe"
has "$ROOT/work/host.html" '"Alex Moreno" &lt;alex@example.com&gt;' "torvane-host.exe"
has "$ROOT/work/host.html" 'C:\torvane-unpacked\work\t6\tv00001.png' "torvane-host.exe"
[ -s "$ROOT/work/t6/report.pdf" ] || fail "torvane-host.exe: no attachment saved"

if [ "$failures" != 0 ]; then echo "$failures checks failed"; exit 1; fi
echo "the archive's torvane.exe ran from C:\\torvane-unpacked with drive Z: hidden"
