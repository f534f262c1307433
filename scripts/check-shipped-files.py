#!/usr/bin/env python3
"""Checks that Windows XP SP3 can load every file the build ships.

usage: check-shipped-files.py LIST   (LIST: a build's shipped-files.txt, one path a line)

Each file listed must exist and import only what XP SP3 exports (the shared check-imports
beside the repository). A DLL must also carry no thread-local data of its own in the
loader's TLS template: XP gives such data no slot in a library loaded with LoadLibrary,
which is how the program loads its key adapters. Every file counts as one test; the last
line is "N passed, N failed". Exit status 0 when the list names at least one file and
every one passes."""
import os
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CHECK_IMPORTS = os.path.join(os.path.dirname(ROOT), "shared", "windows-xp", "check-imports")

PE32_PLUS = 0x20B
TLS_DIRECTORY_ENTRY = 9


class NotAnImage(Exception):
    pass


def unpack(layout, data, offset):
    if offset < 0 or offset + struct.calcsize(layout) > len(data):
        raise NotAnImage("truncated")
    return struct.unpack_from(layout, data, offset)


def tls_template_size(data):
    """The size of the TLS template (initialised data plus zero fill) and the pointer size
    of the image; (0, pointer size) when it has no TLS directory."""
    if data[:2] != b"MZ":
        raise NotAnImage("no MZ header")
    (pe,) = unpack("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise NotAnImage("no PE signature")
    sections, optional_size = unpack("<H", data, pe + 6)[0], unpack("<H", data, pe + 20)[0]
    optional = pe + 24
    (magic,) = unpack("<H", data, optional)
    plus = magic == PE32_PLUS
    pointer = 8 if plus else 4
    image_base = unpack("<Q" if plus else "<I", data, optional + (24 if plus else 28))[0]
    (directories,) = unpack("<I", data, optional + (108 if plus else 92))
    if directories <= TLS_DIRECTORY_ENTRY:
        return 0, pointer
    tls_rva, tls_size = unpack("<II", data, optional + (112 if plus else 96) + 8 * TLS_DIRECTORY_ENTRY)
    if tls_rva == 0 or tls_size == 0:
        return 0, pointer

    def file_offset(rva):
        for i in range(sections):
            header = optional + optional_size + 40 * i
            virtual_size, virtual_address, raw_size, raw_pointer = unpack("<IIII", data, header + 8)
            if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
                return raw_pointer + rva - virtual_address
        raise NotAnImage("TLS directory outside every section")

    start, end, _index, _callbacks, zero_fill, _characteristics = unpack(
        "<QQQQII" if plus else "<IIIIII", data, file_offset(tls_rva))
    if end < start or start < image_base:
        raise NotAnImage("malformed TLS directory")
    return end - start + zero_fill, pointer


def image_problem(path):
    """Why XP would refuse the image at `path` for reasons other than its imports, or None."""
    with open(path, "rb") as f:
        data = f.read()
    try:
        size, pointer = tls_template_size(data)
    except NotAnImage as e:
        return f"not a PE image ({e})"
    # Every MinGW module has a TLS directory: the runtime's own, whose template is just its
    # start marker, one pointer. GCC's thread_local lives outside it (emulated TLS with
    # TlsAlloc), so anything larger is thread-local data the loader itself must place.
    # An executable is loaded with the process, when XP does place it.
    if path.lower().endswith(".dll") and size > pointer:
        return (f"{size - pointer} bytes of implicit thread-local data, which XP cannot place "
                "for a DLL loaded with LoadLibrary")
    return None


def import_problems(paths):
    """check-imports' findings for each path; None when the check itself did not work."""
    run = subprocess.run([CHECK_IMPORTS, *paths], capture_output=True, text=True)
    sys.stderr.write(run.stderr)
    findings = {path: [] for path in paths}
    summary = None
    for line in run.stdout.splitlines():
        path = next((p for p in paths if line.startswith(p + ": ")), None)
        if path is not None:
            findings[path].append(line)
        elif line.endswith("files import only what Windows XP SP3 exports"):
            summary = line.split()
    # The summary must agree with the findings, so a check that broke cannot pass a file.
    failing = sum(1 for lines in findings.values() if lines)
    if (run.returncode != (1 if failing else 0) or summary is None
            or summary[2] != str(len(paths)) or summary[0] != str(len(paths) - failing)):
        print(run.stdout, end="")
        return None
    return findings


def main(argv):
    if len(argv) != 2:
        print("usage: check-shipped-files.py LIST", file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        files = [line.strip() for line in f if line.strip()]
    results = {}
    if not files:
        results[argv[1]] = ["lists no shipped file"]
    present = [path for path in files if os.path.isfile(path)]
    for path in files:
        results[path] = [] if path in present else ["missing"]
    findings = import_problems(present) if present else {}
    if findings is None:
        print("check-imports did not give a consistent answer")
        findings = {path: ["not checked"] for path in present}
    for path in present:
        results[path] += [line[len(path) + 2:] for line in findings[path]]
        problem = image_problem(path)
        if problem:
            results[path].append(problem)
    passed = failed = 0
    for path, problems in results.items():
        for problem in problems:
            print(f"{path}: {problem}")
        if problems:
            failed += 1
        else:
            print(f"{path}: loads on Windows XP SP3")
            passed += 1
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
