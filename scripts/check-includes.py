#!/usr/bin/env python3
"""Fails when an #include of the program runs against the layers of docs/ARCHITECTURE.md.

    scripts/check-includes.py [ROOT]     checks every source of the program under ROOT (the
                                         repository by default); tests/ and bench/ may include
                                         anything

Each folder may include its own headers and those of the folders its row allows; nothing else.
No two folders include each other.
"""
import os
import re
import sys

ROOT = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

CORE = ["doclist", "conversion", "batch", "scanning"]
ENGINES = ["pdfprinter", "office", "web", "helpviewer"]

# What each folder may include besides itself. A platform/<name> folder is "platform".
ALLOWED = {
    "common": [],
    "doclist": ["common"],
    "conversion": ["common", "doclist"],
    "batch": ["common", "doclist", "conversion"],
    "scanning": ["common", "doclist", "conversion"],
    # Adapters implement the core's ports with the system's services, and may use each other.
    "platform": ["common"] + CORE + ["platform"],
    # Engines implement core ports and may use the adapters (processes, files, messages).
    "pdfprinter": ["common", "conversion", "platform"],
    "office": ["common", "conversion", "platform"],
    "web": ["common", "conversion", "platform"],
    "helpviewer": ["common", "platform"],
    "ui": ["common"],
    "app": ["common"] + CORE + ["platform"] + ENGINES + ["ui"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path):
    """The checked folder a repository path belongs to, or None when it is not checked."""
    parts = path.split("/")
    if parts[0] == "platform" and len(parts) > 2:
        return "platform", "platform/" + parts[1]
    if parts[0] in ALLOWED and len(parts) > 1:
        return parts[0], parts[0]
    return None, None


def sources():
    for top in ALLOWED:
        base = os.path.join(ROOT, top)
        for directory, _, files in os.walk(base):
            for name in files:
                if name.endswith((".h", ".cpp", ".hh")):
                    yield os.path.relpath(os.path.join(directory, name), ROOT)


def main():
    faults = []
    edges = {}  # (from folder, to folder) -> first include seen
    for path in sorted(sources()):
        layer, unit = folder_of(path)
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match or "/" not in match.group(1):
                    continue
                included = match.group(1)
                target_layer, target_unit = folder_of(included)
                if target_layer is None or target_unit == unit:
                    continue
                edges.setdefault((unit, target_unit), f"{path}:{number}")
                if target_layer != layer and target_layer not in ALLOWED[layer]:
                    faults.append(f"{path}:{number}: {layer}/ may not include {included}")
    for (a, b), where in sorted(edges.items()):
        if a < b and (b, a) in edges:
            faults.append(f"{a} and {b} include each other ({where}, {edges[(b, a)]})")
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        print(f"includes: {len(faults)} against the layers (docs/ARCHITECTURE.md)", file=sys.stderr)
        return 1
    print("includes: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
