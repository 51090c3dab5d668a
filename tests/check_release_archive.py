#!/usr/bin/env python3
"""Builds the release archive from the built DLL and tool, as scripts/main.sh
does, and checks it: the archive holds exactly the files a user needs; its DLL
is the built one, byte for byte, and passes the export-table check; its
torvane.exe and torvane-host.exe need no DLL beyond Windows'; and its testtorvane.ini sets every
key of [Settings] that the plug-in reads, to the default the plug-in uses.

Usage: check_release_archive.py OBJDUMP DLL EXE HOST_EXE WORK_DIR
"""
import configparser
import glob
import os
import re
import shutil
import sys
import zipfile

TESTS_DIR = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.dirname(TESTS_DIR)
sys.path[:0] = [TESTS_DIR, os.path.join(SOURCE_DIR, "scripts")]
import check_exports  # noqa: E402
import make_release_archive  # noqa: E402

EXPECTED_FILES = {"testtorvane.dll", "torvane.tml", "torvanefwd.tml", "testtorvane.ini", "torvane.exe", "torvane-host.exe",
                  "INSTALL.txt"} | {"mailbox/" + name for name in make_release_archive.MAILBOX_FILES}
# The plug-in's and the tool's code; not the tests, nor the host simulation.
READER_FOLDERS = ["platform", "text", "session", "mime", "template", "signature", "shell", "composer", "tools/torvane"]
PROFILE_CALL = re.compile(r'\breadProfileString\(\s*("[^"]*"|\w+)\s*,\s*("[^"]*"|\w+)\s*,\s*("[^"]*"|\w+)\s*,')


def settings_read_by_plugin():
    """{key: default} of every readProfileString call on section "Settings" in the
    sources. A key passed in through a helper's parameter is found at the helper's
    calls with a literal key. Returns (keys, problems)."""
    keys, problems = {}, []
    files = {}
    for folder in READER_FOLDERS:
        for path in glob.glob(os.path.join(SOURCE_DIR, folder, "**", "*.*"), recursive=True):
            if not path.endswith((".cpp", ".h")):
                continue
            with open(path, encoding="utf-8", errors="replace") as source:
                files[os.path.relpath(path, SOURCE_DIR)] = source.read()

    def value(argument, text):
        if argument.startswith('"'):
            return argument[1:-1]
        constant = re.search(r"\b%s\s*=\s*\"([^\"]*)\"" % argument, text)
        return constant.group(1) if constant else None

    for name, text in files.items():
        for call in PROFILE_CALL.finditer(text):
            section, key, default = call.groups()
            section = value(section, text)
            if section is None:
                problems.append("%s: cannot tell the section of a profile read" % name)
            if section != "Settings":
                continue
            if value(default, text) is None:
                problems.append("%s: cannot tell the default %s of a Settings read" % (name, default))
            if key.startswith('"'):
                keys[key[1:-1]] = value(default, text)
                continue
            # The key is the parameter of the function around the call: take its literal keys.
            helpers = re.findall(r"(\w+)\([^()]*\b%s\b[^()]*\)\s*\{" % key, text[:call.start()])
            helper_call = re.compile(r"\b%s\(\s*\"(\w+)\"" % helpers[-1]) if helpers else None
            found = [literal for t in files.values() for literal in helper_call.findall(t)] if helper_call else []
            if not found:
                problems.append("%s: cannot tell which keys %s reads from Settings" % (name, key))
            for literal in found:
                keys[literal] = value(default, text)
    return keys, problems


def ini_settings(data):
    parser = configparser.ConfigParser(interpolation=None, comment_prefixes=(";",))
    parser.optionxform = str
    parser.read_string(data.decode("utf-8"))
    return {section: dict(parser[section]) for section in parser.sections()}


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    objdump, dll, exe, host, work = sys.argv[1:]
    shutil.rmtree(work, ignore_errors=True)
    path = make_release_archive.build(dll, exe, host, work)
    unpacked = os.path.join(work, "unpacked")
    problems = []
    with zipfile.ZipFile(path) as archive:
        names = set(archive.namelist())
        if names != EXPECTED_FILES:
            problems.append("%s holds %s, expected %s" % (path, sorted(names), sorted(EXPECTED_FILES)))
        archive.extractall(unpacked, members=names & EXPECTED_FILES)

    def unpacked_file(name):
        return os.path.join(unpacked, name) if name in names else None

    if unpacked_file("testtorvane.dll"):
        with open(dll, "rb") as built, open(unpacked_file("testtorvane.dll"), "rb") as shipped:
            if built.read() != shipped.read():
                problems.append("the archive's testtorvane.dll is not the built %s" % dll)
        problems += check_exports.check(objdump, unpacked_file("testtorvane.dll"))[0]
    for program in ("torvane.exe", "torvane-host.exe"):
        if not unpacked_file(program):
            continue
        foreign = check_exports.foreign_imports(check_exports.parse(check_exports.dump_of(objdump, unpacked_file(program)))[3])
        if foreign:
            problems.append("%s needs DLLs that are not part of Windows: %s" % (program, ", ".join(foreign)))
    for name in make_release_archive.MAILBOX_FILES:
        # torvane.exe reads the sample mailbox beside it: the tested files, byte for byte.
        shipped = unpacked_file("mailbox/" + name)
        with open(os.path.join(SOURCE_DIR, "examples", "mailbox", name), "rb") as sample:
            if shipped and open(shipped, "rb").read() != sample.read():
                problems.append("the archive's mailbox/%s is not examples/mailbox/%s" % (name, name))
    if unpacked_file("testtorvane.ini"):
        expected, unreadable = settings_read_by_plugin()
        problems += unreadable
        with open(unpacked_file("testtorvane.ini"), "rb") as ini:
            shipped = ini_settings(ini.read())
        if shipped != {"Settings": expected}:
            problems.append("testtorvane.ini sets %s, the plug-in reads %s" % (shipped, {"Settings": expected}))

    for problem in problems:
        print("FAIL: " + problem)
    if problems:
        sys.exit(1)
    print("OK: %s holds %s" % (os.path.basename(path), ", ".join(sorted(names))))


if __name__ == "__main__":
    main()
