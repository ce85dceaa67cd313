#!/usr/bin/env python3
"""Static checks of the delivered Windows files, for builds whose programs
cannot run here (32-bit) and for the packages.

For every file: the PE machine; the subsystem and OS versions the oldest
supported Windows needs; imports only of system DLLs (or of the host
libraries by name), never of a compiler run-time DLL; every imported function
on the reviewed list of what that Windows version offers; a version resource
with product name Plexor and the project's version. For Vexmoor.dll the
export table is exactly the .def file's names; for Quillet.exe the manifest
asks for the execution level and the common controls, and its imports name
known DLLs only (see KNOWN_DLLS).

  check_pe.py --objdump OBJDUMP --machine i386|x86-64 --subsystem 5.01
              --version X.Y.Z --imports LIST [--exports-of NAME DEF]
              [--manifest-of NAME] [--known-dlls-only-of NAME]
              [--write-imports FILE] FILE...

--write-imports writes the imports found (for reviewing a new list).
"""
import argparse
import os
import re
import struct
import subprocess
import sys

# System DLLs a delivered file may import; the host libraries are loaded by
# name from beside the RIP host. Anything else (libstdc++-6.dll,
# libgcc_s_*.dll, libwinpthread-1.dll...) would have to ship beside it.
ALLOWED_DLLS = {
    "KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "COMCTL32.DLL",
    "VERSION.DLL", "OLE32.DLL", "SHELL32.DLL", "WINSPOOL.DRV", "MSVCRT.DLL",
    "TESSARO.DLL", "VINDAL.DLL", "OMBRIX.DLL",
}
OWN_DLLS = {"TESSARO.DLL", "VINDAL.DLL", "OMBRIX.DLL"}
# DLLs that every supported Windows (XP SP2 to 11) takes from the system
# folder whatever lies beside the program: the known DLLs (msvcrt.dll is one
# on XP as an import of the listed ones, and listed from Vista on), and the
# common controls, which the manifest binds to the system's side-by-side copy.
# VERSION.dll is not a known DLL on current Windows: a program run as
# administrator from a writable folder must load it by its full path instead.
KNOWN_DLLS = {
    "KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "SHELL32.DLL",
    "OLE32.DLL", "MSVCRT.DLL", "COMCTL32.DLL",
}


def objdump(tool, path):
    return subprocess.run([tool, "-p", path], check=True, capture_output=True,
                          text=True, errors="replace").stdout


def header_field(dump, name):
    match = re.search(r"^%s\s+(\S+)" % re.escape(name), dump, re.M)
    return match.group(1) if match else None


def imports(dump):
    """(DLL, function) pairs of the import tables."""
    found = []
    dll = None
    section = dump.split("The Import Tables", 1)[-1].split("The Export Tables", 1)[0]
    for line in section.splitlines():
        match = re.match(r"\s*DLL Name: (\S+)", line)
        if match:
            dll = match.group(1).upper()
            continue
        match = re.match(r"\t[0-9a-f]+\s+(\d+)\s+(\S+)", line)
        if dll and match:
            found.append((dll, match.group(2)))
        elif dll and re.match(r"\t[0-9a-f]+\s+<none>\s+([0-9a-f]+)", line):
            found.append((dll, "#ordinal"))
    return found


def exports(dump):
    table = re.search(r"\[Ordinal/Name Pointer\] Table\n(.*?)(?:\n\n|\Z)", dump, re.S)
    if not table:
        return []
    return re.findall(r"\[\s*\d+\]\s+(\S+)", table.group(1))


def version_resource(data):
    """(file version, product version) of VS_FIXEDFILEINFO, or None."""
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return None
    _, _, file_ms, file_ls, prod_ms, prod_ls = struct.unpack_from("<6I", data, at)
    split = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    return split(file_ms, file_ls), split(prod_ms, prod_ls)


def utf16_value(data, key):
    """The text after a version resource's key (UTF-16, padded to 4 bytes)."""
    needle = (key + "\0").encode("utf-16-le")
    at = data.find(needle)
    if at < 0:
        return None
    at += len(needle)
    while data[at:at + 2] == b"\0\0":
        at += 2
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--machine", required=True)
    parser.add_argument("--subsystem", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--imports", required=True)
    parser.add_argument("--exports-of", nargs=2, metavar=("NAME", "DEF"))
    parser.add_argument("--manifest-of")
    parser.add_argument("--known-dlls-only-of")
    parser.add_argument("--write-imports")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()

    reviewed = set()
    if os.path.exists(args.imports):
        for line in open(args.imports):
            line = line.split("#", 1)[0].split()
            if len(line) == 2:
                reviewed.add((line[0].upper(), line[1]))
    want_version = tuple(int(part) for part in args.version.split(".")) + (0,)
    want_subsystem = tuple(int(part) for part in args.subsystem.split("."))
    problems = []
    all_imports = set()
    for path in args.files:
        name = os.path.basename(path)
        bad = lambda text: problems.append("%s: %s" % (name, text))
        dump = objdump(args.objdump, path)
        fmt = re.search(r"file format (\S+)", dump)
        want_format = {"i386": "pei-i386", "x86-64": "pei-x86-64"}[args.machine]
        if not fmt or fmt.group(1) != want_format:
            bad("format %s, expected %s" % (fmt and fmt.group(1), want_format))
        magic = header_field(dump, "Magic")
        if magic != {"i386": "010b", "x86-64": "020b"}[args.machine]:
            bad("optional header magic %s" % magic)
        for field in ("Subsystem", "OSystem"):
            got = (int(header_field(dump, "Major%sVersion" % field) or -1),
                   int(header_field(dump, "Minor%sVersion" % field) or -1))
            if got != want_subsystem:
                bad("%s version %d.%02d, expected %d.%02d" % ((field,) + got + want_subsystem))
        known_only = args.known_dlls_only_of and name.lower() == args.known_dlls_only_of.lower()
        for dll in sorted({dll for dll, _ in imports(dump)}):
            if known_only and dll not in KNOWN_DLLS:
                bad("imports %s, which Windows may take from the program's folder" % dll)
        for dll, function in imports(dump):
            all_imports.add((dll, function))
            if dll not in ALLOWED_DLLS:
                bad("imports %s (not a system DLL)" % dll)
            elif dll not in OWN_DLLS and (dll, function) not in reviewed:
                bad("imports %s %s, not on the list of the oldest supported Windows"
                    % (dll, function))
        data = open(path, "rb").read()
        versions = version_resource(data)
        if versions != (want_version, want_version):
            bad("version resource %s, expected %s" % (versions, want_version))
        for key, want in (("ProductName", "Plexor"), ("FileVersion", args.version),
                          ("ProductVersion", args.version)):
            got = utf16_value(data, key)
            if got != want:
                bad("%s %r, expected %r" % (key, got, want))
        if not utf16_value(data, "FileDescription"):
            bad("no file description")
        if args.exports_of and name.lower() == args.exports_of[0].lower():
            want = sorted(line.strip() for line in open(args.exports_of[1])
                          if re.match(r"\s+\w", line))
            got = sorted(exports(dump))
            if got != want:
                bad("exports %s, expected %s" % (got, want))
        if args.manifest_of and name.lower() == args.manifest_of.lower():
            for text in (b'requestedExecutionLevel level="highestAvailable"',
                         b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
                         b"<supportedOS Id="):
                if text not in data:
                    bad("manifest without %s" % text.decode())
    if args.write_imports:
        with open(args.write_imports, "w") as out:
            for dll, function in sorted(all_imports):
                if dll not in OWN_DLLS:
                    out.write("%s %s\n" % (dll, function))
    for problem in problems:
        print(problem)
    print("%d files checked, %d problems" % (len(args.files), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
