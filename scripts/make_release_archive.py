#!/usr/bin/env python3
"""Writes the release archive OUT_DIR/testtorvane-<version>.zip: what a user
copies into the mail client's plug-in folder (the i686 DLL, the Classic
template pair, the settings file), the template tool torvane.exe with a
sample mailbox for it, torvane-host.exe (answers a message with the DLL
beside it, without the mail client) and INSTALL.txt. Prints the archive's
path and its files.

The version is the plug-in's own, read from shell/plugin_version.h. The
text files get CRLF line ends, for Notepad and the other Windows editors
users open them with; the templates and the sample mailbox (whose files
have CRLF line ends already, as the mail client writes them) go in byte for
byte.

Usage: make_release_archive.py DLL EXE HOST_EXE OUT_DIR
"""
import os
import re
import sys
import tempfile
import time
import zipfile

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# The sample mailbox: torvane.exe takes the folder "mailbox" beside it.
MAILBOX_FILES = ["MailBox.ini", "$$$00000Default.txt", "$$$00001html_Work.txt"]
VERSION_HEADER = os.path.join(SOURCE_DIR, "shell", "plugin_version.h")


def read_version():
    with open(VERSION_HEADER, encoding="ascii") as header:
        found = re.search(r'kPlugInVersion = "([^"]+)"', header.read())
    if not found:
        sys.exit("%s: no kPlugInVersion = \"<version>\" line" % VERSION_HEADER)
    return found.group(1)


def archive_name(version):
    return "testtorvane-%s.zip" % version


def windows_text(path, version):
    with open(path, encoding="utf-8") as source:
        text = source.read().replace("@VERSION@", version)
    return text.replace("\n", "\r\n").encode("utf-8")


def entries(dll, exe, host, version):
    """(name in the archive, source path, bytes or None to copy the file), in the archive's order."""
    release = os.path.join(SOURCE_DIR, "release")
    classic = os.path.join(SOURCE_DIR, "templates", "classic")
    return [
        ("testtorvane.dll", dll, None),
        ("torvane.tml", os.path.join(classic, "torvane.tml"), None),
        ("torvanefwd.tml", os.path.join(classic, "torvanefwd.tml"), None),
        ("testtorvane.ini", os.path.join(release, "testtorvane.ini"),
         windows_text(os.path.join(release, "testtorvane.ini"), version)),
        ("torvane.exe", exe, None),
        ("torvane-host.exe", host, None),
    ] + [
        ("mailbox/" + name, os.path.join(SOURCE_DIR, "examples", "mailbox", name), None) for name in MAILBOX_FILES
    ] + [
        ("INSTALL.txt", os.path.join(release, "INSTALL.txt"),
         windows_text(os.path.join(release, "INSTALL.txt"), version)),
    ]


def build(dll, exe, host, out_dir):
    """Writes the archive (never a partial one) and returns its path."""
    version = read_version()
    os.makedirs(out_dir, exist_ok=True)
    path = os.path.join(out_dir, archive_name(version))
    handle, partial = tempfile.mkstemp(dir=out_dir, suffix=".partial")
    os.close(handle)
    try:
        with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as archive:
            for name, source, data in entries(dll, exe, host, version):
                if data is None:
                    archive.write(source, name)
                else:
                    info = zipfile.ZipInfo(name, time.localtime(os.path.getmtime(source))[:6])
                    info.compress_type = zipfile.ZIP_DEFLATED
                    archive.writestr(info, data)
        os.chmod(partial, 0o644)
        os.replace(partial, path)
    except BaseException:
        os.unlink(partial)
        raise
    return path


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    path = build(*sys.argv[1:])
    print("%s:" % os.path.abspath(path))
    with zipfile.ZipFile(path) as archive:
        for info in archive.infolist():
            print("  %-30s %9d bytes" % (info.filename, info.file_size))


if __name__ == "__main__":
    main()
