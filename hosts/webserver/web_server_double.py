#!/usr/bin/env python3
"""An HTTP/1.1 web server double for the components' tests and the main job.

Listens on 127.0.0.1 at a port the system chooses and writes that port to a
file. Serves the files of a folder (GET and HEAD) with their Content-Length,
honours a single "Range: bytes=FIRST-[LAST]" (206 with Content-Range, or 416
past the end) and logs every request line and header. Chosen paths can be
answered otherwise, by --rule options or by a rules file in the served folder
(read again on every request, so a test can change them while the server
runs). One rule a line; a path may have several:

    PATH status CODE        answer CODE with an empty body
    PATH truncate BYTES     announce the whole answer, send BYTES of it, close
    PATH drop               close the connection without an answer
    PATH delay MS           wait MS milliseconds before answering
    PATH pace MS            wait MS milliseconds after every 4096 bytes sent
    PATH norange            answer a Range request with the whole file (200)
    PATH length TEXT        announce "Content-Length: TEXT", send the body, close
    PATH nolength           announce no length, send the body, close

In control mode the server serves nothing itself; a test asks it for servers
of its own, each with a fresh folder below --base:

    GET /_double/spawn      answers "PORT FOLDER LOG" (one line)
    GET /_double/stop?port=PORT

Usage:
    web_server_double.py --root FOLDER --port-file FILE [--log FILE] [--rule "PATH ACTION ARG"]...
    web_server_double.py --control --base FOLDER --port-file FILE [--pid-file FILE] [--daemon]
    web_server_double.py --stop PID_FILE
"""

import argparse
import http.server
import os
import shutil
import signal
import socketserver
import sys
import threading
import time
import urllib.parse

RULES_FILE = ".rules"


CHUNK = 4096


def read_rules(lines):
    """{path: {action: argument}}; a later line for the same action wins."""
    rules = {}
    for line in lines:
        parts = line.split()
        if len(parts) >= 2 and not parts[0].startswith("#"):
            rules.setdefault(parts[0], {})[parts[1]] = parts[2] if len(parts) > 2 else None
    return rules


def parse_range(header, size):
    """(first, last) of a single "bytes=FIRST-[LAST]" range; None when the
    header is absent or of another form (answered with the whole file);
    "unsatisfiable" when FIRST lies at or past the end."""
    if not header or not header.startswith("bytes=") or "," in header:
        return None
    first_text, _, last_text = header[len("bytes="):].strip().partition("-")
    if not first_text.isdigit() or (last_text and not last_text.isdigit()):
        return None
    first = int(first_text)
    last = min(int(last_text), size - 1) if last_text else size - 1
    if first >= size:
        return "unsatisfiable"
    if last < first:
        return None
    return first, last


class RequestLog:
    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()

    def write(self, request_line, headers):
        if not self.path:
            return
        text = request_line + "\r\n" + "".join("%s: %s\r\n" % item for item in headers.items()) + "\r\n"
        with self.lock, open(self.path, "ab") as log:
            log.write(text.encode("latin-1", "replace"))


class FileServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, root, log_path, rules):
        super().__init__(("127.0.0.1", 0), FileHandler)
        self.root = os.path.abspath(root)
        self.log = RequestLog(log_path)
        self.fixed_rules = rules

    def handle_error(self, request, client_address):
        # A client that hangs up in the middle of an answer is what the
        # drop-and-resume tests do on purpose.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)

    def rules(self):
        rules = {path: dict(actions) for path, actions in self.fixed_rules.items()}
        try:
            with open(os.path.join(self.root, RULES_FILE), encoding="utf-8") as rules_file:
                for path, actions in read_rules(rules_file).items():
                    rules.setdefault(path, {}).update(actions)
        except OSError:
            pass
        return rules


class FileHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "WebServerDouble/1"

    def log_message(self, *args):
        pass

    def do_HEAD(self):
        self.answer(send_body=False)

    def do_GET(self):
        self.answer(send_body=True)

    def local_path(self, path):
        relative = urllib.parse.unquote(path).lstrip("/")
        full = os.path.abspath(os.path.join(self.server.root, relative))
        return full if full.startswith(self.server.root + os.sep) else None

    def answer(self, send_body):
        self.server.log.write(self.requestline, self.headers)
        path = urllib.parse.urlsplit(self.path).path
        rules = self.server.rules().get(path, {})
        if "delay" in rules:
            time.sleep(int(rules["delay"]) / 1000.0)
        if "drop" in rules:
            self.close_connection = True
            return
        if "status" in rules:
            return self.send_empty(int(rules["status"]))
        local = self.local_path(path)
        if local is None or not os.path.isfile(local):
            return self.send_empty(404)
        size = os.path.getsize(local)
        wanted = None if "norange" in rules else parse_range(self.headers.get("Range"), size)
        if wanted == "unsatisfiable":
            self.send_response(416)
            self.send_header("Content-Range", "bytes */%d" % size)
            self.send_header("Content-Length", "0")
            return self.end_headers()
        first, last = wanted if wanted else (0, size - 1)
        count = last - first + 1
        self.send_response(206 if wanted else 200)
        self.send_header("Content-Type", "application/octet-stream")
        if wanted:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (first, last, size))
        if "length" in rules:
            self.send_header("Content-Length", rules["length"])
        elif "nolength" not in rules:
            self.send_header("Content-Length", str(count))
        if {"truncate", "length", "nolength"} & rules.keys():
            # The end of the answer is the end of the connection.
            self.send_header("Connection", "close")
            self.close_connection = True
        if "truncate" in rules:
            count = min(count, int(rules["truncate"]))
        self.end_headers()
        if send_body:
            self.send_file(local, first, count, int(rules.get("pace") or 0))

    def send_file(self, local, first, count, pace_ms):
        with open(local, "rb") as served:
            served.seek(first)
            while count > 0:
                block = served.read(min(count, CHUNK if pace_ms else 1 << 20))
                if not block:
                    break
                self.wfile.write(block)
                count -= len(block)
                if pace_ms:
                    self.wfile.flush()
                    time.sleep(pace_ms / 1000.0)

    def send_empty(self, code):
        self.send_response(code)
        self.send_header("Content-Length", "0")
        self.end_headers()


class ControlServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True

    def __init__(self, base):
        super().__init__(("127.0.0.1", 0), ControlHandler)
        self.base = os.path.abspath(base)
        self.servers = {}
        self.lock = threading.Lock()
        self.count = 0

    def spawn(self):
        with self.lock:
            self.count += 1
            name = "server-%d-%d" % (os.getpid(), self.count)
        root = os.path.join(self.base, name)
        log = root + ".log"
        os.makedirs(root, exist_ok=True)
        server = FileServer(root, log, {})
        threading.Thread(target=server.serve_forever, daemon=True).start()
        with self.lock:
            self.servers[server.server_address[1]] = (server, root, log)
        return server.server_address[1], root, log

    def stop(self, port):
        with self.lock:
            entry = self.servers.pop(port, None)
        if entry is None:
            return False
        server, root, log = entry
        server.shutdown()
        server.server_close()
        shutil.rmtree(root, ignore_errors=True)
        if os.path.exists(log):
            os.remove(log)
        return True


class ControlHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query)
        if url.path == "/_double/spawn":
            port, root, log = self.server.spawn()
            return self.send_text(200, "%d %s %s\n" % (port, root, log))
        if url.path == "/_double/stop" and "port" in query:
            stopped = self.server.stop(int(query["port"][0]))
            return self.send_text(200 if stopped else 404, "stopped\n" if stopped else "unknown port\n")
        self.send_text(404, "unknown\n")

    def send_text(self, code, text):
        body = text.encode("utf-8")
        self.send_response(code)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def write_file(path, text):
    if path:
        temporary = path + ".tmp"
        with open(temporary, "w") as out:
            out.write(text)
        os.replace(temporary, path)


def stop(pid_file):
    try:
        with open(pid_file) as pids:
            pid = int(pids.read().strip())
        os.kill(pid, signal.SIGTERM)
    except (OSError, ValueError):
        return 0
    return 0


def detach(port_file):
    """Forks; the parent returns once the child has written the port file."""
    if os.path.exists(port_file):
        os.remove(port_file)
    if os.fork() > 0:
        for _ in range(200):
            if os.path.exists(port_file):
                os._exit(0)
            time.sleep(0.05)
        os._exit(1)
    os.setsid()
    devnull = os.open(os.devnull, os.O_RDWR)
    for stream in (0, 1, 2):
        os.dup2(devnull, stream)


def main():
    parser = argparse.ArgumentParser(description="HTTP/1.1 web server double on 127.0.0.1")
    parser.add_argument("--root", help="folder to serve")
    parser.add_argument("--log", help="file that receives every request line and header")
    parser.add_argument("--rule", action="append", default=[], help='"PATH ACTION [ARG]"')
    parser.add_argument("--control", action="store_true", help="hand out servers of their own to tests")
    parser.add_argument("--base", help="control mode: folder below which the servers' folders are made")
    parser.add_argument("--port-file", help="file that receives the port")
    parser.add_argument("--pid-file", help="file that receives the process id")
    parser.add_argument("--daemon", action="store_true", help="run in the background")
    parser.add_argument("--stop", metavar="PID_FILE", help="stop the server whose id the file holds")
    options = parser.parse_args()

    if options.stop:
        return stop(options.stop)
    if options.control:
        if not options.base:
            parser.error("--control needs --base")
        os.makedirs(options.base, exist_ok=True)
    elif not options.root:
        parser.error("--root or --control is needed")
    if options.daemon:
        if not options.port_file:
            parser.error("--daemon needs --port-file")
        detach(options.port_file)
    server = ControlServer(options.base) if options.control else \
        FileServer(options.root, options.log, read_rules(options.rule))
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    write_file(options.pid_file, "%d\n" % os.getpid())
    write_file(options.port_file, "%d\n" % server.server_address[1])
    server.serve_forever()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
