#!/usr/bin/env python3
"""Checks that every exported function of the library holds its C boundary:
its definition is noexcept and its body runs through cvstv::guarded (or
guarded_void), which turns an escaping exception into the function's failure
status.

usage: check_boundary.py SOURCE_DIR [--pretend-unguarded NAME]
--pretend-unguarded treats one function as if it lacked the guard, so the
suite can prove the check fails.
"""
import argparse
import pathlib
import re
import sys

DEFINITION = re.compile(r"^CVSTV_API\s[^;{]*?\b([A-Za-z_]\w*)\s*\(([^;{]*?)\)\s*(noexcept)?\s*\{", re.M | re.S)


def body_of(text, open_brace):
    depth = 0
    for i in range(open_brace, len(text)):
        if text[i] == "{":
            depth += 1
        elif text[i] == "}":
            depth -= 1
            if depth == 0:
                return text[open_brace:i]
    return text[open_brace:]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source_dir")
    parser.add_argument("--pretend-unguarded", action="append", default=[])
    args = parser.parse_args()

    faults = []
    count = 0
    for source in sorted(pathlib.Path(args.source_dir).rglob("*.cpp")):
        text = source.read_text(encoding="utf-8", errors="replace")
        for m in DEFINITION.finditer(text):
            name = m.group(1)
            count += 1
            where = f"{source.relative_to(args.source_dir)}: {name}"
            if not m.group(3):
                faults.append(f"{where} is not noexcept")
            body = body_of(text, m.end() - 1)
            if "cvstv::guarded" not in body or name in args.pretend_unguarded:
                faults.append(f"{where} does not run through cvstv::guarded")
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print(f"{count} exported functions are noexcept and guarded")
    return 0


if __name__ == "__main__":
    sys.exit(main())
