#!/usr/bin/env python3
"""A web site over HTTPS on loopback for the secure download tests.

    tls_site.py FOLDER CERTIFICATES LOG NAME:PORT...

Serves FOLDER on each 127.0.0.1:PORT with CERTIFICATES/NAME.pem and NAME.key.
GET /redirect?to=URL[&cookie=VALUE] answers 302 to URL, setting the cookie.
GET /unframed?end=cut|announced answers without Content-Length and ends the
connection without TLS close_notify, or with it.
Each request's path and Cookie header go to LOG, one line each, tab between.
"""
import functools
import http.server
import ssl
import sys
import threading
import urllib.parse

folder, certificates, log = sys.argv[1:4]
log_lock = threading.Lock()


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        with log_lock, open(log, "a") as out:
            out.write(f"{self.path}\t{self.headers.get('Cookie', '')}\n")
        parts = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(parts.query)
        if parts.path == "/unframed":
            return self.unframed(query["end"][0] == "announced")
        if parts.path != "/redirect":
            return super().do_GET()
        self.send_response(302)
        self.send_header("Location", query["to"][0])
        if "cookie" in query:
            self.send_header("Set-Cookie", query["cookie"][0])
        self.send_header("Content-Length", "0")
        self.end_headers()

    def unframed(self, announced):
        self.send_response(200)
        self.end_headers()
        self.wfile.write(b"a body without a length")
        self.wfile.flush()
        self.close_connection = True
        if announced:
            try:
                self.connection.unwrap()
            except OSError:
                pass  # the client closes without answering close_notify

    def log_message(self, *args):
        pass


for site in sys.argv[4:]:
    name, port = site.split(":")
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(f"{certificates}/{name}.pem", f"{certificates}/{name}.key")
    server = http.server.ThreadingHTTPServer(("127.0.0.1", int(port)), functools.partial(Handler, directory=folder))
    # The handshake runs in the request's own thread, so a client that refuses
    # the certificate never holds up the next one.
    server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    threading.Thread(target=server.serve_forever, daemon=True).start()
threading.Event().wait()
