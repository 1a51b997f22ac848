#!/usr/bin/env python3
"""Makes a module's LLVM code, its sources and src/runtime/linked_start.cpp joined by llvm-link,
into a module linked into a program as a DLL is loaded into one (cmake/LinkedModule.cmake):

  linked_module.py NAME LLVM_DIS LLVM_AS IN.bc OUT.bc

- the static initializers the compiler listed for the program's start-up become the body of the
  start-up's zenthar_module_initializers, in the same order, so that they run when the module
  loads;
- the start-up's entry and image get the module's names, NAME_entry and NAME_image, the two
  symbols the module shows the program (opt's internalize then makes every other one its own).

Exit 1 with the reason when the code is not as expected.
"""
import re
import subprocess
import sys

CTORS = re.compile(r"^@llvm\.global_ctors = appending global \[\d+ x [^\]]*\] \[(.*)\]\n", re.M)
# { i32 65535, void ()* @_GLOBAL__sub_I_entry.cpp, i8* null }
ENTRY = re.compile(r"i32 (\d+), void \(\)\* (@[-\w.$]+|@\"[^\"]+\")")
DECLARED = re.compile(r"^declare void @zenthar_module_initializers\(\)[^\n]*\n", re.M)


def transform(name, text):
    """The module's code with its initializers moved and its two public names given."""
    if not DECLARED.search(text):
        sys.exit("linked_module.py: %s has no start-up (src/runtime/linked_start.cpp)" % name)
    initializers = []
    match = CTORS.search(text)
    if match:
        entries = ENTRY.findall(match.group(1))
        # Stable: equal priorities keep the order the compiler gave them.
        initializers = [function for _, function in sorted(entries, key=lambda e: int(e[0]))]
        text = text[:match.start()] + text[match.end():]
    text = DECLARED.sub("", text)
    body = "".join("  call void %s()\n" % function for function in initializers)
    text += "\ndefine void @zenthar_module_initializers() {\n%s  ret void\n}\n" % body
    for symbol in ("entry", "image"):
        text = re.sub(r"@zenthar_module_%s\b" % symbol, "@%s_%s" % (name, symbol), text)
    return text


def main():
    if len(sys.argv) != 6:
        sys.exit("usage: linked_module.py NAME LLVM_DIS LLVM_AS IN.bc OUT.bc")
    name, llvm_dis, llvm_as, source, target = sys.argv[1:]
    text = subprocess.run([llvm_dis, source, "-o", "-"], check=True, capture_output=True,
                          text=True).stdout
    subprocess.run([llvm_as, "-o", target], input=transform(name, text), check=True, text=True)


if __name__ == "__main__":
    main()
