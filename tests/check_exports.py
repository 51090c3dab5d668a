#!/usr/bin/env python3
"""Checks the built plug-in's tables with objdump -p: the export table holds
exactly the seven callbacks, undecorated, at their ordinals, under the module
name testtorvane.dll, and every imported DLL is part of Windows (the MinGW
runtime is linked in statically).

Usage: check_exports.py OBJDUMP DLL
"""
import re
import subprocess
import sys

EXPECTED_EXPORTS = {
    1: "BKC_OnStart",
    2: "BKC_OnExit",
    3: "BKC_OnMenuInit",
    7: "BKC_OnOpenCompose",
    9: "BKC_OnKeyDispatch",
    13: "BKC_OnPlugInSetup",
    14: "BKC_OnPlugInInfo",
}
MODULE_NAME = "testtorvane.dll"
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "ole32.dll", "oleaut32.dll", "advapi32.dll",
    "msvcrt.dll", "shell32.dll", "shlwapi.dll", "comctl32.dll", "comdlg32.dll", "oleacc.dll",
    "version.dll", "ntdll.dll", "ucrtbase.dll", "ws2_32.dll", "mswsock.dll", "winmm.dll", "imm32.dll",
}


def is_system_dll(name):
    lower = name.lower()
    return lower in SYSTEM_DLLS or lower.startswith("api-ms-win-")


def parse(dump):
    """Module name, {ordinal: name}, set of ordinals with an address, imported DLL names."""
    module = None
    found = re.search(r"^Name\s+[0-9a-fA-F]+\s+(\S+)\s*$", dump, re.M)
    if found:
        module = found.group(1)
    base = re.search(r"Export Address Table -- Ordinal Base (\d+)", dump)
    base = int(base.group(1)) if base else 0
    addressed = set()
    names = {}
    section = None
    for line in dump.splitlines():
        if line.startswith("Export Address Table -- Ordinal Base"):
            section = "addresses"
            continue
        if line.startswith("[Ordinal/Name Pointer] Table"):
            section = "names"
            continue
        if not line.strip():
            section = None
            continue
        entry = re.match(r"\s*\[\s*(\d+)\]\s+(.*)$", line)
        if section == "addresses" and entry:
            addressed.add(int(entry.group(1)) + base)
        elif section == "names" and entry:
            names[int(entry.group(1)) + base] = entry.group(2).strip()
    imports = re.findall(r"^\s*DLL Name:\s*(\S+)\s*$", dump, re.M)
    return module, names, addressed, imports


def dump_of(objdump, path):
    result = subprocess.run([objdump, "-p", path], capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit("FAIL: %s -p %s: %s" % (objdump, path, result.stderr.strip()))
    return result.stdout


def foreign_imports(imports):
    return [name for name in imports if not is_system_dll(name)]


def check(objdump, dll):
    """The problems of the DLL's tables (none when it is right), its imports and exports by ordinal."""
    module, names, addressed, imports = parse(dump_of(objdump, dll))
    problems = []
    if module != MODULE_NAME:
        problems.append("module name %r, expected %r" % (module, MODULE_NAME))
    if names != EXPECTED_EXPORTS:
        problems.append("exports by name %s, expected %s" % (sorted(names.items()), sorted(EXPECTED_EXPORTS.items())))
    if addressed != set(EXPECTED_EXPORTS):
        problems.append("ordinals with an address %s, expected %s" % (sorted(addressed), sorted(EXPECTED_EXPORTS)))
    if not imports:
        problems.append("no import table found")
    foreign = foreign_imports(imports)
    if foreign:
        problems.append("imports DLLs that are not part of Windows: %s" % ", ".join(foreign))
    return problems, imports, names


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    objdump, dll = sys.argv[1:]
    problems, imports, names = check(objdump, dll)
    for problem in problems:
        print("FAIL: " + problem)
    if problems:
        sys.exit(1)
    print("OK: %s, imports %s" % (MODULE_NAME, ", ".join(imports)))
    for ordinal, name in sorted(names.items()):
        print("  @%-2d %s" % (ordinal, name))


if __name__ == "__main__":
    main()
