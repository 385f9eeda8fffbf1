#!/usr/bin/env python3
"""Writes the seed answers of the response fuzz target into corpus/response/:
what a web server says to the download client, as ResponseFuzzer.cpp reads an
input (a mode byte, then one answer per connection, separated by FE FE)."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "..", "corpus", "response")
GIF = os.path.join(HERE, "..", "..", "..", "assets", "gif")
SEPARATOR = b"\xfe\xfe"

BODY_TO_FILE = 0x40
HEADER_TO_FILE = 0x80


def answer(status, headers=(), body=b"", end=b"\r\n"):
    head = status + end + b"".join(h + end for h in headers) + end
    return head + body


def picture():
    names = sorted(n for n in os.listdir(GIF) if n.endswith(".gif"))
    with open(os.path.join(GIF, names[0]), "rb") as f:
        return f.read()


def seeds():
    gif = picture()
    ok = answer(b"HTTP/1.0 200 OK", [b"Content-Type: text/html", b"Content-Length: 11"], b"<p>pack</p>")
    yield "ok", 0, [ok]
    yield "ok-sliced", 3, [ok]
    yield "ok-files", BODY_TO_FILE | HEADER_TO_FILE | 1, [ok]
    yield "picture", BODY_TO_FILE, [answer(b"HTTP/1.1 200 OK", [b"Content-Type: image/gif",
                                                                b"Content-Length: %d" % len(gif)], gif)]
    yield "no-length", 0, [answer(b"HTTP/1.0 200 OK", [b"Server: test"], b"until the close")]
    yield "lf-only", 0, [answer(b"HTTP/1.0 200 OK", [b"Content-Length: 4"], b"body", end=b"\n")]
    yield "not-found", 0, [answer(b"HTTP/1.1 404 Not Found", [b"Content-Length: 9"], b"not found")]
    yield "server-error", 5, [answer(b"HTTP/1.1 500 Internal Server Error", [], b"oops")]
    yield "redirect-absolute", 0, [answer(b"HTTP/1.1 302 Found", [b"Location: http://mirror.example:8080/p.QZK"]), ok]
    yield "redirect-path", 0, [answer(b"HTTP/1.1 301 Moved Permanently", [b"Location: /other/p.QZK"]), ok]
    yield "redirect-name", 0, [answer(b"HTTP/1.0 302 Found", [b"Location: p.QZK"]), ok]
    yield "redirect-cookie", 0, [answer(b"HTTP/1.0 302 Found", [b"Set-Cookie: session=42; path=/",
                                                              b"Location: /again"]), ok]
    yield "redirect-bare", 0, [answer(b"HTTP/1.0 302 Found", [b"Content-Length: 0"]), ok]
    yield "redirect-https", 0, [answer(b"HTTP/1.0 302 Found", [b"Location: https://secure.example/"]), ok]
    yield "redirect-port", 0, [answer(b"HTTP/1.0 302 Found", [b"Location: http://h:x/"]), ok]
    yield "redirect-loop", 0, [answer(b"HTTP/1.0 302 Found", [b"Location: /loop"])] * 12
    yield "not-modified", 0, [answer(b"HTTP/1.0 304 Not Modified", [b"Location: /cached"]), ok]
    yield "cut-in-header", 0, [b"HTTP/1.0 200 OK\r\nContent-Length: 100\r\nServ"]
    yield "cut-in-body", 2, [answer(b"HTTP/1.0 200 OK", [b"Content-Length: 100"], b"short")]
    yield "status-words", 0, [answer(b"HTTP/1.0 abc OK", [], b"x")]
    yield "status-large", 0, [answer(b"HTTP/1.0 65536 Big", [], b"x")]
    yield "status-max", 0, [answer(b"HTTP/1.0 65535 Max", [], b"x")]
    yield "status-only", 0, [b"HTTP/1.0 200"]
    yield "length-huge", 0, [answer(b"HTTP/1.0 200 OK", [b"Content-Length: 99999999999999999999999"], b"x")]
    yield "length-odd", 0, [answer(b"HTTP/1.0 200 OK", [b"content-length: -12abc"], b"x")]
    yield "empty", 0, [b""]
    yield "long-line", 0, [b"HTTP/1.0 200 OK\r\nX-Long: " + b"a" * 65536 + b"\r\n\r\nbody"]


def main():
    os.makedirs(CORPUS, exist_ok=True)
    for name, mode, answers in seeds():
        with open(os.path.join(CORPUS, name), "wb") as f:
            f.write(bytes([mode]) + SEPARATOR.join(answers))


if __name__ == "__main__":
    main()
