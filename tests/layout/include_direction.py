#!/usr/bin/env python3
"""Fails when a source folder includes from a folder above it in the layer order."""
import pathlib
import re
import sys

# Each folder and the folders it may include from (itself always allowed).
ALLOWED = {
    "platform": set(),
    "companion": {"platform"},
    "store": {"platform"},
    "engine": {"platform", "store", "companion"},
    "schedule": {"platform", "store", "engine"},
    "widgets": {"platform"},
    "desktop": {"platform", "store", "widgets"},
    "ui": {"platform", "store", "engine", "schedule", "widgets", "desktop"},
}
# The companion program shares only its handshake with the engine.
SHARED_FROM_COMPANION = {"companion/CompanionProtocol.h"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def main(source_root: pathlib.Path) -> int:
    faults = []
    for path in sorted(source_root.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.relative_to(source_root).parts[0]
        if folder not in ALLOWED:
            faults.append(f"{path}: folder '{folder}' has no place in the layer order")
            continue
        for included in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if "/" not in included:
                continue  # a file of the same folder
            used = included.split("/", 1)[0]
            if used == folder:
                continue
            if used not in ALLOWED[folder]:
                faults.append(f"{path}: includes \"{included}\" from above or beside its layer")
            elif used == "companion" and included not in SHARED_FROM_COMPANION:
                faults.append(f"{path}: includes \"{included}\", not the companion's shared header")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1])))
