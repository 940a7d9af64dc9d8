#!/usr/bin/env python3
"""Checks the walls between the source folders.

Dependencies point one way: the program (app/) over its controls, the data
layer, the dataset framework and the platform stand-ins. Every source folder
has a rule naming the folders it may include from; a folder may always
include its own files and those of its subfolders, never its parent's unless
the rule says so. The toolkit (Qt) may appear only in the folders that draw.

A folder that has no rule is an error too, so that a new folder states its
place before anything depends on it.

Usage: check_walls.py SOURCE_ROOT    (exit status 1 and one line per breach)
"""
import os
import re
import sys

# The folders every file is checked in, below the source root.
TOP_FOLDERS = ("app", "classify", "data", "export", "framework", "import", "platform", "schema", "tools")

BELOW_APP = ["platform/big5", "platform/sysutils", "platform/automation", "platform/dao", "platform/gui",
             "framework", "schema", "classify", "export", "data"]

# folder -> the other folders it may include from.
RULES = {
    "platform/big5": [],
    "platform/sysutils": [],
    # The client side of a PostgreSQL server: libpq only.
    "platform/postgres": [],
    "platform/automation": ["platform/big5", "platform/sysutils"],
    "platform/dao": ["platform/automation", "platform/big5", "platform/sysutils"],
    # The engine's storage on a PostgreSQL server.
    "platform/dao/server": ["platform/dao", "platform/postgres", "platform/automation", "platform/dao/criteria",
                            "platform/dao/typelib", "platform/big5", "platform/sysutils"],
    # The criteria language stands on its own (its tests and fuzzer build it alone).
    "platform/dao/criteria": ["platform/dao/typelib"],
    # The engine's type library: what a client and the engine agree on.
    "platform/dao/typelib": [],
    "platform/gui": ["platform/big5", "platform/sysutils"],
    "framework": ["platform/big5", "platform/sysutils"],
    "schema": ["platform/dao", "platform/big5", "platform/sysutils"],
    "classify": ["schema", "framework", "platform/big5", "platform/sysutils"],
    "export": ["schema", "framework", "platform/big5", "platform/sysutils"],
    # The data layer reaches the engine through the automation layer only.
    "data": ["framework", "platform/automation", "platform/dao/typelib", "platform/big5", "platform/sysutils"],
    "app/controls": ["framework", "platform/gui", "platform/big5", "platform/sysutils"],
    "app/reference": ["platform/gui", "platform/big5", "platform/sysutils"],
    "app/search": ["schema", "framework", "platform/gui", "platform/big5", "platform/sysutils"],
    "app": BELOW_APP,
    # The Access/Jet importer writes the program's database with the same
    # writer as the builder of the bundled database.
    "import": ["schema", "classify", "platform/dao", "platform/big5", "platform/sysutils", "tools/dbbuild"],
    # The writer of the program's database, shared by the builder and the importer.
    "tools/dbbuild": BELOW_APP,
    "tools": BELOW_APP + ["import"],
    # Copies between a database file and a PostgreSQL server.
    "tools/dbcopy": BELOW_APP + ["import", "platform/postgres", "platform/dao/server", "platform/dao/typelib"],
    "tools/dbcli": BELOW_APP + ["import", "tools/dbbuild", "tools/dbcopy"],
}

# Folders (with their subfolders) in which the toolkit may appear.
QT_FOLDERS = ("app", "platform/gui")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
QT_HEADER = re.compile(r"^(Q[A-Z]\w*|Qt\w*/.*|Qt\w+)$")
QT_IN_CMAKE = re.compile(r"\bQt6?::|\bAUTOMOC\b|find_package\s*\(\s*Qt")
SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc")


def within(path, folder):
    return path == folder or path.startswith(folder + "/")


def folder_of(path, rules):
    """The folder whose rule governs `path` (the longest that contains it), or None."""
    best = None
    for folder in rules:
        if within(path, folder) and (best is None or len(folder) > len(best)):
            best = folder
    return best


def may_include(source, target, rules):
    return source == target or within(target, source) or target in rules[source]


def check(root, rules=RULES, qt_folders=QT_FOLDERS, top_folders=TOP_FOLDERS):
    """Every breach below `root` as one line 'file: what', sorted."""
    breaches = []
    for top in top_folders:
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, top)):
            dirnames.sort()
            for name in sorted(filenames):
                path = os.path.relpath(os.path.join(dirpath, name), root).replace(os.sep, "/")
                breaches += check_file(root, path, rules, qt_folders, top_folders)
    return sorted(breaches)


def check_file(root, path, rules, qt_folders, top_folders):
    is_source = path.endswith(SOURCE_ENDINGS)
    is_cmake = path.endswith("CMakeLists.txt") or path.endswith(".cmake")
    if not (is_source or is_cmake):
        return []
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        text = f.read()
    qt_allowed = any(within(path, q) for q in qt_folders)
    if is_cmake:
        return [] if qt_allowed or not QT_IN_CMAKE.search(text) else [f"{path}: Qt in a Qt-free folder"]
    source = folder_of(path, rules)
    if source is None:
        return [f"{path}: no wall rule for its folder"]
    breaches = []
    for bracket, included in INCLUDE.findall(text):
        if bracket == "<":
            if not qt_allowed and QT_HEADER.match(included):
                breaches.append(f"{path}: Qt in a Qt-free folder (<{included}>)")
            continue
        if "/" not in included or included.split("/")[0] not in top_folders:
            continue  # a neighbour by plain name, or outside the checked tree
        target = folder_of(included, rules)
        if target is None:
            breaches.append(f"{path}: includes {included}, whose folder has no wall rule")
        elif not may_include(source, target, rules):
            breaches.append(f"{path}: includes {included} against the layer direction ({source} -> {target})")
    return breaches


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    breaches = check(argv[1])
    for line in breaches:
        print(line)
    if breaches:
        print(f"{len(breaches)} breach(es) of the walls")
        return 1
    print("walls hold")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
