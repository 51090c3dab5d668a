#!/usr/bin/env python3
"""Writes tools/torvane/hot_functions.txt: the functions of the Linux tool that
a render or an inspect runs, hottest first, for the linker to place side by
side (lld's --symbol-ordering-file).

Why: Linux maps a program's code into a process 64 KB around each page it
runs, and the resident pages count in its peak. Spread over the whole code,
the few hundred functions a render runs made 1.27 MB of the tool's 1.4 MB
resident; placed together, about 0.55 MB.

Runs the optimised tool (native-release, built as whole_process.py builds
it) under callgrind on a one-line message and on every message of the
benchmark, and adds up each function's own instructions. A name the code no
longer has is skipped by the linker, so a stale list only costs memory: run
this again after a large change (it takes under a minute).

    python3 bench/hot_functions.py [--no-build]
"""
import argparse
import collections
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import whole_process  # noqa: E402

LIST = os.path.join(whole_process.ROOT, "tools", "torvane", "hot_functions.txt")
HEADER = ("# The functions the torvane tool runs for render and inspect, hottest first,\n"
          "# for the linker to place together. Written by bench/hot_functions.py.\n")


def own_costs(profile, binary):
    """{mangled name: own instructions} of the functions in binary, from a
    callgrind output written with --compress-strings=no."""
    costs = collections.Counter()
    in_binary, name, skip_next = False, None, False
    with open(profile) as lines:
        for line in lines:
            if line.startswith("ob="):
                in_binary = os.path.realpath(line[3:].strip()) == binary
            elif line.startswith("fn="):
                name = line[3:].strip().split("'")[0] if in_binary else None
            elif line.startswith("calls="):
                skip_next = True  # the next cost line is the call's, not the function's own
            elif line[:1].isdigit() or line[:1] in "+-*":
                if skip_next:
                    skip_next = False
                elif name:
                    fields = line.split()
                    if len(fields) > 1:
                        costs[name] += int(fields[1])
    return costs


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--no-build", action="store_true", help="use the tool as built")
    options = parser.parse_args()
    if not shutil.which("valgrind"):
        subprocess.run(["apt-get", "install", "-y", "-q", "valgrind"], check=True, stdout=subprocess.DEVNULL)
    if not options.no_build:
        whole_process.build()
    folder, settings, tiny = whole_process.write_messages()
    binary = os.path.realpath(whole_process.TORVANE)

    with tempfile.TemporaryDirectory(prefix="hot-functions-") as work:
        # (command, message, settings): each render as the benchmark runs it,
        # the reply written with -o, since code left off the list is mapped
        # 64 KB at a time wherever it lies.
        runs = [("render", tiny, None), ("inspect", tiny, None)]
        runs += [("render", os.path.join(folder, name), settings if convert_text else None)
                 for name, convert_text in whole_process.MESSAGES]
        runs.append(("inspect", os.path.join(folder, whole_process.MESSAGES[0][0]), None))

        costs = collections.Counter()
        for number, (command, message, message_settings) in enumerate(runs):
            profile = os.path.join(work, f"callgrind.{number}")
            if command == "render":
                output = os.path.join(work, f"render-{number}")
                os.makedirs(output)
                argv = whole_process.render_command(message, message_settings, output)
            else:
                argv = [binary, command, message]
            subprocess.run(["valgrind", "--tool=callgrind", "--demangle=no", "--compress-strings=no",
                            "--compress-pos=no", f"--callgrind-out-file={profile}"] + argv,
                           check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           env=dict(os.environ, TORVANE_RANDOM_SEED="1"))
            costs.update(own_costs(profile, binary))
    # Unnamed code (a callgrind "0x..." entry) cannot be ordered by name.
    names = [name for name, _ in sorted(costs.items(), key=lambda item: (-item[1], item[0]))
             if not name.startswith("0x") and name != "(below main)"]
    with open(LIST, "w") as file:
        file.write(HEADER + "".join(name + "\n" for name in names))
    print(f"hot_functions: {len(names)} functions written to {os.path.relpath(LIST, whole_process.ROOT)}")


if __name__ == "__main__":
    main()
