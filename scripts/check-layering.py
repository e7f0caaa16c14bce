#!/usr/bin/env python3
"""Fails when a source file under src/ includes a header it may not use.

The rules come from two places and must agree:
  - the module table of docs/ARCHITECTURE.md: its order (a module may use only the modules
    listed before it) and its "Uses" column;
  - CMake: what each target links (written by cmake/Layering.cmake at configure time).

usage: check-layering.py SOURCE_DIR TARGETS_FILE
Reads the sources only; it runs right after configuring, before anything is built.
"""

import os
import re
import sys

TABLE_DOC = "docs/ARCHITECTURE.md"
SOURCE_SUFFIXES = (".cpp", ".h")


class Row:
    def __init__(self, index, folder, targets, uses):
        self.index = index
        self.folder = folder  # "src/rating/"
        self.targets = targets  # the targets the row defines, first the main one
        self.uses = uses  # names from the "Uses" column, or None for "everything above"


def read_table(source_dir):
    """The module table: rows in order, from the first table after "## Modules"."""
    path = os.path.join(source_dir, TABLE_DOC)
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith("## Modules"))
    rows, defined = [], set()
    for line in lines[start + 1:]:
        if rows and not line.startswith("|"):
            break
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if len(cells) < 4 or not cells[0].startswith("`"):
            continue
        folder = cells[0].strip("`")
        # The first name is the row's target; later names are targets of the row too unless an
        # earlier row defines them ("in the folder of `forms`").
        names = re.findall(r"`([^`]+)`", cells[1])
        targets = [names[0]] + [n for n in names[1:] if n not in defined]
        defined.update(targets)
        uses_text = cells[-1]
        if "everything above" in uses_text:
            uses = None
        else:
            uses = [u.strip().strip("`") for u in uses_text.split(",") if u.strip()]
        rows.append(Row(len(rows), folder, targets, uses))
    if not rows:
        sys.exit(f"{TABLE_DOC}: no module table found under '## Modules'")
    return rows


def read_targets(path):
    """target -> {"dir": folder, "sources": [...], "link": [...], "interface": [...]}"""
    targets, current = {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            key, _, value = line.rstrip("\n").partition(" ")
            if key == "target":
                current = targets.setdefault(
                    value, {"dir": "", "sources": [], "link": [], "interface": []})
            elif key == "dir":
                current["dir"] = value
            elif key in ("source", "link", "interface"):
                current["sources" if key == "source" else key].append(value)
    return targets


def link_closure(name, targets):
    """Everything a target's code may include by CMake: what it links, and what those pass on."""
    seen, todo = set(), list(targets[name]["link"])
    while todo:
        lib = todo.pop()
        if lib in seen:
            continue
        seen.add(lib)
        if lib in targets:
            todo.extend(targets[lib]["interface"])
    return seen


INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    source_dir = os.path.abspath(sys.argv[1])
    src = os.path.join(source_dir, "src") + os.sep
    rows = read_table(source_dir)
    targets = read_targets(sys.argv[2])
    row_of = {t: row for row in rows for t in row.targets}
    faults = []

    # Which target a file belongs to: the one that compiles it, or for a header the one that
    # compiles its .cpp, else the first row of its folder.
    owner = {}
    for name, facts in targets.items():
        for source in facts["sources"]:
            owner[os.path.normpath(source)] = name
    rows_of_folder = {}
    for row in rows:
        rows_of_folder.setdefault(row.folder, []).append(row)

    def folder_of(path):
        return os.path.relpath(os.path.dirname(path), source_dir) + "/"

    def owner_of(path):
        if path in owner:
            return owner[path]
        stem = os.path.splitext(path)[0]
        for suffix in (".cpp", ".c"):
            if stem + suffix in owner:
                return owner[stem + suffix]
        folder_rows = rows_of_folder.get(folder_of(path))
        return folder_rows[0].targets[0] if folder_rows else None

    # Every module CMake builds under src/ is in the table, and links only what the table lets
    # it use.
    for name, facts in sorted(targets.items()):
        if not facts["dir"].startswith(src):
            continue
        row = row_of.get(name)
        folder = os.path.relpath(facts["dir"], source_dir) + "/"
        # Qt's resource compiler adds object libraries of its own beside a module.
        if row is None and re.fullmatch(r"\w+_resources_\d+", name):
            continue
        if row is None:
            faults.append(f"{folder}: CMake builds target {name}, which the module table in "
                          f"{TABLE_DOC} does not list")
            continue
        for lib in facts["link"]:
            if lib in row_of and not may_use(row, row_of[lib], name, lib, rows):
                faults.append(f"{folder}CMakeLists.txt: target {name} links {lib}, but "
                              f"{describe_uses(row, rows)}")

    for dirpath, _, files in os.walk(src):
        for file_name in sorted(files):
            if not file_name.endswith(SOURCE_SUFFIXES):
                continue
            path = os.path.normpath(os.path.join(dirpath, file_name))
            module = owner_of(path)
            shown = os.path.relpath(path, source_dir)
            if module is None:
                faults.append(f"{shown}: its folder is in no row of the module table in "
                              f"{TABLE_DOC}")
                continue
            row = row_of.get(module)
            linked = link_closure(module, targets) if module in targets else set()
            qt = any(lib.startswith("Qt6::") for lib in linked)
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    kind, header = match.groups()
                    close = ">" if kind == "<" else '"'
                    where = f"{shown}:{number}: #include {kind}{header}{close}"
                    if kind == "<":
                        if re.match(r"Q[A-Za-z]*(/|$)|Qt", header) and not qt:
                            faults.append(f"{where}: {module} is headless (its CMake target "
                                          f"links no Qt library)")
                        continue
                    found = None
                    for base in (os.path.dirname(path), src.rstrip(os.sep)):
                        candidate = os.path.normpath(os.path.join(base, header))
                        if os.path.isfile(candidate):
                            found = candidate
                            break
                    if found is None or not found.startswith(src):
                        continue  # generated or outside the modules
                    used = owner_of(found)
                    if used is None or used == module:
                        continue
                    used_row = row_of.get(used)
                    if row is None or used_row is None:
                        continue
                    if used_row.index > row.index:
                        faults.append(f"{where}: {module} may not include {used}, which is "
                                      f"built on top of it ({TABLE_DOC} lists {used} after "
                                      f"{module})")
                    elif not may_use(row, used_row, module, used, rows):
                        faults.append(f"{where}: {module} may not include {used}: "
                                      f"{describe_uses(row, rows)}")
                    elif module in targets and used in targets and used not in linked:
                        faults.append(f"{where}: the CMake target {module} does not link "
                                      f"{used}")

    for fault in faults:
        print(fault)
    if faults:
        print(f"\n{len(faults)} include(s) or link(s) break the module table of {TABLE_DOC}; "
              "a module uses only the modules listed before it, and only those its row names.")
        return 1
    print(f"layering: {len(rows)} modules, every include under src/ follows {TABLE_DOC}")
    return 0


def may_use(row, used_row, name, used, rows):
    if used_row is row:
        return True
    if used_row.index > row.index:
        return False
    if row.uses is None:  # everything above
        return True
    return used in row.uses


def describe_uses(row, rows):
    if row.uses is None:
        return "sits after it in the module table"
    listed = ", ".join(u for u in row.uses if u != "std") or "no other module"
    return f"the module table lets {row.targets[0]} use {listed} only"


if __name__ == "__main__":
    sys.exit(main())
