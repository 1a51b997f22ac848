#!/usr/bin/env python3
"""The Windows build's files held to what they promise, read with llvm-readobj and never run, so
that these checks hold on a machine that runs no 32-bit programs too:

    tests/win32/check_files.py BIN_FOLDER PROJECT_VERSION

Both DLLs import from the host and Windows' own libraries only, and by name; the plug-in exactly
the host's twelve entries, the take runner some of them; neither exports anything or carries a
GCC-mangled name; each stays within its size and carries the version. Every program is
large-address-aware.
"""
import os
import re
import subprocess
import sys
import unittest

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from pe_version import version_info  # noqa: E402

BIN = VERSION = None
ALLOWED = {"tessel.dll", "kernel32.dll", "user32.dll", "msvcrt.dll"}
LIMITS = {"Zenthar.dll": 20 * 1024, "ZentharTake.dll": 24 * 1024}
LARGE_ADDRESS_AWARE = 0x20


def host_entries():
    """The host's twelve entries, as Tessel.def names them in the Windows ABI."""
    with open(os.path.join(ROOT, "src", "tessel", "Tessel.def"), encoding="utf-8") as file:
        return set(re.findall(r'^\s*"([^"]+)"\s*=', file.read(), re.M))


def readobj(*args):
    return subprocess.run(["llvm-readobj"] + list(args), capture_output=True, text=True,
                          check=True).stdout


def imports(path):
    """{dll (lower case): [symbol, ...]} from llvm-readobj; an import by ordinal has no name."""
    found = {}
    dll = None
    for line in readobj("--coff-imports", path).splitlines():
        line = line.strip()
        if line.startswith("Name: "):
            dll = line[len("Name: "):].lower()
            found.setdefault(dll, [])
        elif line.startswith("Symbol:") and dll is not None:
            found[dll].append(re.sub(r"\s*\(\d+\)$", "", line[len("Symbol:"):].strip()))
    return found


class ShippedFiles(unittest.TestCase):
    def path(self, name):
        path = os.path.join(BIN, name)
        self.assertTrue(os.path.isfile(path), "%s was not built" % path)
        return path

    def check_library(self, name):
        path = self.path(name)
        found = imports(path)
        self.assertLessEqual(set(found), ALLOWED, "%s imports from other libraries" % name)
        for dll, symbols in found.items():
            self.assertNotIn("", symbols, "%s imports from %s by ordinal" % (name, dll))
        exports = readobj("--coff-exports", path)
        self.assertNotIn("Export {", exports, "%s exports something" % name)
        with open(path, "rb") as file:
            data = file.read()
        self.assertNotIn(b"_ZN", data, "a GCC-mangled name in %s" % name)
        self.assertLessEqual(len(data), LIMITS[name], "%s grew past its limit" % name)
        fixed, strings = version_info(path)
        self.assertEqual((fixed, strings.get("FileVersion")), (VERSION, VERSION), name)
        return found

    def test_the_plug_in_imports_the_twelve_host_entries_and_windows_own(self):
        found = self.check_library("Zenthar.dll")
        self.assertEqual(set(found["tessel.dll"]), host_entries())
        self.assertIn("GetTickCount", found["kernel32.dll"])
        self.assertEqual(found["user32.dll"], ["GetAsyncKeyState"])

    def test_the_take_runner_imports_host_entries_and_windows_own_only(self):
        found = self.check_library("ZentharTake.dll")
        self.assertLessEqual(set(found["tessel.dll"]), host_entries())
        self.assertEqual(found["user32.dll"], ["GetAsyncKeyState"])

    def test_every_program_is_large_address_aware(self):
        programs = sorted(name for name in os.listdir(BIN) if name.endswith(".exe"))
        self.assertIn("zenthar-plan.exe", programs)
        for name in programs:
            headers = readobj("--file-headers", self.path(name))
            flags = int(re.search(r"Characteristics \[ \((0x[0-9A-Fa-f]+)\)", headers).group(1), 16)
            self.assertTrue(flags & LARGE_ADDRESS_AWARE, "%s is not large-address-aware" % name)


if __name__ == "__main__":
    BIN, VERSION = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=1)
