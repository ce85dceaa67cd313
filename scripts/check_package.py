#!/usr/bin/env python3
"""Checks the ZIP package of one Windows build folder: exactly the expected
files under Plexor-<version>-<arch>/, the sample media identical to the
demo's, and every program and DLL passing the static checks of the build.

  check_package.py BUILD_DIR
"""
import os
import re
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MEDIA = os.path.join(ROOT, "demo", "update", "media")


def package_name(build):
    text = open(os.path.join(build, "CPackConfig.cmake"), encoding="utf-8").read()
    return re.search(r'^set\(CPACK_PACKAGE_FILE_NAME "([^"]+)"\)', text, re.M).group(1)


def main():
    build = sys.argv[1]
    top = package_name(build)  # Plexor-<version>-<arch>
    path = os.path.join(build, "package", top + ".zip")
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
    for problem in problems:
        print("%s: %s" % (os.path.basename(path), problem))
    if not problems:
        print("%s: %d files as expected" % (os.path.basename(path), len(got)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
