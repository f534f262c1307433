#!/usr/bin/env python3
"""A scripted HTTP server for the Windows tests of the download code.

Binds 127.0.0.1 only, on a port the system chooses, and reports the port on stdout (and in
--port-file). Standard library only. Paths:

  /bytes/N                 200, N bytes of the test pattern with their Content-Length
  /missing                 404 with an HTML body and its Content-Length
  /short/N                 200 announcing N bytes, sending half of them, then closing
  /chunked/N               200, N bytes of the pattern, chunked, without Content-Length
  /slow/N                  200, N bytes of the pattern in small pieces with pauses
  /bad-length              200 whose Content-Length is not a number, closing after the body
  /not-config              200, an HTML page where a check-item document was expected
  /wydown/ocx/item_L.xml   200, a check-item document for 32-bit Windows
  /wydown/ocx/item64_L.xml 200, a check-item document for 64-bit Windows
  /console/item.xml        200, the document of the console front end's end-to-end test
  /components/item.xml     200, a document whose items install the files below
  /files/NAME              200, file NAME of the folder $TESSALY_TEST_FILES (the test installer
                           and COM library the build makes; a NAME ending in ".xml" is a
                           check-item document and served signed); /files/Mismatched.exe is the
                           installer under a name whose configured digest it does not have.
                           Counts a hit for the token "files-NAME" (see /hits/, with every
                           character of NAME other than letters, digits, "_" and "-" as "_")
  /cut/NAME                200 announcing the length of file NAME of $TESSALY_TEST_FILES,
                           sending half of it, then closing (a download that breaks off);
                           counts a hit for "cut-NAME" likewise
  /wydown/ocx/CertEnroll.dll, /wydown/ocx/CertEnrollCtrl.exe, /wydown/ocx/xenroll.dll
                           200, the certificate-enrolment controls: 3000, 5000 and 4000
                           bytes of the pattern
  /life/slow-download.xml  200, a document whose one installer is /slow/25000000
  /life/lingering.xml      200, a document whose one installer is the test installer, started
                           with "/linger" (it runs on for a while)
  /console/feitian.xml     200, the same with a driver item of the Feitian key probe
  /console/watchdata.xml   200, the same with a driver item of the Watchdata key probe
  /counter                 200, a number that grows with every request, marked cacheable
  /echo/user-agent         200, the User-Agent header of the request
  /probe/TOKEN             200, counts a hit for TOKEN
  /hits/TOKEN              200, the number of hits TOKEN has had

Asked as a proxy ("GET http://host/PATH"), it answers PATH the same way whatever the host,
so that a prefix whose proxy it is reaches it under the bank's host names.

The pattern's byte i is (i * 7 + 3) mod 256; the tests rebuild it to compare.

Every check-item document is served signed with the development builds' pinned document key
(build/document-signing/document-signing.key of the checkout, or $TESSALY_DOCUMENT_KEY), under
sequence DOCUMENT_SEQUENCE, as the bank signs with itemcheck --sign. The attacker's paths serve
what a program pinned to that key must refuse, or what it must refuse to run:

  /attack/unsigned.xml     the components document without signature
  /attack/altered.xml      the same signed, then one byte changed
  /attack/older.xml        the same validly signed under an older sequence
  /attack/other-key.xml    the same signed with another key (build/document-signing/
                           other-document-signing.key)
  /attack/signed.xml       the same properly signed: the variant that must still work
  /attack/other-publisher.xml, /attack/altered-installer.xml, /attack/unsigned-installer.xml
                           properly signed documents whose installer is the test installer
                           signed by another publisher, altered after signing, unsigned
  /altered/NAME            file NAME of $TESSALY_TEST_FILES with one byte changed in its middle
"""

import argparse
import base64
import hashlib
import http.server
import os
import re
import sys
import threading
import time
import urllib.parse

MAX_PATTERN_BYTES = 64 * 1024 * 1024
SLOW_PIECE_BYTES = 16 * 1024
SLOW_PAUSE_SECONDS = 0.02


def pattern(size):
    return bytes((i * 7 + 3) & 0xFF for i in range(size))


def check_items_document(bits):
    return (
        '<?xml version="1.0" encoding="utf-8"?>\n'
        '<checkitems base="http://download.quaymark.example/wydown/ocx/">\n'
        '  <config type="host"><entry>served-%s.quaymark.example</entry></config>\n'
        '  <item name="test server document %s" type="ActiveX" tips="9.9.9.%s"/>\n'
        '</checkitems>\n' % (bits, bits, bits)
    ).encode("utf-8")


def console_document(server):
    """Check items whose outcome under a fresh Wine prefix is known: a service on this server
    and a name that resolves everywhere, next to a registry value, a compatibility domain and
    a hosts redirection (which the test plants) that a repair can put right."""
    return (
        '<?xml version="1.0" encoding="utf-8"?>\n'
        '<checkitems base="%s/wydown/ocx/">\n'
        '  <config type="compatibility"><entry>quaymark.example</entry></config>\n'
        '  <config type="registry">\n'
        '    <entry name="Level" type="reg_dword" value="3">'
        'HKCU\\Software\\Quaymark Console Test</entry>\n'
        '  </config>\n'
        '  <config type="host"><entry>ebank.quaymark.example</entry></config>\n'
        '  <config type="dns"><entry ip="127.0.0.1">localhost</entry></config>\n'
        '  <config type="service"><entry>%s/probe/console</entry></config>\n'
        '  <config type="trust"><entry>https://ebank.quaymark.example</entry></config>\n'
        '</checkitems>\n' % (server, server)
    ).encode("utf-8")


CHECKOUT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
DOCUMENT_KEY_DIR = os.path.join(CHECKOUT, "build", "document-signing")
DOCUMENT_SEQUENCE = 1000
SIGNATURE_LABEL = b"tessaly-signed-document\n"


def load_key(path):
    """The Ed25519 private key of a PEM file, or None when there is none."""
    try:
        from cryptography.hazmat.primitives.serialization import load_pem_private_key
        with open(path, "rb") as file:
            return load_pem_private_key(file.read(), password=None)
    except (OSError, ImportError, ValueError):
        return None


DOCUMENT_KEY = load_key(os.environ.get("TESSALY_DOCUMENT_KEY",
                                       os.path.join(DOCUMENT_KEY_DIR, "document-signing.key")))
OTHER_DOCUMENT_KEY = load_key(os.path.join(DOCUMENT_KEY_DIR, "other-document-signing.key"))


def signed(body, sequence=DOCUMENT_SEQUENCE, key=None):
    """The document with its signature comment (config/DocumentSignature.h), or as it is when
    the server has no key."""
    key = key or DOCUMENT_KEY
    if key is None:
        return body
    if not body.endswith(b"\n"):
        body += b"\n"
    message = SIGNATURE_LABEL + b'sequence="%d"\n' % sequence + body
    signature = base64.b64encode(key.sign(message))
    return body + b'<!-- tessaly-signature sequence="%d" ed25519="%s" -->\n' % (sequence, signature)


def altered(body):
    """One byte of the middle changed."""
    middle = len(body) // 2
    return body[:middle] + bytes([body[middle] ^ 0x01]) + body[middle + 1:]


TEST_FILES_DIR = os.environ.get("TESSALY_TEST_FILES", "")
TEST_INSTALLER = "TessalyTestInstaller.exe"
TEST_COM_LIBRARY = "TessalyTestCom.dll"
TEST_COM_CLSID = "{5D4C1B9E-7A3F-4E21-9C6B-2F8E0A1D3B57}"
SERVED_AS = {"Mismatched.exe": TEST_INSTALLER}


def test_file(name):
    """The bytes of a served test file, or None for a name that is not one."""
    name = SERVED_AS.get(name, name)
    if not TEST_FILES_DIR or not re.fullmatch(r"[A-Za-z0-9_.-]{1,64}", name):
        return None
    try:
        with open(os.path.join(TEST_FILES_DIR, name), "rb") as file:
            return file.read()
    except OSError:
        return None


def file_token(kind, name):
    """The hit token of a served file: what /hits/ accepts."""
    return kind + "-" + re.sub(r"[^A-Za-z0-9_-]", "_", name)


def md5_of(name):
    body = test_file(name)
    return hashlib.md5(body).hexdigest() if body is not None else ""


def components_document(server):
    """An optional item, an installer whose digest does not match, which must never run, an
    item installed by the test installer (it records its command line beside itself in
    DownTmp) and the test COM library registered by regsvr32. The failing job comes first:
    only a job that ran a command re-runs the final step, so the last one reports them all."""
    return (
        '<?xml version="1.0" encoding="utf-8"?>\n'
        '<checkitems base="%s/files/">\n'
        '  <item name="可选控件" tips="1.0" type="ActiveX">\n'
        '    <detect type="clsid">{00000000-0000-0000-0000-00000000FFFF}</detect>\n'
        '  </item>\n'
        '  <item name="校验不符" tips="2.0" type="ActiveX">\n'
        '    <detect type="file">%%TEMP%%\\DownTmp\\Mismatched.exe</detect>\n'
        '    <installer command="%%1" md5="%s">Mismatched.exe</installer>\n'
        '  </item>\n'
        '  <item name="测试安装程序" tips="3.0" type="ActiveX">\n'
        '    <detect type="file">%%TEMP%%\\DownTmp\\test-installer-command.txt</detect>\n'
        '    <installer command="%%1 /S" md5="%s">%s</installer>\n'
        '  </item>\n'
        '  <item name="测试控件" tips="4.0" type="ActiveX">\n'
        '    <detect type="clsid">%s</detect>\n'
        '    <file remote="%s" md5="%s" install="regserver">%s</file>\n'
        '  </item>\n'
        '</checkitems>\n'
        % (server, "0" * 32, md5_of(TEST_INSTALLER), TEST_INSTALLER, TEST_COM_CLSID,
           TEST_COM_LIBRARY, md5_of(TEST_COM_LIBRARY), TEST_COM_LIBRARY)
    ).encode("utf-8")


def installer_document(server, path, command="%1 /S"):
    """After the optional first item, which 一键设置 leaves alone, one item whose installer is
    the file at `path` of this server, run with `command`."""
    return (
        '<?xml version="1.0" encoding="utf-8"?>\n'
        '<checkitems base="%s/">\n'
        '  <item name="可选控件" tips="1.0" type="ActiveX">\n'
        '    <detect type="clsid">{00000000-0000-0000-0000-00000000FFFF}</detect>\n'
        '  </item>\n'
        '  <item name="攻击者安装程序" tips="6.6" type="ActiveX">\n'
        '    <detect type="file">%%TEMP%%\\DownTmp\\test-installer-command.txt</detect>\n'
        '    <installer command="%s">%s</installer>\n'
        '  </item>\n'
        '</checkitems>\n' % (server, command, path)
    ).encode("utf-8")


def attack(server, name):
    """The body of /attack/NAME, or None."""
    components = components_document(server)
    documents = {
        "unsigned": lambda: components,
        "altered": lambda: altered(signed(components)),
        "older": lambda: signed(components, DOCUMENT_SEQUENCE - 1),
        "other-key": lambda: signed(components, key=OTHER_DOCUMENT_KEY),
        "signed": lambda: signed(components),
        "other-publisher": lambda: signed(
            installer_document(server, "files/TessalyTestInstaller-other.exe")),
        "altered-installer": lambda: signed(
            installer_document(server, "altered/TessalyTestInstaller.exe")),
        "unsigned-installer": lambda: signed(
            installer_document(server, "files/TessalyTestInstaller-unsigned.exe")),
    }
    return documents[name]() if name in documents else None


# The program closed during an install: an installer whose download takes about half a
# minute, and the test installer kept running for a while after it started.
LIFE_DOCUMENTS = {
    "/life/slow-download.xml": ("slow/25000000", "%1 /S"),
    "/life/lingering.xml": ("files/" + TEST_INSTALLER, "%1 /S /linger"),
}


KEY_DRIVER_ITEMS = {
    "feitian": '<item name="飞天蓝牙Key驱动" type="driver" class="CFeitianUSBKey"/>',
    "watchdata": '<item name="握奇Key驱动" type="driver" class="CWoqiUSBKey"/>',
}


def key_console_document(server, kind):
    """The console document with a driver item whose key the probe of that kind reads."""
    return console_document(server).replace(
        b"</checkitems>",
        ("  %s\n</checkitems>" % KEY_DRIVER_ITEMS[kind]).encode("utf-8"),
    )


NOT_CONFIG_PAGE = (
    b"<!DOCTYPE html><html><head><title>Hotspot</title></head>"
    b"<body><p>Please sign in to use the Wi-Fi.</p></body></html>"
)
MISSING_PAGE = b"<html><body><h1>404 Not Found</h1></body></html>"
ENROLMENT_CONTROL_SIZES = {
    "/wydown/ocx/CertEnroll.dll": 3000,
    "/wydown/ocx/CertEnrollCtrl.exe": 5000,
    "/wydown/ocx/xenroll.dll": 4000,
}


class Counters:
    def __init__(self):
        self.lock = threading.Lock()
        self.requests = 0
        self.hits = {}

    def next_request(self):
        with self.lock:
            self.requests += 1
            return self.requests

    def hit(self, token):
        with self.lock:
            self.hits[token] = self.hits.get(token, 0) + 1

    def hits_of(self, token):
        with self.lock:
            return self.hits.get(token, 0)


COUNTERS = Counters()


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TessalyTestServer"

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        if self.server.verbose:
            super().log_message(format, *args)

    def send_body(self, status, body, content_type="application/octet-stream", extra=None):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        for name, value in (extra or {}).items():
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def close_after(self, status, headers, body):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()
        self.close_connection = True

    def do_GET(self):  # noqa: N802 - the base class's name
        path = urllib.parse.urlsplit(self.path).path
        sized = re.fullmatch(r"/(bytes|short|chunked|slow)/(\d{1,9})", path)
        if sized:
            size = int(sized.group(2))
            if size > MAX_PATTERN_BYTES:
                self.send_body(413, b"too large", "text/plain")
                return
            getattr(self, "serve_" + sized.group(1))(size)
            return
        token = re.fullmatch(r"/(probe|hits)/([A-Za-z0-9_-]{1,64})", path)
        if token and token.group(1) == "probe":
            COUNTERS.hit(token.group(2))
            self.send_body(200, b"ok", "text/plain")
        elif token:
            self.send_body(200, str(COUNTERS.hits_of(token.group(2))).encode(), "text/plain")
        elif path == "/missing":
            self.send_body(404, MISSING_PAGE, "text/html")
        elif path == "/bad-length":
            body = b"twelve bytes"
            self.close_after(200, [("Content-Length", "12abc")], body)
        elif path == "/not-config":
            self.send_body(200, NOT_CONFIG_PAGE, "text/html")
        elif path == "/wydown/ocx/item_L.xml":
            self.send_body(200, signed(check_items_document("32")), "text/xml")
        elif path == "/wydown/ocx/item64_L.xml":
            self.send_body(200, signed(check_items_document("64")), "text/xml")
        elif path in ENROLMENT_CONTROL_SIZES:
            self.serve_bytes(ENROLMENT_CONTROL_SIZES[path])
        elif path == "/console/item.xml":
            server = "http://127.0.0.1:%d" % self.server.server_address[1]
            self.send_body(200, signed(console_document(server)), "text/xml")
        elif path == "/components/item.xml":
            server = "http://127.0.0.1:%d" % self.server.server_address[1]
            self.send_body(200, signed(components_document(server)), "text/xml")
        elif path in LIFE_DOCUMENTS:
            server = "http://127.0.0.1:%d" % self.server.server_address[1]
            self.send_body(200, signed(installer_document(server, *LIFE_DOCUMENTS[path])), "text/xml")
        elif path.startswith("/files/") and test_file(path[len("/files/"):]) is not None:
            name = path[len("/files/"):]
            COUNTERS.hit(file_token("files", name))
            # A test's own check-item documents are served as the bank serves its own: signed.
            body = test_file(name)
            self.send_body(200, signed(body) if name.endswith(".xml") else body)
        elif path.startswith("/cut/") and test_file(path[len("/cut/"):]) is not None:
            COUNTERS.hit(file_token("cut", path[len("/cut/"):]))
            body = test_file(path[len("/cut/"):])
            self.close_after(200, [("Content-Length", str(len(body)))], body[: len(body) // 2])
        elif path in ("/console/feitian.xml", "/console/watchdata.xml"):
            server = "http://127.0.0.1:%d" % self.server.server_address[1]
            kind = path[len("/console/"):-len(".xml")]
            self.send_body(200, signed(key_console_document(server, kind)), "text/xml")
        elif path.startswith("/attack/") and path.endswith(".xml"):
            server = "http://127.0.0.1:%d" % self.server.server_address[1]
            body = attack(server, path[len("/attack/"):-len(".xml")])
            if body is None:
                self.send_body(404, MISSING_PAGE, "text/html")
            else:
                self.send_body(200, body, "text/xml")
        elif path.startswith("/altered/") and test_file(path[len("/altered/"):]) is not None:
            COUNTERS.hit(file_token("altered", path[len("/altered/"):]))
            self.send_body(200, altered(test_file(path[len("/altered/"):])))
        elif path == "/counter":
            number = str(COUNTERS.next_request()).encode()
            self.send_body(200, number, "text/plain", {"Cache-Control": "public, max-age=3600"})
        elif path == "/echo/user-agent":
            agent = self.headers.get("User-Agent", "").encode("utf-8", "replace")
            self.send_body(200, agent, "text/plain")
        else:
            self.send_body(404, MISSING_PAGE, "text/html")

    def serve_bytes(self, size):
        self.send_body(200, pattern(size))

    def serve_short(self, size):
        self.close_after(200, [("Content-Length", str(size))], pattern(size)[: size // 2])

    def serve_chunked(self, size):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        body = pattern(size)
        for start in range(0, size, 3000):
            piece = body[start : start + 3000]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
        self.wfile.write(b"0\r\n\r\n")

    def serve_slow(self, size):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        body = pattern(size)
        for start in range(0, size, SLOW_PIECE_BYTES):
            self.wfile.write(body[start : start + SLOW_PIECE_BYTES])
            self.wfile.flush()
            time.sleep(SLOW_PAUSE_SECONDS)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, verbose):
        # Loopback only: the tests never serve anyone but this machine.
        super().__init__(("127.0.0.1", 0), Handler)
        self.verbose = verbose


def write_port_file(path, port):
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="ascii") as file:
        file.write("%d\n" % port)
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port-file", help="write the chosen port to this file")
    parser.add_argument("--lifetime", type=float, default=3600.0,
                        help="stop by itself after this many seconds (default 3600)")
    parser.add_argument("--verbose", action="store_true", help="log every request to stderr")
    options = parser.parse_args()

    server = Server(options.verbose)
    port = server.server_address[1]
    print("PORT %d" % port, flush=True)
    if options.port_file:
        write_port_file(options.port_file, port)
    watchdog = threading.Timer(options.lifetime, server.shutdown)
    watchdog.daemon = True
    watchdog.start()
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
