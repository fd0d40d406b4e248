#!/usr/bin/env python3
"""An HTTP/1.1 web server double for the components' tests and the main job.

Listens on 127.0.0.1 at a port the system chooses and writes that port to a
file. Serves the files of a folder (GET and HEAD) and logs every request line
and header. Chosen paths can be answered otherwise, by --rule options or by a
rules file in the served folder (read again on every request, so a test can
change them while the server runs). One rule a line:

    PATH status CODE        answer CODE with an empty body
    PATH truncate BYTES     announce the whole file, send BYTES of it, close
    PATH drop               close the connection without an answer
    PATH delay MS           wait MS milliseconds before answering

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


def read_rules(lines):
    rules = {}
    for line in lines:
        parts = line.split()
        if len(parts) >= 2 and not parts[0].startswith("#"):
            rules[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else None)
    return rules


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

    def rules(self):
        rules = dict(self.fixed_rules)
        try:
            with open(os.path.join(self.root, RULES_FILE), encoding="utf-8") as rules_file:
                rules.update(read_rules(rules_file))
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
        action, argument = self.server.rules().get(path, (None, None))
        if action == "delay":
            time.sleep(int(argument) / 1000.0)
        elif action == "drop":
            self.close_connection = True
            return
        elif action == "status":
            return self.send_empty(int(argument))
        local = self.local_path(path)
        if local is None or not os.path.isfile(local):
            return self.send_empty(404)
        with open(local, "rb") as served:
            body = served.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        if action == "truncate":
            self.send_header("Connection", "close")
            self.close_connection = True
            body = body[: int(argument)]
        self.end_headers()
        if send_body:
            self.wfile.write(body)

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
