#!/usr/bin/env python3
"""Checks the ZIP package of one Windows build folder: exactly the expected
files under Plexor-<version>-<arch>/, the sample media identical to the
demo's, and every program and DLL passing the static checks of the build.
When the package step was asked to sign (PLEXOR_SIGN_PFX set), every program
and DLL must carry a signature, and no file may hold the key's password
(PLEXOR_SIGN_PASSWORD); with --ca, each signature must be SHA-256 and pass
`osslsigncode verify` against that CA (with --time-stamped, also a time stamp
from a server whose certificate that CA issued).

  check_package.py BUILD_DIR [--package-dir DIR] [--ca CA_PEM [--time-stamped]]
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MEDIA = os.path.join(ROOT, "demo", "update", "media")


def package_name(build):
    text = open(os.path.join(build, "CPackConfig.cmake"), encoding="utf-8").read()
    return re.search(r'^set\(CPACK_PACKAGE_FILE_NAME "([^"]+)"\)', text, re.M).group(1)


def has_signature(data):
    """True when the PE file's certificate table (data directory 4) is set."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    offset, size = struct.unpack_from("<II", data, directories + 4 * 8)
    return offset != 0 and size != 0


def signature_problems(path, name, ca, time_stamped):
    data = open(path, "rb").read()
    problems = []
    password = os.environ.get("PLEXOR_SIGN_PASSWORD", "")
    if password and password.encode() in data:
        problems.append("%s holds the signing password" % name)
    if name.lower().endswith((".exe", ".dll")) and os.environ.get("PLEXOR_SIGN_PFX"):
        if not has_signature(data):
            problems.append("%s is not signed" % name)
        elif ca:
            check = subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-TSA-CAfile", ca,
                                    "-in", path], capture_output=True, text=True, errors="replace")
            if check.returncode != 0:
                problems.append("%s: signature not accepted:\n%s" % (name, check.stdout + check.stderr))
            elif "Message digest algorithm  : SHA256" not in check.stdout:
                problems.append("%s: signature digest is not SHA-256" % name)
            elif time_stamped and "Timestamp Server Signature verification: ok" not in check.stdout:
                problems.append("%s: no verified time stamp" % name)
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--package-dir")
    parser.add_argument("--ca")
    parser.add_argument("--time-stamped", action="store_true")
    args = parser.parse_args()
    build = args.build
    top = package_name(build)  # Plexor-<version>-<arch>
    path = os.path.join(args.package_dir or os.path.join(build, "package"), top + ".zip")
    media = sorted("update-media/" + os.path.relpath(os.path.join(d, f), MEDIA).replace(os.sep, "/")
                   for d, _, files in os.walk(MEDIA) for f in files)
    binaries = ["update-media/Quillet.exe", "tools/quillet-check.exe", "rip/Vexmoor.dll",
                "rip/tessaro.dll", "rip/vindal.dll", "rip/ombrix.dll", "rip/riphost.exe",
                "tools/rtlview.exe"]
    expected = sorted(set(binaries + media + [
        "rip/demo-ticket.txt", "operator-guide.txt", "integrator-guide.txt"]))
    problems = []
    with zipfile.ZipFile(path) as package:
        names = [n for n in package.namelist() if not n.endswith("/")]
        outside = [n for n in names if not n.startswith(top + "/")]
        got = sorted(n[len(top) + 1:] for n in names if n.startswith(top + "/"))
        if outside:
            problems.append("outside %s/: %s" % (top, outside))
        if got != expected:
            problems.append("missing %s, unexpected %s"
                            % (sorted(set(expected) - set(got)), sorted(set(got) - set(expected))))
        for name in media:
            if name in got:
                original = os.path.join(MEDIA, name[len("update-media/"):])
                if package.read(top + "/" + name) != open(original, "rb").read():
                    problems.append("%s differs from the demo media" % name)
        with tempfile.TemporaryDirectory() as unpacked:
            package.extractall(unpacked)
            files = [os.path.join(unpacked, top, b) for b in binaries if b in got]
            checks = open(os.path.join(build, "deliverables", "pe_checks.txt")).read().split("\n")
            check = subprocess.run([sys.executable, os.path.join(ROOT, "cmake", "check_pe.py")]
                                   + [c for c in checks if c] + files,
                                   capture_output=True, text=True)
            if check.returncode != 0:
                problems.append("static checks:\n" + check.stdout)
            for name in got:
                problems += signature_problems(os.path.join(unpacked, top, name), name, args.ca,
                                               args.time_stamped)
    for problem in problems:
        print("%s: %s" % (os.path.basename(path), problem))
    if not problems:
        print("%s: %d files as expected" % (os.path.basename(path), len(got)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
