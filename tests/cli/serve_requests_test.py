#!/usr/bin/env python3
"""torvane serve refuses every request that names something outside its
folders, and malformed or oversized requests; it stops cleanly on Ctrl+C
(SIGINT) or SIGTERM and leaves no temporary folder behind; on SIGBUS (a mapped
message file cut shorter) it says so and exits 2.

Usage: serve_requests_test.py TOOL SOURCE_DIR WORK_DIR
With TORVANE_WINE set, TOOL is torvane.exe and runs under that wine loader.
Prints the table of refused requests with the status each one got."""
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time
import urllib.parse

TOOL, SOURCE, WORK = sys.argv[1:4]
WINE = os.environ.get("TORVANE_WINE")
SECRET = "secret-outside-the-served-folders"


def windows_path(path):
    """The path as torvane.exe under wine names it (drive Z: is /)."""
    return "Z:" + path.replace("/", "\\") if WINE else path


def unix_path(path):
    """A folder torvane.exe printed, as this side sees it."""
    if not WINE:
        return path
    drive, rest = path[0].lower(), path[2:].replace("\\", "/").strip("/")
    root = "/" if drive == "z" else os.path.join(os.environ["WINEPREFIX"], "drive_" + drive)
    return os.path.join(root, rest)


def prepare():
    shutil.rmtree(WORK, ignore_errors=True)
    for folder in ("templates/classic", "messages", "outside", "tmp"):
        os.makedirs(os.path.join(WORK, folder))
    shutil.copy(os.path.join(SOURCE, "templates/classic/torvane.tml"), os.path.join(WORK, "templates/classic"))
    shutil.copy(os.path.join(SOURCE, "examples/messages/html-with-image.eml"), os.path.join(WORK, "messages"))
    outside_template = os.path.join(WORK, "outside/secret.tml")
    with open(outside_template, "w") as out:
        out.write("Content-Type: text/html\r\n\r\n<p>" + SECRET + "</p>%m\r\n")
    with open(os.path.join(WORK, "outside/secret.txt"), "w") as out:
        out.write(SECRET)
    # A link inside the templates folder that points out of it.
    os.symlink(outside_template, os.path.join(WORK, "templates/escape.tml"))


class Server:
    def __init__(self, *options):
        # Wine keeps its own files under TMPDIR: torvane.exe takes its folder
        # in the prefix's temporary folder there.
        environment = dict(os.environ) if WINE else dict(os.environ, TMPDIR=os.path.join(WORK, "tmp"))
        command = ([WINE] if WINE else []) + [TOOL, "serve", "--port", "0",
                                               "--templates", windows_path(os.path.join(WORK, "templates")),
                                               "--messages", windows_path(os.path.join(WORK, "messages")),
                                               "--mailbox", windows_path(os.path.join(SOURCE, "examples/mailbox")),
                                               *options]
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                        env=environment, cwd=WORK)
        self.stderr = []
        threading.Thread(target=lambda: self.stderr.extend(self.process.stderr), daemon=True).start()
        line = self.process.stdout.readline()
        if "serving http://127.0.0.1:" not in line:
            self.process.kill()
            sys.exit("no port printed: %r %s" % (line, "".join(self.stderr)))
        self.port = int(line.split("127.0.0.1:")[1].split("/")[0])
        for _ in range(100):
            printed = [line.split(" go to ")[1].strip() for line in self.stderr if " go to " in line]
            if printed:
                break
            time.sleep(0.1)
        self.temp = unix_path(printed[0])

    def stopped_cleanly(self, signal_number):
        """Sends the signal; whether the server then exited 0 and removed its folder (else why not)."""
        self.process.send_signal(signal_number)
        try:
            status = self.process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            self.process.kill()
            status = "still running"
        left = [] if WINE else os.listdir(os.path.join(WORK, "tmp"))
        kept = sorted(os.path.relpath(os.path.join(folder, name), self.temp)
                      for folder, folders, files in os.walk(self.temp) for name in files + folders)
        # Under wine the linked folder is not empty, so it and its rendering stay.
        if WINE and kept == ["r1", "r1/linked"]:
            kept = []
        if status != 0 or kept or left:
            return "after signal %d: exit %s, left in %s: %s %s" % (signal_number, status, self.temp, kept, left)
        return None

    def send(self, raw, read_timeout=30):
        """The status code of the answer to the raw request (None: closed without one), and the body."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=read_timeout) as connection:
            try:
                connection.sendall(raw)
            except (BrokenPipeError, ConnectionResetError):
                pass
            received = b""
            try:
                while True:
                    chunk = connection.recv(65536)
                    if not chunk:
                        break
                    received += chunk
            except ConnectionResetError:
                pass
        if not received.startswith(b"HTTP/1.1 "):
            return None, b""
        head, _, body = received.partition(b"\r\n\r\n")
        return int(head[9:12]), body

    def get(self, target, headers=""):
        host = "Host: 127.0.0.1:%d\r\n" % self.port
        return self.send(("GET %s HTTP/1.1\r\n%s%s\r\n" % (target, host, headers)).encode("latin-1"))


def main():
    prepare()
    server = Server()
    failures = []

    # What is offered, and a rendering whose folder then gets a link pointing out.
    status, body = server.get("/api/choices")
    if status != 200 or b'"classic/torvane.tml"' not in body or (b"escape.tml" in body and not WINE):
        failures.append("choices: %s %r" % (status, body[:300]))
    render = "/api/render?template=classic%2Ftorvane.tml&message=html-with-image.eml&forward=0&charset=&language=&zone="
    status, body = server.get(render)
    if status != 200 or b'"frame":"/files/r1/page.html"' not in body:
        failures.append("render: %s %r" % (status, body[:300]))
    for target in ("/files/r1/page.html", "/files/r1/tv00001.png", "/"):
        if server.get(target)[0] != 200:
            failures.append("not served: " + target)
    # The zone chosen on the page decides %D's time, on Windows too.
    sent = {}
    for zone, expected in (("UTC0", b"08:14<"), ("JST-9", b"17:14<")):
        status, body = server.get(render.replace("&zone=", "&zone=" + urllib.parse.quote(zone)))
        frame = json.loads(body)["frame"] if status == 200 else ""
        sent[zone] = server.get(frame)[1] if frame else b""
        if expected not in sent[zone]:
            failures.append("zone %s: no %r in the rendering" % (zone, expected))
    # Links put into the server's folder. Under wine a Windows program cannot
    # tell a link from what it points to, and removing a linked file removes
    # its target: there only the link to a folder, which must keep its files.
    if not WINE:
        os.symlink(os.path.join(WORK, "outside/secret.txt"), os.path.join(server.temp, "r1", "link.txt"))
    os.symlink(os.path.join(WORK, "outside"), os.path.join(server.temp, "r1", "linked"))

    absolute = urllib.parse.quote(windows_path(os.path.join(WORK, "outside/secret.tml")), safe="")
    message = "&message=html-with-image.eml"
    host = "Host: 127.0.0.1:%d\r\n" % server.port
    # (what, raw request, the statuses that count as refused)
    table = [
        ("dot-dot segments", "GET /files/../../outside/secret.txt", {404}),
        ("dot-dot after a folder", "GET /files/r1/../../../outside/secret.txt", {404}),
        ("encoded dots", "GET /files/%2e%2e/%2e%2e/%2e%2e/outside/secret.txt", {404}),
        ("encoded slashes", "GET /files/r1%2f..%2f..%2f..%2foutside%2fsecret.txt", {404}),
        ("encoded backslashes", "GET /files/r1%5c..%5c..%5c..%5coutside%5csecret.txt", {404}),
        ("raw backslashes", "GET /files/r1\\..\\..\\..\\outside\\secret.txt", {400, 404}),
        ("absolute path", "GET /files/" + os.path.join(WORK, "outside/secret.txt"), {404}),
        ("empty segment", "GET /files//etc/passwd", {404}),
        ("drive letter", "GET /files/C:/windows/win.ini", {404}),
        ("encoded drive letter", "GET /files/Z%3a%5c" + WORK[1:].replace("/", "%5c") + "%5coutside%5csecret.txt",
         {404}),
        ("encoded NUL", "GET /files/r1/page.html%00.png", {404}),
        ("symbolic link to a file outside", "GET /files/r1/link.txt", {404}),
        ("symbolic link to a folder outside", "GET /files/r1/linked/secret.txt", {404}),
        ("hidden or dot name", "GET /files/r1/.", {404}),
        ("unknown path", "GET /etc/passwd", {404}),
        ("double slash", "GET //etc/passwd", {404}),
        ("absolute-form target", "GET http://127.0.0.1:%d/files/../outside/secret.txt" % server.port, {404}),
        ("asterisk target", "GET *", {400, 404}),
        ("template by dot-dot", "GET /api/render?template=../outside/secret.tml" + message, {404}),
        ("template by encoded dot-dot", "GET /api/render?template=..%2Foutside%2Fsecret.tml" + message, {404}),
        ("template by absolute path", "GET /api/render?template=" + absolute + message, {404}),
        ("template by backslashes", "GET /api/render?template=classic%5C..%5C..%5Coutside%5Csecret.tml" + message,
         {404}),
        ("template by symbolic link pointing out", "GET /api/render?template=escape.tml" + message, {404}),
        ("message by dot-dot", "GET /api/render?template=classic%2Ftorvane.tml&message=../outside/secret.txt",
         {404}),
        ("charset not of the menu", "GET /api/render?template=classic%2Ftorvane.tml" + message + "&charset=x",
         {404}),
        ("malformed escape in the query", "GET /api/render?template=classic%2Ftorvane.tml%zz" + message, {404}),
        ("wait without a generation", "GET /api/wait?since=x", {400}),
    ]
    rows = [(what, (line + " HTTP/1.1\r\n" + host + "\r\n").encode("latin-1"), allowed)
            for what, line, allowed in table]
    rows += [
        ("another Host (DNS rebinding)", b"GET / HTTP/1.1\r\nHost: attacker.example:80\r\n\r\n", {421}),
        ("no Host", b"GET / HTTP/1.1\r\n\r\n", {400, 421}),
        ("POST", ("POST / HTTP/1.1\r\n" + host + "Content-Length: 0\r\n\r\n").encode(), {405}),
        ("a request body", ("POST / HTTP/1.1\r\n" + host + "Content-Length: 5\r\n\r\nhello").encode(), {413}),
        ("a huge Content-Length", ("GET / HTTP/1.1\r\n" + host + "Content-Length: 99999999999\r\n\r\n").encode(),
         {413}),
        ("a header of 20 KB", ("GET / HTTP/1.1\r\n" + host + "X-Big: " + "a" * 20000 + "\r\n\r\n").encode(), {431}),
        ("a target of 20 KB", ("GET /" + "a" * 20000 + " HTTP/1.1\r\n" + host + "\r\n").encode(), {431}),
        ("not HTTP", b"\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03garbage\r\n\r\n", {400}),
        ("a bad request line", b"GET\r\n\r\n", {400}),
        ("chunked body", ("POST / HTTP/1.1\r\n" + host + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n")
         .encode(), {413}),
    ]
    # Wine shows a symbolic link of the file system as what it points to, to
    # Windows programs as well (on Windows a link is a reparse point, which
    # is refused): those rows are Linux's.
    if WINE:
        rows = [row for row in rows if "symbolic link" not in row[0]]
        print("under wine, without the requests through symbolic links (wine shows a link as what it points to)")
    print("%-40s %s" % ("request", "status"))
    for what, raw, allowed in rows:
        status, body = server.send(raw)
        print("%-40s %s" % (what, status))
        if status not in allowed or SECRET.encode() in body:
            failures.append("%s: status %s, expected one of %s" % (what, status, sorted(allowed)))
    # A connection that sends half a request and goes, and the server still answers.
    with socket.create_connection(("127.0.0.1", server.port)) as half:
        half.sendall(b"GET / HTT")
    if server.get("/")[0] != 200:
        failures.append("the server stopped answering after the refused requests")

    # Ctrl+C: the server removes its folder and exits 0; on Linux SIGTERM too
    # (wine turns only SIGINT into the console's Ctrl+C event).
    failures += filter(None, [server.stopped_cleanly(signal.SIGINT)])
    if not WINE:
        again = Server()
        again.get(render)
        failures += filter(None, [again.stopped_cleanly(signal.SIGTERM)])
        # A mapped message file cut shorter by another program raises SIGBUS:
        # the tool says so and exits 2, as on its other errors, not as a crash.
        bus = Server()
        bus.process.send_signal(signal.SIGBUS)
        status = bus.process.wait(timeout=60)
        time.sleep(0.2)  # the reader thread takes the last line
        if status != 2 or not any("cut shorter" in line for line in bus.stderr):
            failures.append("after SIGBUS: exit %s, said %r" % (status, "".join(bus.stderr)))
        shutil.rmtree(bus.temp, ignore_errors=True)

    # Nothing outside the server's folder was removed with it (through the links).
    for name in ("outside/secret.txt", "outside/secret.tml"):
        if not os.path.exists(os.path.join(WORK, name)):
            failures.append("removed outside the server's folder: " + name)

    if failures:
        print("FAILED:\n  " + "\n  ".join(failures))
        return 1
    print("%d requests refused; the server stopped cleanly" % len(rows))
    return 0


if __name__ == "__main__":
    sys.exit(main())
