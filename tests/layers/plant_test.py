#!/usr/bin/env python3
"""scripts/layers on a copy of src/ with one include planted at a time: each include that runs the
wrong way is found, on its line, and the copy without one is clean.

  tests/layers/plant_test.py
"""
import os
import shutil
import subprocess
import sys
import tempfile

TOP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
LAYERS = os.path.join(TOP, "scripts", "layers")

# The file, the include planted at its end, and the finding expected.
PLANTS = [
    # The host constructing the plug-in's thread object itself.
    ("src/tessel/loader_static.cpp", '#include "host/custom_thread.h"',
     'tessel includes "host/custom_thread.h" from plugin'),
    ("src/tessel/tessel.cpp", '#include "take/runner.h"', 'tessel includes "take/runner.h" from take'),
    # The same, written with angle brackets.
    ("src/tessel/registry.cpp", "#include <host/custom_thread.h>",
     'tessel includes "host/custom_thread.h" from plugin'),
    # A DLL reaching into the host's own controls.
    ("src/take/runner.cpp", '#include "tessel/host.h"', 'take includes "tessel/host.h" from tessel'),
    ("src/plugin/host/entry.cpp", '#include "tessel/thread_abi.h"',
     'plugin includes "tessel/thread_abi.h" from tessel'),
    ("src/plugin/scene/scene.cpp", '#include "world/world.h"',
     'plugin includes "world/world.h" from world'),
    ("src/runtime/dll_start.cpp", '#include "director/director.h"',
     'runtime includes "director/director.h" from plugin'),
    ("src/world/world.cpp", '#include "rehearsal/film.h"',
     'world includes "rehearsal/film.h" from rehearsal'),
]


def run(tree):
    result = subprocess.run([sys.executable, LAYERS, tree], capture_output=True, text=True)
    return result.returncode, result.stdout


def main():
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        tree = os.path.join(scratch, "tree")
        shutil.copytree(os.path.join(TOP, "src"), os.path.join(tree, "src"))
        code, out = run(tree)
        if code != 0:
            failures.append("the copy as it is: expected clean, got:\n" + out)
        for file, include, finding in PLANTS:
            path = os.path.join(tree, file)
            original = open(path, encoding="utf-8").read()
            lines = original.count("\n") + 1
            with open(path, "a", encoding="utf-8") as f:
                f.write(include + "\n")
            code, out = run(tree)
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
            expected = "%s:%d: %s" % (file, lines, finding)
            if code != 1 or expected not in out:
                failures.append("%s in %s: expected exit 1 and\n  %s\ngot exit %d and\n  %s" %
                                (include, file, expected, code, out.strip()))
    for failure in failures:
        print("FAILED " + failure)
    print("layers planted: %d of %d found" % (len(PLANTS) + 1 - len(failures), len(PLANTS) + 1))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
