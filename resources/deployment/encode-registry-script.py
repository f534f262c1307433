#!/usr/bin/env python3
"""Writes a registry script as the registry editor writes its own "Version 5.00" files:
UTF-16LE with a byte-order mark and CRLF line ends. Only then are its hex(2) values read as
UTF-16 by every registry editor (Wine's converts them from the ANSI code page in a
single-byte file, which keeps only their first character).

  usage: encode-registry-script.py SOURCE TARGET
"""
import sys


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source, "r", encoding="ascii", newline="") as file:
        text = file.read().replace("\r\n", "\n").replace("\n", "\r\n")
    with open(target, "wb") as file:
        file.write(b"\xff\xfe" + text.encode("utf-16-le"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
