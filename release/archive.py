#!/usr/bin/env python3
"""Writes the release archive from release/members. scripts/package calls it after the builds;
the package tests read the same list through members().

Every member gets the time of SOURCE_DATE_EPOCH, fixed permissions and no owner, and the members
go in sorted by name, so the same inputs make the same bytes on any machine with the same zlib.
CPack's ZIP generator would take the times, owners and permissions from the files it finds.
"""
import argparse
import glob
import os
import sys
import time
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
WINDOWS_TEXT = (".txt", ".ini")


def members(root=ROOT):
    """The archive's members as (name, source) pairs, sorted by name. A source starting with
    build/ or made/ is relative to those folders, any other to the repository."""
    found = {}
    with open(os.path.join(root, "release", "members"), encoding="utf-8") as listing:
        for line in listing:
            if not line.strip() or line.startswith("#"):
                continue
            name, source = line.split()
            if name.endswith("/"):
                for path in sorted(glob.glob(os.path.join(root, source))):
                    found[name + os.path.basename(path)] = os.path.relpath(path, root)
            else:
                found[name] = source
    return sorted(found.items())


def contents(source, build, made, version):
    first, _, rest = source.partition("/")
    path = {"build": os.path.join(build, rest), "made": os.path.join(made, rest)}.get(
        first, os.path.join(ROOT, source))
    with open(path, "rb") as file:
        data = file.read()
    if source.endswith(".in"):
        with open(os.path.join(made, "keys.txt"), "rb") as keys:
            data = data.replace(b"@KEYS@\n", keys.read())
        data = data.replace(b"@VERSION@", version.encode())
    return data


def write(out, build, made, version):
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
    # A zip stores local time in two-second steps, from 1980 on.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(out + ".part", "w", zipfile.ZIP_DEFLATED) as archive:
        for name, source in members():
            data = contents(source, build, made, version)
            if name.endswith(WINDOWS_TEXT):
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
            info = zipfile.ZipInfo(name, date_time=stamp)
            # Unix permissions, which Windows ignores: readable by all, programs runnable.
            info.create_system = 3
            info.external_attr = (0o100755 if name.endswith((".exe", ".dll")) else 0o100644) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data)
    os.replace(out + ".part", out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="the win32 release build folder")
    parser.add_argument("--made", required=True, help="the folder of the keys card and text")
    parser.add_argument("--version", required=True)
    parser.add_argument("--out", required=True, help="the archive to write")
    args = parser.parse_args()
    write(args.out, args.build, args.made, args.version)
    return 0


if __name__ == "__main__":
    sys.exit(main())
