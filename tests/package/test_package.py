#!/usr/bin/env python3
"""The release archive as a player gets it. Run after scripts/package:

    tests/package/test_package.py ARCHIVE [AGAIN]

AGAIN is the same archive packaged once more from clean build folders; the two must be the same
bytes. The Windows programs run under wine; with ZENTHAR_NO_32BIT=1 (a machine that runs no
32-bit programs) those tests are skipped, and the rest read the files without running them.
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
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
import archive  # noqa: E402
from pe_version import version_info  # noqa: E402

ARCHIVE = AGAIN = None


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as file:
        return re.search(r"project\(Zenthar VERSION ([0-9.]+)", file.read()).group(1)


RUNS_32BIT = os.environ.get("ZENTHAR_NO_32BIT", "0") != "1"
needs_wine = unittest.skipUnless(RUNS_32BIT, "this machine runs no 32-bit programs")


def wine(args, cwd):
    env = dict(os.environ, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    return subprocess.run(["wine"] + args, cwd=cwd, env=env, capture_output=True, text=True,
                          timeout=600, check=False)


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

    @needs_wine
    def test_the_tools_say_their_version(self):
        for tool in ("zenthar-sim", "zenthar-plan"):
            run = wine(["tools/%s.exe" % tool, "--version"], self.unpacked)
            self.assertEqual(run.stdout.strip(), "%s %s" % (tool, project_version()), run.stderr)

    def test_every_program_is_large_address_aware(self):
        # They are 32-bit processes; the largest film's take needs more than 2 GB may give.
        for name in self.names:
            if name.endswith(".exe"):
                data = self.read(name)
                pe = struct.unpack_from("<I", data, 0x3C)[0]
                characteristics = struct.unpack_from("<H", data, pe + 22)[0]
                self.assertTrue(characteristics & 0x20, "%s is not large-address-aware" % name)

    @needs_wine
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

    @needs_wine
    def test_the_planner_writes_a_desk_from_the_one_at_the_top(self):
        run = wine(["tools/zenthar-plan.exe", "examples/demo.shots", "--quiet", "--desk",
                    "demo-desk.html"], self.unpacked)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        with open(os.path.join(self.unpacked, "demo-desk.html"), encoding="utf-8") as file:
            page = file.read()
        self.assertIn('id="shots-preset">{"file":"demo.shots","text":"# The demo film', page)
        os.remove(os.path.join(self.unpacked, "demo-desk.html"))

    @needs_wine
    def test_the_planner_verifies_the_demo_and_its_take(self):
        run = wine(["tools/zenthar-plan.exe", "examples/demo.shots", "--take", "demo.take"],
                   self.unpacked)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertIn("take verified: the film matches the shot list", run.stdout)


if __name__ == "__main__":
    ARCHIVE = sys.argv[1]
    AGAIN = sys.argv[2] if len(sys.argv) > 2 else None
    unittest.main(argv=sys.argv[:1], verbosity=1)
