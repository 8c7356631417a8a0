#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer it may not use.

The layers call one way: platform -> stream -> bridge -> movies -> player/playlist/dialogs
-> app. Each folder below may include headers of its own folder and of the folders listed
for it; the settings file in app/ is a room of its own that the windows reach by name.
Tests, benchmarks, fuzz targets and desktop tools may include anything.

Usage: scripts/check-layers.py [SOURCE_ROOT]
"""
import pathlib
import re
import sys

# The settings file: a part of app/ that lies below the windows.
SETTINGS = {"app/CSettingFile.h", "app/IniFile.h"}

# Layer -> the layers it may include besides itself.
ALLOWED = {
    "platform": set(),
    "stream": set(),
    "res": set(),
    "settings": {"platform"},
    "bridge": {"platform", "res"},
    "movies": {"bridge", "stream", "platform", "res"},
    "playlist": {"movies", "bridge", "platform", "res"},
    "dialogs": {"settings", "movies", "bridge", "platform", "res"},
    "player": {"playlist", "dialogs", "settings", "movies", "bridge", "platform", "res"},
    "app": {"player", "playlist", "dialogs", "settings", "movies", "bridge", "stream", "platform", "res"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(relative_path):
    """The layer a project path belongs to; None for folders outside the layers."""
    if relative_path in SETTINGS or relative_path.replace(".cpp", ".h") in SETTINGS:
        return "settings"
    top = relative_path.split("/", 1)[0]
    return top if top in ALLOWED else None


def violations(root):
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
            if target is None or target == layer or target in ALLOWED[layer]:
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
