#!/usr/bin/env python3
"""The real-mail stage: the programs users install answer real mail under
wine, and must answer it as the native tool does.

For every message of the corpus (the test messages of Python's email
package, every message under tests/data and examples/, and hostile ones
from hostile_messages.py), the DLL through torvane-host.exe and torvane.exe
(32-bit wine, or the x86_64 build under wine64 where 32-bit programs cannot
run) and the native torvane answer it. Each run must end (no crash, no hang
within 20 s) and write nothing outside its --temp folder and its output;
all three must exit alike, inspect --json must be equal (tool against
tool), the HTML equal once the temporary folder is normalised and the text
compared in one encoding (the plug-in writes the ANSI code page, the tools
UTF-8: characters the code page cannot hold are counted apart), and the
saved files equal in names and bytes. Prints one summary line; exits 1 on
any difference without a known reason.

Usage: compare_real_mail.py --native TORVANE --win-build DIR --wine WINE --work DIR [--list]
"""
import argparse
import concurrent.futures
import glob
import hashlib
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
from hostile_messages import hostile_messages  # noqa: E402

PYTHON_EMAIL_DATA = "/usr/lib/python3.11/test/test_email/data"
TIMEOUT = 20
ACP = "cp1252"  # wine's ANSI code page in the C and English locales
CODE_PAGE = "torvane-host: characters the ANSI code page cannot hold"


def corpus(work):
    messages = sorted(glob.glob(os.path.join(PYTHON_EMAIL_DATA, "msg_*.txt")))
    messages += sorted(glob.glob(os.path.join(SOURCE, "tests", "data", "**", "*.eml"), recursive=True))
    messages += sorted(glob.glob(os.path.join(SOURCE, "examples", "messages", "*.eml")))
    hostile = os.path.join(work, "hostile")
    os.makedirs(hostile, exist_ok=True)
    for name, content in sorted(hostile_messages().items()):
        path = os.path.join(hostile, name + ".eml")
        with open(path, "wb") as f:
            f.write(content)
        messages.append(path)
    cases = [(m, []) for m in messages]
    # The forward template and the editor's pop-up menu on the sample messages.
    for sample in sorted(glob.glob(os.path.join(SOURCE, "examples", "messages", "*.eml"))):
        cases += [(sample, ["--forward"]), (sample, ["--charset", "BIG5"])]
    return cases


def case_name(message, extra):
    base = os.path.relpath(message, SOURCE) if message.startswith(SOURCE) else os.path.basename(message)
    if message.startswith(PYTHON_EMAIL_DATA):
        base = "python-email/" + os.path.basename(message)
    elif os.path.basename(os.path.dirname(message)) == "hostile":
        base = "hostile/" + os.path.basename(message)
    return base + ("" if not extra else " " + " ".join(extra))


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def snapshot(folders):
    state = {}
    for folder in folders:
        for root, dirs, files in os.walk(folder):
            for name in dirs + files:
                path = os.path.join(root, name)
                state[path] = os.path.getsize(path) if os.path.isfile(path) else -1
    return state


def run(command, env, cwd):
    started = time.monotonic()
    try:
        done = subprocess.run(command, env=env, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=TIMEOUT)
        return {"status": done.returncode, "stdout": done.stdout, "stderr": done.stderr,
                "seconds": time.monotonic() - started}
    except subprocess.TimeoutExpired:
        return {"status": "hang", "stdout": b"", "stderr": b"", "seconds": TIMEOUT}


# The tool's record of what it wrote into --temp, which the plug-in has no need of.
TOOL_RECORD = b".torvane-written"


def files_in(folder):
    found = {}
    for root, _, files in os.walk(os.fsencode(folder)):
        for name in files:
            path = os.path.join(root, name)
            if os.path.samefile(root, folder) and name == TOOL_RECORD:
                continue
            relative = os.path.relpath(path, os.fsencode(folder))
            with open(path, "rb") as f:
                found[relative] = f.read()
    return found


class Stage:
    def __init__(self, args):
        self.args = args
        self.work = os.path.abspath(args.work)
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work)
        self.install = os.path.join(self.work, "install")
        os.makedirs(self.install)
        # The release archive's layout, with the Classic pair it ships.
        for path in [os.path.join(args.win_build, "bin", "testtorvane.dll"),
                     os.path.join(args.win_build, "bin", "torvane-host.exe"),
                     os.path.join(args.win_build, "tools", "torvane", "torvane.exe"),
                     os.path.join(SOURCE, "templates", "classic", "torvane.tml"),
                     os.path.join(SOURCE, "templates", "classic", "torvanefwd.tml")]:
            shutil.copy(path, self.install)
        # One signature, so that the random draw of %R has one outcome.
        self.mailbox = os.path.join(self.work, "mailbox")
        os.makedirs(self.mailbox)
        for name in ["MailBox.ini", "$$$00000Default.txt"]:
            shutil.copy(os.path.join(SOURCE, "examples", "mailbox", name), self.mailbox)
        self.settings = os.path.join(self.work, "settings.ini")
        with open(self.settings, "w", newline="") as f:
            f.write("[Settings]\r\nLanguage=English\r\nConvertText=TRUE\r\nResetCharset=TRUE\r\n")
        self.native_env = dict(os.environ, TZ="UTC", TORVANE_RANDOM_SEED="1", LC_ALL="C.UTF-8")
        self.wine_env = dict(os.environ, TZ="UTC", TORVANE_RANDOM_SEED="1", LC_ALL="C.UTF-8", WINEDEBUG="-all",
                             WINEDLLOVERRIDES="mscoree,mshtml,winedbg.exe=d")
        prefix = os.environ.get("WINEPREFIX", "")
        self.wine_temp = [p for p in glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Local",
                                                            "Temp"))] + [os.path.join(prefix, "drive_c", "windows",
                                                                                      "temp")]
        self.retries = []
        self.watched = [self.install, self.mailbox] + [p for p in self.wine_temp if os.path.isdir(p)]

    def run_case(self, index, message, extra):
        case = "c%03d" % index
        results = {}
        for program in ["native", "exe", "host"]:
            folder = os.path.join(self.work, program, case)
            temp, cwd = os.path.join(folder, "temp"), os.path.join(folder, "cwd")
            os.makedirs(temp)
            os.makedirs(cwd)
            output = os.path.join(folder, "reply.html")
            common = ["--mailbox", self.mailbox, "--settings", self.settings, "--temp", temp, "-o", output]
            if program == "native":
                env = dict(self.native_env, TMPDIR=cwd)
                command = [self.args.native, "render", message, "--template",
                           os.path.join(self.install, "torvanefwd.tml" if "--forward" in extra else "torvane.tml")]
                command += common + extra
                inspect = [self.args.native, "inspect", message, "--json"]
            else:
                env = dict(self.wine_env, TEMP=windows_path(cwd), TMP=windows_path(cwd))
                win = [windows_path(p) if os.path.isabs(p) else p for p in common]
                if program == "exe":
                    command = [self.args.wine, os.path.join(self.install, "torvane.exe"), "render",
                               windows_path(message), "--template",
                               windows_path(os.path.join(self.install, "torvanefwd.tml" if "--forward" in extra
                                                         else "torvane.tml"))] + win + extra
                    inspect = [self.args.wine, os.path.join(self.install, "torvane.exe"), "inspect",
                               windows_path(message), "--json"]
                else:
                    command = [self.args.wine, os.path.join(self.install, "torvane-host.exe"),
                               windows_path(message)] + win + extra
                    inspect = None
            result = run(command, env, cwd)
            if result["status"] == "hang" and program != "native":
                # Wine's desktop, made again for programs that start side by
                # side, can keep one from starting: run it again, and say so.
                shutil.rmtree(temp)
                os.makedirs(temp)
                result = run(command, env, cwd)
                self.retries.append(case_name(message, extra) + " " + program)
            result["inspect"] = run(inspect, env, cwd) if inspect else None
            result["temp"] = temp
            result["html"] = open(output, "rb").read() if os.path.exists(output) else None
            result["files"] = files_in(temp)
            strays = [n for n in os.listdir(cwd)] + [n for n in os.listdir(folder) if n not in
                                                     ("temp", "cwd", "reply.html")]
            result["strays"] = strays
            results[program] = result
        return compare(case_name(message, extra), results)

    def main(self):
        started = time.monotonic()
        cases = corpus(self.work)
        before = snapshot(self.watched)
        # One answer first: the session's services and its desktop (made by
        # the first program that opens a window) are up before programs
        # start side by side.
        warm = os.path.join(self.work, "warm-up")
        os.makedirs(warm)
        run([self.args.wine, os.path.join(self.install, "torvane-host.exe"),
             windows_path(os.path.join(SOURCE, "examples", "messages", "html-with-image.eml")),
             "--temp", windows_path(warm), "-o", windows_path(os.path.join(warm, "reply.html"))], self.wine_env, warm)
        with concurrent.futures.ThreadPoolExecutor(max_workers=self.args.jobs) as pool:
            outcomes = list(pool.map(lambda item: self.run_case(item[0], *item[1]), enumerate(cases)))
        after = snapshot(self.watched)
        elapsed = time.monotonic() - started
        written = sorted(set(after) - set(before)) + sorted(p for p in before if after.get(p) != before[p])
        return report(outcomes, written, elapsed, self.args, self.retries)


def normalised_html(result, program):
    html = result["html"]
    if html is None:
        return None
    temp = os.fsencode(result["temp"])
    if program == "native":
        html = html.replace(temp + b"/", b"TEMP/")
        return html.decode("utf-8", "surrogateescape")
    win = os.fsencode(windows_path(result["temp"]))
    html = html.replace(win + b"\\", b"TEMP/").replace(win, b"TEMP")
    return html.decode(ACP if program == "host" else "utf-8", "surrogateescape")


def in_code_page(text):
    """The text as the ANSI code page holds it: characters it lacks become
    one mark each (two for those beyond the BMP, UTF-16 pairs), and the count."""
    out, lost = [], 0
    for c in text:
        if "\udc80" <= c <= "\udcff":  # a byte that was not UTF-8: compared as a byte
            out.append(c)
            continue
        try:
            c.encode(ACP)
            out.append(c)
        except UnicodeEncodeError:
            lost += 1
            out.append("\0\0" if ord(c) > 0xFFFF else "\0")
    return "".join(out), lost


def code_page_byte(c):
    """The byte a character of the host's output was (wine reads 0x81, 0x8D,
    0x8F, 0x90 and 0x9D of windows-1252 as the C1 controls)."""
    try:
        return c.encode(ACP)
    except UnicodeEncodeError:
        return bytes([ord(c)]) if ord(c) < 0x100 else None


def equal_in_code_page(native, host):
    """Equal once the native text is held in the code page. Bytes that the
    native tool could not read as UTF-8 (the message's own, kept where its
    charset is unknown or its text invalid) must be the same bytes."""
    held, lost = in_code_page(native)
    if len(held) != len(host):
        return False, 0
    for n, h in zip(held, host):
        if n == h or (n == "\0" and h in "?_"):
            continue
        if "\udc80" <= n <= "\udcff" and code_page_byte(h) == bytes([ord(n) - 0xDC00]):
            continue
        return False, 0
    return True, lost


def name_text(name):
    # wine keeps Windows names as UTF-8 on disk, as Linux does.
    return name.decode("utf-8", "surrogateescape")


def compare(case, results):
    native = results["native"]
    differences = []  # (program, what, reason or None)
    for program in ["exe", "host"]:
        other = results[program]
        label = "torvane.exe" if program == "exe" else "torvane-host.exe"
        if other["status"] not in (0, 1, 2) or native["status"] not in (0, 1, 2):
            differences.append((label, "crash or hang: native %s, %s" % (native["status"], other["status"]), None))
            continue
        if other["strays"] or native["strays"]:
            differences.append((label, "wrote outside --temp: %s %s" % (native["strays"], other["strays"]), None))
        if other["status"] != native["status"]:
            differences.append((label, "exit status %s, native %s: %s" % (
                other["status"], native["status"], other["stderr"].decode("utf-8", "replace").strip()[:200]), None))
            continue
        if other["inspect"] is not None and other["inspect"]["stdout"] != native["inspect"]["stdout"]:
            differences.append((label, "inspect --json differs: " + first_difference(
                native["inspect"]["stdout"].decode("utf-8", "replace"),
                other["inspect"]["stdout"].decode("utf-8", "replace")) + "; stderr " +
                ascii(other["inspect"]["stderr"][:200]) + ", status %s" % other["inspect"]["status"], None))
        ours, theirs = normalised_html(native, "native"), normalised_html(other, program)
        lost = 0
        if ours != theirs:
            equal, lost = (equal_in_code_page(ours, theirs) if program == "host" and ours and theirs
                           else (False, 0))
            if equal and lost:
                differences.append((label, "html: %d characters" % lost, CODE_PAGE))
            elif equal:
                pass  # the same text, in the code page
            else:
                differences.append((label, "html differs: " + first_difference(ours, theirs), None))
        native_files = {name_text(n): b for n, b in native["files"].items()}
        other_files = {name_text(n): b for n, b in other["files"].items()}
        if native_files != other_files:
            differences.append((label,) + classify_files(native_files, other_files, program))
    return case, differences


def classify_files(native_files, other_files, program):
    described = "files: native %s, %s" % (sorted(map(ascii, native_files)), sorted(map(ascii, other_files)))
    if sorted(native_files.values()) != sorted(other_files.values()):
        return "file bytes differ; " + described, None
    if program == "host":
        held = {}
        for n, b in native_files.items():
            text, lost = in_code_page(n)
            held[text] = b
        if all(any(equal_in_code_page(n, o)[0] and native_files[n] == b for n in native_files)
               for o, b in other_files.items()) and len(other_files) == len(native_files):
            return described, CODE_PAGE
    return described, None


def first_difference(a, b):
    if a is None or b is None:
        return "one wrote no HTML"
    at = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
    return "at %d: native %s, other %s" % (at, ascii(a[max(0, at - 30):at + 50]), ascii(b[max(0, at - 30):at + 50]))


def report(outcomes, written, elapsed, args, retries):
    equal = [case for case, differences in outcomes if not differences]
    differing = [(case, d) for case, d in outcomes if d]
    reasons, unexplained = {}, []
    for case, differences in differing:
        for program, what, reason in differences:
            if reason:
                reasons[reason] = reasons.get(reason, 0) + 1
            else:
                unexplained.append((case, program, what))
    for path in written:
        unexplained.append(("(the run)", "any", "written outside --temp: " + path))
    if args.list:
        for case, differences in differing:
            for program, what, reason in differences:
                print("%-48s %-17s %s%s" % (case, program, "[%s] " % reason if reason else "UNEXPLAINED ", what))
    else:
        for case, program, what in unexplained:
            print("UNEXPLAINED %s, %s: %s" % (case, program, what))
    explained = "; ".join("%d %s" % (n, r) for r, n in sorted(reasons.items()))
    for retried in retries:
        print("run again after a hang at start: " + retried)
    print("real mail (%s): %d messages, %d equal, %d differing (%s), %d unexplained, %d run again, %.0f s" % (
        args.which, len(outcomes), len(equal), len(differing), explained or "none explained",
        len(unexplained), len(retries), elapsed))
    return 1 if unexplained else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", required=True)
    parser.add_argument("--win-build", required=True)
    parser.add_argument("--wine", required=True)
    parser.add_argument("--which", default="i686 under 32-bit wine")
    parser.add_argument("--work", required=True)
    parser.add_argument("--jobs", type=int, default=3)
    parser.add_argument("--list", action="store_true", help="list every difference, with its reason")
    return Stage(parser.parse_args()).main()


if __name__ == "__main__":
    sys.exit(main())
