#!/usr/bin/env python3
"""Checks the library's seam with the host in its dynamic section.

A real host provides the HX_ symbols in its own process, so the library must
leave them undefined: it may not list the headless host (libvexahost) as
needed, may not carry a run path into the build tree (a host would then load
a second provider of the same symbols from there), and may not define any
HX_ symbol itself.

usage: check_host_seam.py LIBRARY BUILD_DIR [--pretend-needed NAME]
--pretend-needed adds a NEEDED entry, so the suite can prove the check fails.
"""
import argparse
import re
import subprocess
import sys


def dynamic_section(library):
    out = subprocess.run(["readelf", "-d", library], check=True, capture_output=True, text=True).stdout
    needed = re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", out)
    paths = re.findall(r"\((?:RUNPATH|RPATH)\)\s+Library (?:runpath|rpath): \[([^\]]*)\]", out)
    return needed, [p for entry in paths for p in entry.split(":") if p]


def defined_host_symbols(library):
    out = subprocess.run(["nm", "-D", "--defined-only", library], check=True,
                         capture_output=True, text=True).stdout
    return sorted(parts[2] for parts in (line.split() for line in out.splitlines())
                  if len(parts) == 3 and parts[2].startswith("HX_"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("library")
    parser.add_argument("build_dir")
    parser.add_argument("--pretend-needed", action="append", default=[])
    args = parser.parse_args()

    needed, run_paths = dynamic_section(args.library)
    needed += args.pretend_needed
    faults = [f"needs the headless host: {n}" for n in needed if "vexahost" in n]
    faults += [f"run path into the build tree: {p}" for p in run_paths if p.startswith(args.build_dir)]
    faults += [f"defines the host symbol {s}" for s in defined_host_symbols(args.library)]
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print(f"needs {', '.join(needed)}; no headless host, no build-tree run path, no HX_ definitions")
    return 0


if __name__ == "__main__":
    sys.exit(main())
