#!/usr/bin/env python3
"""A Wi-Fi microscope that misbehaves, for tests: one port serves the web pages and the stream.

  --page full        the settings page (1280x720 of a list with two unusable entries)
  --page endless     the page, then filler without end (the device never closes)
  --page held        the request is accepted and never answered
  --page garbage     a page without any of the values
  --stream silent    the stream's header, then nothing
  --stream huge      a part whose JPEG header says 20000 x 20000, then small pictures, then the end
  --stream small     small pictures, then the end
Prints "misbehaving-device ready port=N"; /sim/connections answers the number of connections.
"""

import argparse
import os
import subprocess
import sys
import tempfile
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

BOUNDARY = "frame"
PAGE = (
    '<html><script>\r\n'
    '\tvar cameraList = "0,MJPG,320,240#2,MJPG,-5,600#3,MJPG,1280,720#4,MJPG,800,0" ;\r\n\r\n'
    '\tvar cameraWidth="1280";\r\n\tvar cameraHeight="720";\r\n'
    '\tvar ctrlList = [{"n":"B", "id":"11", "t":"1", "min":"-64", "max":"64", "s":"1", '
    '"def":"0", "cur":"5"}];\r\n'
    '\tvar video_idx_save = "2";\r\n\tvar video_frame_save = "15";\r\n'
    '\tvar only_stream = "0";\r\n</script>'
)


def small_jpeg():
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "p.jpg")
        subprocess.run(["ffmpeg", "-v", "error", "-nostdin", "-f", "lavfi", "-i",
                        "testsrc2=size=64x48", "-frames:v", "1", path], check=True)
        with open(path, "rb") as f:
            return f.read()


def huge_header(jpeg):
    """The same picture with a frame header claiming 20000 x 20000 pixels."""
    data = bytearray(jpeg)
    for marker in (b"\xff\xc0", b"\xff\xc1", b"\xff\xc2"):
        at = data.find(marker)
        if at >= 0:
            data[at + 5:at + 9] = (20000).to_bytes(2, "big") + (20000).to_bytes(2, "big")
            return bytes(data)
    raise RuntimeError("no frame header")


class State:
    def __init__(self):
        self.lock = threading.Lock()
        self.connections = 0


def make_handler(args, state, picture):
    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def log_message(self, fmt, *a):
            pass

        def do_GET(self):
            if self.path == "/sim/connections":
                with state.lock:
                    body = str(state.connections).encode()
                return self.reply(body, "text/plain")
            with state.lock:
                state.connections += 1
            try:
                if self.path.startswith("/wizardvideo.asp"):
                    self.page()
                elif self.path.startswith("/updateNPNvram.cgi"):
                    self.reply(b"5\n", "text/plain")
                elif self.path == "/":
                    self.stream()
                else:
                    self.reply(b"OK", "text/plain")
            except (BrokenPipeError, ConnectionResetError):
                pass

        def reply(self, body, kind):
            self.send_response(200)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def page(self):
            if args.page == "held":
                time.sleep(60)
                return
            if args.page == "garbage":
                return self.reply(b"<html>nothing here</html>", "text/html")
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.end_headers()
            self.wfile.write(PAGE.encode())
            self.wfile.flush()
            while args.page == "endless":
                self.wfile.write(b"<!-- " + b"x" * 4000 + b" -->\r\n")
                self.wfile.flush()
                time.sleep(0.05)

        def part(self, kind, body):
            self.wfile.write((f"--{BOUNDARY}\r\nContent-Type: {kind}\r\n"
                              f"Content-Length: {len(body)}\r\n\r\n").encode() + body + b"\r\n")
            self.wfile.flush()

        def stream(self):
            self.send_response(200)
            self.send_header("Content-Type", f"multipart/x-mixed-replace;boundary={BOUNDARY}")
            self.end_headers()
            self.wfile.flush()
            if args.stream == "silent":
                time.sleep(60)
                return
            if args.stream == "huge":
                self.part("image/jpeg", huge_header(picture))
            for _ in range(4):
                self.part("image/jpeg", picture)
            self.part("text/plain", b"end")
            self.wfile.write(f"--{BOUNDARY}--\r\n".encode())

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", default="full")
    parser.add_argument("--stream", default="small")
    args = parser.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", 0),
                                 make_handler(args, State(), small_jpeg()))
    server.daemon_threads = True
    print(f"misbehaving-device ready port={server.server_address[1]}", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
