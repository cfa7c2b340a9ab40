#!/usr/bin/env python3
"""Compares the dynamic symbol table of the shared library with the names
the public headers declare with CVSTV_API.

Fails when a declared function is not exported (missing) or when the library
exports a name no header declares (an internal function leaking out).

usage: check_exports.py LIBRARY INCLUDE_DIR [--pretend-declared NAME] [--pretend-undeclared NAME]
The two --pretend options let the suite prove that the check catches both
faults.
"""
import argparse
import pathlib
import re
import subprocess
import sys

DECLARATION = re.compile(r"\bCVSTV_API\s+[^;(]*?\b([A-Za-z_]\w*)\s*\(", re.S)
COMMENT = re.compile(r"/\*.*?\*/|//[^\n]*", re.S)
# Preprocessor lines (with their continuations), such as the definition of
# CVSTV_API itself.
DIRECTIVE = re.compile(r"^[ \t]*#(?:[^\n]*\\\n)*[^\n]*", re.M)


def declared_names(include_dir):
    names = set()
    for header in sorted(pathlib.Path(include_dir).rglob("*.h")):
        text = COMMENT.sub(" ", header.read_text(encoding="utf-8", errors="replace"))
        text = DIRECTIVE.sub(" ", text)
        names.update(DECLARATION.findall(text))
    return names


def exported_names(library):
    # Demangled, so that the few functions with C++ linkage (those taking a
    # host C++ object) compare by their plain names.
    out = subprocess.run(["nm", "-D", "--defined-only", "--demangle", library], check=True,
                         capture_output=True, text=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split(maxsplit=2)
        if len(parts) == 3 and parts[1] in "TDBRVWi":
            names.add(parts[2].split("(")[0].split("@")[0].strip())
    # Names every shared object may carry.
    return names - {"_init", "_fini", "_edata", "_end", "__bss_start"}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("library")
    parser.add_argument("include_dir")
    parser.add_argument("--pretend-declared", action="append", default=[])
    parser.add_argument("--pretend-undeclared", action="append", default=[])
    args = parser.parse_args()

    declared = (declared_names(args.include_dir) | set(args.pretend_declared)) - set(args.pretend_undeclared)
    exported = exported_names(args.library)
    missing = sorted(declared - exported)
    leaked = sorted(exported - declared)
    for name in missing:
        print(f"declared but not exported: {name}")
    for name in leaked:
        print(f"exported but not declared: {name}")
    if missing or leaked:
        return 1
    print(f"{len(declared)} exported functions match the public headers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
