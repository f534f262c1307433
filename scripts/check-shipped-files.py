#!/usr/bin/env python3
"""Checks that Windows XP SP3 can load every file the build ships.

usage: check-shipped-files.py LIST   (LIST: a build's shipped-files.txt, one path a line)

Each file listed must exist and import only what XP SP3 exports (the shared check-imports
beside the repository). A DLL must also carry no thread-local data of its own in the
loader's TLS template: XP gives such data no slot in a library loaded with LoadLibrary,
which is how the program loads its key adapters. An embedded manifest must follow the
rules XP's side-by-side loader enforces. When a build's shipped-version.txt lies beside LIST
(the build writes it), each file must carry that one version as the file and product
version of its version resource. Every file counts as one test; the last
line is "N passed, N failed". Exit status 0 when the list names at least one file and
every one passes."""
import os
import struct
import subprocess
import sys
from xml.etree import ElementTree

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CHECK_IMPORTS = os.path.join(os.path.dirname(ROOT), "shared", "windows-xp", "check-imports")

PE32_PLUS = 0x20B
RESOURCE_DIRECTORY_ENTRY = 2
TLS_DIRECTORY_ENTRY = 9
RT_MANIFEST = 24
RT_VERSION = 16
VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"


class NotAnImage(Exception):
    pass


class PeImage:
    """The headers of a PE file, read within the file's bounds."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise NotAnImage("no MZ header")
        (pe,) = self.unpack("<I", 0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise NotAnImage("no PE signature")
        self.sections = self.unpack("<H", pe + 6)[0]
        optional_size = self.unpack("<H", pe + 20)[0]
        optional = pe + 24
        self.section_table = optional + optional_size
        self.plus = self.unpack("<H", optional)[0] == PE32_PLUS
        self.pointer = 8 if self.plus else 4
        self.image_base = self.unpack("<Q" if self.plus else "<I", optional + (24 if self.plus else 28))[0]
        self.directory_count = self.unpack("<I", optional + (108 if self.plus else 92))[0]
        self.directory_table = optional + (112 if self.plus else 96)

    def unpack(self, layout, offset):
        if offset < 0 or offset + struct.calcsize(layout) > len(self.data):
            raise NotAnImage("truncated")
        return struct.unpack_from(layout, self.data, offset)

    def directory(self, entry):
        """(RVA, size) of a data directory; (0, 0) when absent."""
        if entry >= self.directory_count:
            return 0, 0
        return self.unpack("<II", self.directory_table + 8 * entry)

    def offset(self, rva):
        for i in range(self.sections):
            virtual_size, virtual_address, raw_size, raw_pointer = self.unpack(
                "<IIII", self.section_table + 40 * i + 8)
            if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
                return raw_pointer + rva - virtual_address
        raise NotAnImage(f"RVA {rva:#x} outside every section")


def tls_template_size(image):
    """The size of the TLS template: initialised data plus zero fill (0 without a TLS
    directory)."""
    rva, size = image.directory(TLS_DIRECTORY_ENTRY)
    if rva == 0 or size == 0:
        return 0
    start, end, _index, _callbacks, zero_fill, _characteristics = image.unpack(
        "<QQQQII" if image.plus else "<IIIIII", image.offset(rva))
    if end < start or start < image.image_base:
        raise NotAnImage("malformed TLS directory")
    return end - start + zero_fill


def resources_of_type(image, wanted):
    """The bytes of every resource of type `wanted` in the image."""
    root_rva, size = image.directory(RESOURCE_DIRECTORY_ENTRY)
    if root_rva == 0 or size == 0:
        return []
    root = image.offset(root_rva)

    def entries(directory):
        named, numbered = image.unpack("<HH", directory + 12)
        for i in range(named + numbered):
            name, target = image.unpack("<II", directory + 16 + 8 * i)
            yield name, target

    def leaves(target, depth):
        if target & 0x80000000:
            if depth > 3:
                raise NotAnImage("resource tree too deep")
            for _name, child in entries(root + (target & 0x7FFFFFFF)):
                yield from leaves(child, depth + 1)
        else:
            data_rva, data_size = image.unpack("<II", root + target)
            start = image.offset(data_rva)
            if start + data_size > len(image.data):
                raise NotAnImage("resource beyond the end of the file")
            yield image.data[start:start + data_size]

    found = []
    for kind, target in entries(root):
        if kind == wanted:
            found.extend(leaves(target, 1))
    return found


def fixed_versions(image):
    """(file version, product version) as dotted texts of each version resource."""
    found = []
    for block in resources_of_type(image, RT_VERSION):
        # VS_VERSIONINFO: three words, the key "VS_VERSION_INFO" in UTF-16 with its zero,
        # padding to four bytes, then VS_FIXEDFILEINFO.
        start = (6 + len("VS_VERSION_INFO\0") * 2 + 3) & ~3
        if len(block) < start + 52:
            raise NotAnImage("version resource too short")
        signature, _struct, file_ms, file_ls, product_ms, product_ls = struct.unpack_from(
            "<IIIIII", block, start)
        if signature != VS_FIXEDFILEINFO_SIGNATURE:
            raise NotAnImage("version resource without its fixed part")
        dotted = lambda ms, ls: f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
        found.append((dotted(file_ms, file_ls), dotted(product_ms, product_ls)))
    return found


def manifest_problem(text):
    """Why Windows XP's side-by-side loader would refuse the manifest, or None. XP knows the
    assembly schema of its time only: the root and the identity it demands, four-part
    versions; elements of later namespaces (trustInfo, compatibility, windowsSettings) it
    passes over."""
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as e:
        return f"manifest is not well-formed XML ({e})"
    if root.tag != ASM_V1 + "assembly" or root.get("manifestVersion") != "1.0":
        return 'manifest root is not <assembly manifestVersion="1.0"> of urn:schemas-microsoft-com:asm.v1'
    if root.find(ASM_V1 + "assemblyIdentity") is None:
        return "manifest has no assemblyIdentity of its own, which XP requires"
    for identity in root.iter(ASM_V1 + "assemblyIdentity"):
        version = identity.get("version", "")
        parts = version.split(".")
        if len(parts) != 4 or not all(part.isdigit() for part in parts):
            return f"manifest assemblyIdentity {identity.get('name')!r} has version {version!r}, not four numbers"
    return None


def version_problem(image, version):
    """Why the image does not carry exactly `version`, or None."""
    versions = fixed_versions(image)
    if len(versions) != 1:
        return f"{len(versions)} version resources, not one"
    if versions[0] != (version, version):
        return f"file and product version {versions[0]}, not the build's {version}"
    return None


def image_problem(path, version):
    """Why XP would refuse the image at `path` for reasons other than its imports, or why
    it does not carry the build's version; None when neither."""
    with open(path, "rb") as f:
        data = f.read()
    try:
        image = PeImage(data)
        # Every MinGW module has a TLS directory: the runtime's own, whose template is just
        # its start marker, one pointer. GCC's thread_local lives outside it (emulated TLS
        # with TlsAlloc), so anything larger is thread-local data the loader must place.
        # An executable is loaded with the process, when XP does place it.
        thread_data = tls_template_size(image) - image.pointer
        if path.lower().endswith(".dll") and thread_data > 0:
            return (f"{thread_data} bytes of implicit thread-local data, which XP cannot place "
                    "for a DLL loaded with LoadLibrary")
        for manifest in resources_of_type(image, RT_MANIFEST):
            problem = manifest_problem(manifest)
            if problem:
                return problem
        return version_problem(image, version) if version else None
    except NotAnImage as e:
        return f"not a PE image ({e})"


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
    version = None
    version_file = os.path.join(os.path.dirname(argv[1]), "shipped-version.txt")
    if os.path.isfile(version_file):
        with open(version_file, encoding="utf-8") as f:
            version = f.read().strip()
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
        problem = image_problem(path, version)
        if problem:
            results[path].append(problem)
    passed = failed = 0
    for path, problems in results.items():
        for problem in problems:
            print(f"{path}: {problem}")
        if problems:
            failed += 1
        else:
            print(f"{path}: loads on Windows XP SP3" + (f", version {version}" if version else ""))
            passed += 1
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
