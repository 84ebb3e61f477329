#!/usr/bin/env python3
"""Checks that the source folders include each other one way only.

The layers, lowest first; a folder may include its own files and those of any folder of a lower
layer, never one of its own layer or above. The engine (everything below view/ and cli/) includes
no Qt header. Prints every include that breaks the order, with its file and line, and exits 1 when
there is one.

Usage: scripts/check_layers.py [ROOT]
"""
import pathlib
import re
import sys

LAYERS = [
    ["base"],           # code pages, dates and their texts, platform calls, folder names, phrase matching
    ["requisites"],     # a document's requisites, the pairs a text cites, their agreement
    ["seam"],           # what the engine asks of a person or the window
    ["storage"],        # archives, atomic files, the dictionaries, the shared data folder's files
    ["core"],           # the text model, tag lines, anchors, candidates, the reference maker base
    ["orvo", "local"],  # the two bases' makers, never each other
    ["document"],       # the document controller, the tag editor, settings, the data folder rule
    ["view", "cli"],    # the line view (Qt); the command-line tool
    ["shell"],          # the window, its dialogs, the Qt side of the seam
    ["app"],            # the desktop program's main
]
# Folders whose files may include no Qt header.
ENGINE = {"base", "requisites", "seam", "storage", "core", "orvo", "local", "document", "cli"}

LAYER_OF = {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}
LOCAL_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SYSTEM_INCLUDE = re.compile(r"^\s*#\s*include\s+<(Q[A-Za-z]*|Qt[A-Za-z]*/[^>]*)>")


def check(root):
    problems = []
    for folder, rank in LAYER_OF.items():
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            name = path.relative_to(root).as_posix()
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                where = f"{name}:{number}"
                if folder in ENGINE and SYSTEM_INCLUDE.match(line):
                    problems.append(f"{where}: {folder}/ is engine code and may not include Qt ({line.strip()})")
                match = LOCAL_INCLUDE.match(line)
                if not match or "/" not in match.group(1):
                    continue
                included = match.group(1).split("/")[0]
                if included == folder:
                    continue
                if included not in LAYER_OF:
                    problems.append(f"{where}: includes {match.group(1)} from {included}/, which is in no layer")
                elif LAYER_OF[included] >= rank:
                    problems.append(f"{where}: {folder}/ may not include {match.group(1)} "
                                    f"({included}/ is not below {folder}/)")
    return problems


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    problems = check(root)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) break the layers (see docs/ARCHITECTURE.md)", file=sys.stderr)
        return 1
    print("The folders include each other one way: " + " < ".join("|".join(f) for f in LAYERS))
    return 0


if __name__ == "__main__":
    sys.exit(main())
