#!/usr/bin/env python3
"""Whole-process benchmark of the torvane tool, as a user waits for it.

Builds the optimised tool (preset native-release), writes the realistic
messages of 1, 10 and 25 MB, the 5,000-picture message and the other shapes
(long HTML bodies full of picture references, whole-message plain texts
answered with ConvertText on, thousands of small attachments or one large
one), then times in one run, side by side on the same files:

  GMime 3    a process that reads the message, parses it and walks its parts
  inspect    torvane inspect MESSAGE
  render     torvane render MESSAGE, every attachment and picture written
  floor      reading the message and writing what render leaves on disk
             (cat, then cp -r of one render's folder)
  design     the file work the plug-in's design asks for (design_floor):
             reading the message, writing each saved part's encoded lines
             to a file and decoding it as the host's converter does, read
             back a piece at a time and written over (a picture into a
             second file), the decoded bytes taken ready-made

Each figure is the median of --runs runs (default 5), the programs taking
turns so that they share the machine's load. Peak is the process's peak
resident memory divided by the message's size (GMime's as well); "above" is
render's peak less that of rendering a one-line message (the process's own
baseline, printed once), divided by the same size: what the message itself
costs. CPU is user + system time, steadier than wall time on a busy machine. Every message is measured with
render's files on tmpfs (/dev/shm) and on the disk's temporary folder
(/var/tmp), one table row each; --temp-root picks other folders. Before each
timed process the page cache is written to the disk (sync), so that no process
shares the disk with the writeback of the files an earlier one left. Not part
of the test command.
"""
import argparse
import email
import email.policy
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build", "native-release")
TORVANE = os.path.join(BUILD, "tools", "torvane", "torvane")
MAKE_MESSAGES = os.path.join(BUILD, "bench", "make_messages")
GMIME = os.path.join(BUILD, "bench", "gmime_parse_walk")
DESIGN_FLOOR = os.path.join(BUILD, "bench", "design_floor")
TIME = "/usr/bin/time"
# Each message with whether it is answered with ConvertText on (a plain-text
# message is otherwise left to the mail client).
MESSAGES = [("realistic-1mb.eml", False), ("realistic-10mb.eml", False), ("realistic-25mb.eml", False),
            ("pictures-5000.eml", False), ("html-third-25mb.eml", False), ("html-half-10mb.eml", False),
            ("plain-25mb.eml", True), ("plain-long-10mb.eml", True), ("attachments-2000.eml", False),
            ("attachments-500.eml", False), ("attachments-1.eml", False)]
CONVERT_TEXT = "convert-text.ini"


def build():
    subprocess.run(["cmake", "--preset", "native-release"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", "--preset", "native-release", "--target", "torvane", "make_messages",
                    "design_floor"],
                   cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    gmime = subprocess.run(["cmake", "--build", "--preset", "native-release", "--target", "gmime_parse_walk"],
                           cwd=ROOT, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if gmime.returncode != 0:
        sys.exit("whole_process: GMime 3 is needed for the comparison (apt-get install libgmime-3.0-dev)")


def run(argv, env=None):
    """Runs one process with its output discarded: (wall s, CPU s, peak bytes).

    GNU time starts it and reports its peak: a process started straight from
    this script would count the script's own memory in its peak, which Linux
    carries over the exec.
    """
    actions = [(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
               (os.POSIX_SPAWN_OPEN, 2, os.devnull, os.O_WRONLY, 0)]
    # What earlier processes left in the page cache is written to the disk
    # first: otherwise its writeback runs beside this process, and the later
    # rows on the disk pay for the files of the earlier ones.
    os.sync()
    with tempfile.NamedTemporaryFile("r") as peak:
        started = time.perf_counter()
        pid = os.posix_spawn(TIME, [TIME, "-f", "%M", "-o", peak.name] + argv, env or os.environ,
                             file_actions=actions)
        _, status, usage = os.wait4(pid, 0)
        wall = time.perf_counter() - started
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit("whole_process: failed: " + " ".join(argv))
        kilobytes = int(peak.read().split()[-1])
    return wall, usage.ru_utime + usage.ru_stime, kilobytes * 1024


# Render's folders and their copies, removed only when every figure is taken:
# ext4 skips the inodes of files deleted in the last half minute when it makes
# new ones, so that whichever process first creates thousands of files after
# a deletion takes several times longer (measured: the same cp -r 0.3 s or
# 1.7 s by whether it ran first).
FOLDERS = []


def fresh_folder(root):
    folder = tempfile.mkdtemp(prefix="torvane-bench-", dir=root)
    FOLDERS.append(folder)
    return folder


def design_plan(message):
    """Writes, beside the message, the encoded lines and the decoded bytes of
    each part a render saves (every part but the text bodies; a picture with
    a Content-ID decoded into a second file, as the plug-in's are) and the
    plan that lists them for design_floor. Kept while the message is older."""
    folder = message + ".design"
    plan = os.path.join(folder, "plan")
    if os.path.exists(plan) and os.path.getmtime(plan) >= os.path.getmtime(message):
        return plan
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    with open(message, "rb") as file:
        parsed = email.message_from_binary_file(file, policy=email.policy.compat32)
    lines = []
    with open(plan + ".encoded", "wb") as encoded_file, open(plan + ".decoded", "wb") as decoded_file:
        for part in parsed.walk():
            if part.is_multipart():
                continue
            attached = (part.get("Content-Disposition") or "").strip().lower().startswith("attachment")
            if part.get_content_type() in ("text/html", "text/plain") and not attached:
                continue
            encoded = part.get_payload(decode=False)
            if isinstance(encoded, str):
                encoded = encoded.encode("latin-1", "replace")
            encoded = encoded.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            decoded = part.get_payload(decode=True) or b""
            picture = part.get_content_maintype() == "image" and part.get("Content-ID") is not None
            lines.append(f"{'separate' if picture else 'inplace'} {encoded_file.tell()} {len(encoded)} "
                         f"{decoded_file.tell()} {len(decoded)}\n")
            encoded_file.write(encoded)
            decoded_file.write(decoded)
    with open(plan, "w") as file:
        file.writelines(lines)
    return plan


def write_messages():
    """Writes the benchmark's messages, the ConvertText settings file and a
    one-line message (the baseline); (folder, settings path, one-line path)."""
    folder = os.path.join(BUILD, "bench-messages")
    os.makedirs(folder, exist_ok=True)
    subprocess.run([MAKE_MESSAGES, folder], check=True)
    settings = os.path.join(folder, CONVERT_TEXT)
    with open(settings, "w", newline="") as file:
        file.write("[Settings]\r\nConvertText=TRUE\r\n")
    tiny = os.path.join(folder, "one-line.eml")
    with open(tiny, "w", newline="") as file:
        file.write("From: a@example.org\r\nSubject: one line\r\nContent-Type: text/html\r\n\r\nHello\r\n")
    return folder, settings, tiny


def hot_functions_found():
    """How much of tools/torvane/hot_functions.txt the tool still has: a list
    gone stale (bench/hot_functions.py writes it again) shows in the peaks."""
    with open(os.path.join(ROOT, "tools", "torvane", "hot_functions.txt")) as file:
        wanted = {line.strip() for line in file if line.strip() and not line.startswith("#")}
    symbols = subprocess.run(["nm", "--defined-only", TORVANE], capture_output=True, text=True).stdout.split()
    return f"{len(wanted & set(symbols))} of the {len(wanted)} hot functions listed are in the tool"


def render_command(message, settings, folder):
    """The render the benchmark times, its files and its reply in `folder`;
    bench/hot_functions.py profiles the same, so that the code it lists is
    the code these runs touch."""
    return ([TORVANE, "render", message, "--temp", folder, "-o", os.path.join(folder, "reply.html")] +
            (["--settings", settings] if settings else []))


def measure(message, settings, runs, temp_root):
    env = dict(os.environ, TORVANE_RANDOM_SEED="1")
    results = {name: [] for name in ("gmime", "inspect", "render", "floor", "design")}
    plan = design_plan(message)
    for _ in range(runs):
        results["gmime"].append(run([GMIME, message]))
        results["inspect"].append(run([TORVANE, "inspect", message]))
        folder = fresh_folder(temp_root)
        results["render"].append(run(render_command(message, settings, folder), env))
        copy = folder + "-copy"
        results["floor"].append(run(["/bin/sh", "-c", 'cat "$1" >/dev/null && cp -r "$2" "$3"', "sh",
                                     message, folder, copy]))
        FOLDERS.append(copy)
        results["design"].append(run([DESIGN_FLOOR, message, fresh_folder(temp_root), plan]))
    return {name: tuple(statistics.median(run[i] for run in values) for i in range(3))
            for name, values in results.items()}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--temp-root", action="append",
                        help="where render's folders go, one row per folder given (default: /dev/shm, so that "
                             "the disk is not measured, and /var/tmp, on the disk)")
    parser.add_argument("--message", action="append", help="measure only this message (as named in the table)")
    parser.add_argument("--no-build", action="store_true", help="use the tool as built")
    parser.add_argument("--torvane", help="time this torvane executable instead (say, an earlier build)")
    options = parser.parse_args()
    roots = options.temp_root or [root for root in ("/dev/shm", "/var/tmp") if os.path.isdir(root)]
    global TORVANE
    if options.torvane:
        TORVANE = os.path.abspath(options.torvane)

    if not os.path.exists(TIME):
        subprocess.run(["apt-get", "install", "-y", "-q", "time"], check=True, stdout=subprocess.DEVNULL)
    if not options.no_build:
        build()
    folder, settings, tiny = write_messages()
    baseline = measure(tiny, None, options.runs, roots[0])["render"][2]

    print(f"median of {options.runs} runs; load average {os.getloadavg()[0]:.1f} on {os.cpu_count()} cores; "
          f"render's files in {', '.join(roots)}; a one-line message's render peaks at {baseline / 1e6:.1f} MB; "
          f"{hot_functions_found()}")
    header = (f"{'message':<20} {'MB':>5} {'files in':<8} | {'GMime s':>7} {'peak':>5} | {'inspect s':>9} {'/GMime':>6} {'peak':>5} | "
              f"{'render s':>8} {'/GMime':>6} {'peak':>5} {'above':>5} | {'floor s':>7} {'/floor':>6} | "
              f"{'design s':>8} {'/design':>7} | "
              f"CPU s: GMime inspect render")
    print(header)
    print("-" * len(header))
    try:
        for name, convert_text in MESSAGES:
            if options.message and name not in options.message:
                continue
            path = os.path.join(folder, name)
            size = os.path.getsize(path)
            for root in roots:
                result = measure(path, settings if convert_text else None, options.runs, root)
                gmime, inspect, render, floor, design = (result[key] for key in
                                                         ("gmime", "inspect", "render", "floor", "design"))
                print(f"{name:<20} {size / 1e6:5.1f} {root[:8]:<8} | {gmime[0]:7.3f} {gmime[2] / size:4.2f}x | "
                      f"{inspect[0]:9.3f} "
                      f"{inspect[0] / gmime[0]:5.2f}x {inspect[2] / size:4.2f}x | {render[0]:8.3f} "
                      f"{render[0] / gmime[0]:5.2f}x {render[2] / size:4.2f}x {(render[2] - baseline) / size:4.2f}x | "
                      f"{floor[0]:7.3f} "
                      f"{render[0] / floor[0]:5.2f}x | {design[0]:8.3f} {render[0] / design[0]:6.2f}x | "
                      f"{gmime[1]:.3f} {inspect[1]:.3f} {render[1]:.3f}", flush=True)
    finally:
        for made in FOLDERS:
            shutil.rmtree(made, ignore_errors=True)
    print("targets: 25 MB inspect <= 1.0x GMime, peak <= 2.5x; every message render <= 3x GMime, peak <= 3.5x, "
          "and within 1.5x of the floor where files dominate; pictures-5000 render < 0.3 s")


if __name__ == "__main__":
    main()
