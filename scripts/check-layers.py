#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer it may not use.

The layers and the edges between them are the table in cmake/layers.txt, which the build
links by too. Each folder may include headers of its own folder and of the layers its row
names. Tests, benchmarks, fuzz targets and desktop tools may include anything.

Usage: scripts/check-layers.py [SOURCE_ROOT]
"""
import pathlib
import re
import sys


def read_layers(root):
    """Layer -> the layers it may include besides itself, from cmake/layers.txt."""
    allowed = {}
    for line in (root / "cmake" / "layers.txt").read_text().splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        layer, _, below = line.partition(":")
        allowed[layer.strip()] = set(below.split())
    return allowed


INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def violations(root):
    allowed = read_layers(root)

    def layer_of(relative_path):
        """The layer a project path belongs to; None for folders outside the layers."""
        top = relative_path.split("/", 1)[0]
        return top if top in allowed else None

    for path in sorted(root.rglob("*")):
        if path.suffix not in (".h", ".cpp") or not path.is_file():
            continue
        source = path.relative_to(root).as_posix()
        if source.startswith(("build", ".")):
            continue
        layer = layer_of(source)
        if layer is None:
            continue
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            target = layer_of(match.group(1))
            if target is None or target == layer or target in allowed[layer]:
                continue
            yield f"{source}:{number}: {layer} may not include {match.group(1)} ({target})"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent).resolve()
    found = list(violations(root))
    for line in found:
        print(line)
    if found:
        print(f"{len(found)} include(s) run against the layers", file=sys.stderr)
        return 1
    print("layers: every include runs downward")
    return 0


if __name__ == "__main__":
    sys.exit(main())
