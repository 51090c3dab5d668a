#!/usr/bin/env python3
"""Writes the test host's module-definition file: every BKA_ name of the host
interface exported undecorated, whatever the calling convention made of the
symbol (on i686 stdcall names carry "@bytes", so the export becomes an alias).

Usage: make_host_def.py NM LIBRARY HOST_API_HEADER OUTPUT
"""
import re
import subprocess
import sys


def interface_names(header):
    text = open(header).read()
    return ["BKA_" + name for name in re.findall(r"^\s*X\((\w+),", text, re.M)]


def defined_symbols(nm, library):
    listing = subprocess.run([nm, "-g", "--defined-only", library], check=True, capture_output=True,
                             text=True).stdout
    symbols = {}
    for line in listing.splitlines():
        parts = line.split()
        if len(parts) != 3 or parts[1] != "T":
            continue
        symbol = parts[2]
        found = re.match(r"^_?(BKA_\w+?)(@\d+)?$", symbol)
        if found:
            # The linker's name for it: without the i686 leading underscore.
            symbols[found.group(1)] = symbol[1:] if symbol.startswith("_") else symbol
    return symbols


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    nm, library, header, output = sys.argv[1:]
    names = interface_names(header)
    symbols = defined_symbols(nm, library)
    missing = [name for name in names if name not in symbols]
    if missing:
        sys.exit("the host simulation lacks: " + ", ".join(missing))
    lines = ["EXPORTS"]
    for name in names:
        symbol = symbols[name]
        lines.append("    " + (name if symbol == name else "%s = %s" % (name, symbol)))
    with open(output, "w") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
