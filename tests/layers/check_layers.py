#!/usr/bin/env python3
"""Fails when a file of the editor includes a header of a layer above its own.

Usage: check_layers.py EDITOR_DIR. The layers are listed in EDITOR_DIR/layers."""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def read_layers(editor):
    layers = []  # (rank, name, [entries])
    for line in (editor / "layers").read_text().splitlines():
        words = line.split("#", 1)[0].split()
        if words:
            layers.append((len(layers), words[0], words[1:]))
    return layers


def layer_of(path, layers):
    """The layer of a path relative to the editor: a file named exactly wins over a folder."""
    for rank, name, entries in layers:
        if path in entries:
            return rank, name
    best = None
    for rank, name, entries in layers:
        for entry in entries:
            if entry.endswith("/") and path.startswith(entry):
                if best is None or len(entry) > best[2]:
                    best = (rank, name, len(entry))
    return (best[0], best[1]) if best else None


def main():
    editor = pathlib.Path(sys.argv[1]).resolve()
    layers = read_layers(editor)
    faults = []
    checked = 0
    for source in sorted(editor.rglob("*")):
        if source.suffix not in (".h", ".cpp"):
            continue
        name = source.relative_to(editor).as_posix()
        own = layer_of(name, layers)
        if own is None:
            faults.append(f"{name}: in no layer of editor/layers")
            continue
        checked += 1
        for header in INCLUDE.findall(source.read_text(errors="replace")):
            target = layer_of(header, layers)
            if target is None:
                faults.append(f"{name}: includes {header}, which is in no layer")
            elif target[0] > own[0]:
                faults.append(f"{name} ({own[1]}) includes {header} ({target[1]})")
    for fault in faults:
        print(fault)
    print(f"{checked} files checked, {len(faults)} includes against the layers")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
