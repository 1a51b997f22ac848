#!/usr/bin/env python3
"""The release archive as a player gets it. Run after scripts/package:

    tests/package/test_package.py ARCHIVE [AGAIN]

AGAIN is the same archive packaged once more from clean build folders; the two must be the same
bytes. The Windows programs run under wine.
"""
import filecmp
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "release"))
import archive  # noqa: E402

ARCHIVE = AGAIN = None


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as file:
        return re.search(r"project\(Zenthar VERSION ([0-9.]+)", file.read()).group(1)


def wine(args, cwd):
    env = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    return subprocess.run(["wine"] + args, cwd=cwd, env=env, capture_output=True, text=True,
                          timeout=600, check=False)


def version_info(path):
    """The fixed file version and the strings of a PE file's VERSIONINFO resource."""
    with open(path, "rb") as file:
        data = file.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    directories = optional + (96 if struct.unpack_from("<H", data, optional)[0] == 0x10B else 112)
    resources = struct.unpack_from("<I", data, directories + 2 * 8)[0]

    def offset(rva):
        for i in range(sections):
            size, address, raw_size, raw = struct.unpack_from("<4I", data,
                                                              optional + optional_size + 40 * i + 8)
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise AssertionError("%s: no section holds the resources" % path)

    base = offset(resources)

    def entries(directory):
        count = sum(struct.unpack_from("<HH", data, base + directory + 12))
        return [struct.unpack_from("<II", data, base + directory + 16 + 8 * i) for i in range(count)]

    node = dict(entries(0)).get(16)  # RT_VERSION
    if node is None:
        raise AssertionError("%s has no VERSIONINFO" % path)
    for _ in range(2):  # its name, then its language
        node = entries(node & 0x7FFFFFFF)[0][1]
    rva, size = struct.unpack_from("<II", data, base + node)
    blob = data[offset(rva):offset(rva) + size]
    fixed = blob.index(struct.pack("<I", 0xFEEF04BD))
    high, low = struct.unpack_from("<II", blob, fixed + 8)
    strings = dict(re.findall(r"(\w+)\0+([^\0]+)\0", blob.decode("utf-16-le", "replace")))
    return "%d.%d.%d" % (high >> 16, high & 0xFFFF, low >> 16), strings


class ReleaseArchive(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="zenthar-package-")
        cls.unpacked = os.path.join(cls.folder, "unpacked")
        with zipfile.ZipFile(ARCHIVE) as zip_file:
            cls.names = zip_file.namelist()
            zip_file.extractall(cls.unpacked)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def read(self, name):
        with open(os.path.join(self.unpacked, name), "rb") as file:
            return file.read()

    def test_holds_the_listed_members_and_never_a_host_library_at_its_top(self):
        self.assertEqual(self.names, [name for name, _ in archive.members()])
        self.assertNotIn("tessel.dll", [name.lower() for name in self.names if "/" not in name])

    def test_packaging_again_gives_the_same_bytes(self):
        if AGAIN is None:
            self.skipTest("no second archive given")
        self.assertTrue(filecmp.cmp(ARCHIVE, AGAIN, shallow=False), "%s differs" % AGAIN)

    def test_no_member_holds_a_folder_of_the_build(self):
        for name in self.names:
            data = self.read(name)
            for path in (ROOT.encode(), ROOT.encode("utf-16-le")):
                self.assertNotIn(path, data, name)

    def test_players_text_files_are_filled_in_with_windows_line_ends(self):
        for name in ("README.txt", "ped.ini", "take.ini"):
            text = self.read(name)
            self.assertEqual(text.count(b"\n"), text.count(b"\r\n"), name)
            self.assertNotRegex(text, rb"@[A-Z]+@", name)
        self.assertIn(b"Zenthar " + project_version().encode(), self.read("README.txt"))

    def test_every_program_and_library_carries_the_version_and_the_tools_say_it(self):
        version = project_version()
        self.assertEqual(os.path.basename(ARCHIVE), "zenthar-%s-win32.zip" % version)
        for name in self.names:
            if name.endswith((".dll", ".exe")):
                fixed, strings = version_info(os.path.join(self.unpacked, name))
                self.assertEqual(fixed, version, name)
                self.assertEqual(strings.get("FileVersion"), version, name)
                self.assertEqual(strings.get("ProductVersion"), version, name)
                self.assertEqual(strings.get("ProductName"), "Zenthar", name)
                self.assertTrue(strings.get("FileDescription"), name)
        for tool in ("zenthar-sim", "zenthar-plan"):
            run = wine(["tools/%s.exe" % tool, "--version"], self.unpacked)
            self.assertEqual(run.stdout.strip(), "%s %s" % (tool, version), run.stderr)

    def test_unpacked_into_a_game_folder_the_demo_and_its_take_rehearse_with_its_libraries(self):
        # The game's folder holds its own host; a copy of the rehearsal tool at its top plays the
        # game, so that the host and the plug-in both load from there.
        game = os.path.join(self.folder, "game")
        os.makedirs(game)
        host = self.read("tools/Tessel.dll")
        with open(os.path.join(game, "Tessel.dll"), "wb") as file:
            file.write(host + b"the game's own")
        with zipfile.ZipFile(ARCHIVE) as zip_file:
            zip_file.extractall(game)
        with open(os.path.join(game, "Tessel.dll"), "rb") as file:
            self.assertTrue(file.read() == host + b"the game's own", "the archive replaced the host")
        shutil.copy(os.path.join(game, "tools", "zenthar-sim.exe"), os.path.join(game, "game.exe"))
        run = wine(["game.exe", "examples/demo.film", "--quiet", "--check", "--trace", "demo.jsonl"],
                   game)
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(os.path.join(game, "demo.jsonl"), encoding="utf-8") as file:
            trace = file.read()
        with open(os.path.join(ROOT, "tests", "golden", "demo.trace.jsonl"), encoding="utf-8") as file:
            self.assertEqual(trace, file.read())
        # The take runner beside the plug-in at the top: the demo's take is performed and verified.
        shutil.copy(os.path.join(game, "tools", "zenthar-plan.exe"), os.path.join(game, "plan.exe"))
        run = wine(["plan.exe", "examples/demo.shots", "--take", "demo.take"], game)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertIn("take verified: the film matches the shot list", run.stdout)

    def test_the_desk_is_one_page_that_needs_nothing_from_elsewhere(self):
        page = self.read("desk.html").decode("utf-8")
        self.assertIn("createZentharEngine", page)
        self.assertIn("/*ZENTHAR_SHOTS*/", page)
        self.assertIsNone(re.search(r"""(src|href)\s*=\s*["']?(https?:|//)""", page, re.I))
        self.assertNotIn("@import", page)

    def test_the_planner_writes_a_desk_from_the_one_at_the_top(self):
        run = wine(["tools/zenthar-plan.exe", "examples/demo.shots", "--quiet", "--desk",
                    "demo-desk.html"], self.unpacked)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        with open(os.path.join(self.unpacked, "demo-desk.html"), encoding="utf-8") as file:
            page = file.read()
        self.assertIn('id="shots-preset">{"file":"demo.shots","text":"# The demo film', page)
        os.remove(os.path.join(self.unpacked, "demo-desk.html"))

    def test_the_planner_verifies_the_demo_and_its_take(self):
        run = wine(["tools/zenthar-plan.exe", "examples/demo.shots", "--take", "demo.take"],
                   self.unpacked)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertIn("take verified: the film matches the shot list", run.stdout)


if __name__ == "__main__":
    ARCHIVE = sys.argv[1]
    AGAIN = sys.argv[2] if len(sys.argv) > 2 else None
    unittest.main(argv=sys.argv[:1], verbosity=1)
