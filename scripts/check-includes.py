#!/usr/bin/env python3
"""Checks that includes point down the layers and that Win32 stays in its place.

Layers, from the ground up: base and port (side by side), params, link,
measure, win (with res). A file may include its own folder and the layers
below it, never one above or beside. The programs (cli, sim) and the tests
sit on top of what they use: cli and sim never include win, the tests of a
layer never include a layer above it. Every file that includes <windows.h>
ends in _win.cpp or _win.h and lives in win/, port/, the Windows half of a
program (cli/) or the Windows tests.

Within link/ and win/ the files form units: x.cpp with its header x.h. A
unit uses another when one of its files includes the other's header, and no
unit may come back to itself that way (no circle of includes inside the
folder). So that the includes show every call, each header there declares
only functions that its own .cpp defines (or x_win.cpp and x_posix.cpp, one
for each platform; a header without a .cpp declares none, but for the seams
the front ends implement), and a .cpp declares no function that it does not
define itself. A call that goes up is made through a function pointer or
hook that the caller above hands down.
Exit status 1 with one line per offence.
"""
import os
import re
import sys

RANK = {"base": 0, "port": 0, "params": 1, "link": 2, "measure": 3, "win": 4, "res": 4}
# What each program folder may include at most.
PROGRAM_CEILING = {"cli": 3, "sim": 2}
SOURCE = (".cpp", ".h")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
# Headers whose functions are defined by the front ends and the test doubles,
# chosen at link time: base/ui.h (message boxes, file dialogs), link/busy.h
# (the busy window), port/port.h and base/ticks.h (serial port, clock).
SEAMS = {"base/ui.h", "base/ticks.h", "link/busy.h", "port/port.h"}
# The folders held to the unit rules.
UNIT_FOLDERS = ("link", "win")
WINDOWS_PLACES = ("win/", "port/", "cli/", "tests/win/", "tests/bench/", "tests/soak/", "tests/base/", "tests/cli/", "tests/package/")


def allowed(path, target):
    parts = path.split("/")
    folder = parts[0]
    tfolder = target.split("/")[0]
    if "/" not in target:
        return folder == "res" or path.startswith("res/")  # the resource script's own headers
    if folder in RANK:
        if tfolder not in RANK:
            return False
        if tfolder == folder or (folder == "win" and tfolder == "res") or (folder == "res" and tfolder == "win"):
            return True
        return RANK[tfolder] < RANK[folder]
    if folder in PROGRAM_CEILING:
        return tfolder == folder or (tfolder in RANK and RANK[tfolder] <= PROGRAM_CEILING[folder])
    if folder == "tests":
        if tfolder == "tests":
            return True
        layer = parts[1] if len(parts) > 2 else ""
        if layer in RANK:
            return tfolder in RANK and RANK[tfolder] <= RANK[layer] and (tfolder != "port" or layer != "base")
        return True  # tests of the programs and the support doubles may use any layer
    return True


def code_only(text):
    """The text without comments, string and character literals and
    preprocessor lines, so braces and parentheses are the code's own."""
    text = re.sub(r"//[^\n]*|/\*.*?\*/", " ", text, flags=re.S)
    text = re.sub(r'"(\\.|[^"\\\n])*"' + r"|'(\\.|[^'\\\n])*'", '""', text)
    return re.sub(r"^\s*#[^\n]*(\\\n[^\n]*)*", " ", text, flags=re.M)


def top_level(text):
    """The statements at namespace scope: (kind, text) with kind "decl" for a
    statement ending in ";" and "body" for one followed by a body in braces
    (the body skipped). Namespace braces are looked through."""
    out, stmt, depth, namespaces = [], [], 0, []
    for ch in code_only(text):
        if depth > 0:
            depth += {"{": 1, "}": -1}.get(ch, 0)
            continue
        if ch == "{":
            head = "".join(stmt).strip()
            if re.match(r"^(inline\s+)?namespace\b[^=]*$", head) or head == 'extern ""':
                namespaces.append(True)
            else:
                out.append(("body", head))
                depth = 1
            stmt = []
        elif ch == "}":
            if namespaces:
                namespaces.pop()
            stmt = []
        elif ch == ";":
            out.append(("decl", "".join(stmt).strip()))
            stmt = []
        else:
            stmt.append(ch)
    return out


def function_name(statement):
    """The name of the function a statement declares or defines, or None for
    anything else (variables, types, aliases, assertions, lambdas)."""
    statement = re.sub(r"^template\s*<[^{;]*?>\s*", "", " ".join(statement.split()))
    if "(" not in statement or re.match(r"^(using|typedef|static_assert|struct|class|enum|union|friend)\b", statement):
        return None
    head = statement.split("(", 1)[0]
    if "=" in head or "[" in head or "{" in head:
        return None
    m = re.search(r"([A-Za-z_]\w*)\s*$", head)
    if not m or m.group(1) in ("operator", "decltype", "alignas", "__attribute__"):
        return None
    return m.group(1)


def functions(path, kind):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    return {n for k, s in top_level(text) if k == kind for n in [function_name(s)] if n}


def folder_units(root, folder):
    """The units of a folder: stem -> its files, relative to root."""
    units = {}
    base = os.path.join(root, folder)
    for name in sorted(os.listdir(base)) if os.path.isdir(base) else []:
        if name.endswith(SOURCE):
            units.setdefault(os.path.splitext(name)[0], []).append(f"{folder}/{name}")
    return units


def unit_circles(root, folder, units):
    """Circles of includes between the units of a folder, each as the list of
    units round it (the first again at the end)."""
    uses = {u: set() for u in units}
    for unit, files in units.items():
        for path in files:
            with open(os.path.join(root, path), encoding="utf-8") as f:
                for line in f:
                    m = INCLUDE.match(line)
                    if m and m.group(1) == '"' and m.group(2).startswith(folder + "/"):
                        other = os.path.splitext(m.group(2)[len(folder) + 1:])[0]
                        if other != unit and other in uses:
                            uses[unit].add(other)
    # Tarjan's strongly connected components; each one of two or more units
    # holds a circle, shown as one path round it.
    index, low, stack, on_stack, circles = {}, {}, [], set(), []

    def visit(u):
        index[u] = low[u] = len(index)
        stack.append(u)
        on_stack.add(u)
        for v in sorted(uses[u]):
            if v not in index:
                visit(v)
                low[u] = min(low[u], low[v])
            elif v in on_stack:
                low[u] = min(low[u], index[v])
        if low[u] == index[u]:
            component = []
            while True:
                v = stack.pop()
                on_stack.discard(v)
                component.append(v)
                if v == u:
                    break
            if len(component) > 1:
                circles.append(path_round(sorted(component), uses))

    for u in sorted(uses):
        if u not in index:
            visit(u)
    return circles


def path_round(component, uses):
    """A shortest circle through the first unit of a strongly connected set."""
    start, inside = component[0], set(component)
    came_from, frontier = {start: None}, [start]
    while frontier:
        following = []
        for u in frontier:
            for v in sorted(uses[u] & inside):
                if v == start:
                    path = [u]
                    while came_from[path[-1]] is not None:
                        path.append(came_from[path[-1]])
                    return list(reversed(path)) + [start]
                if v not in came_from:
                    came_from[v] = u
                    following.append(v)
        frontier = following
    return component


def header_offences(root, folder, units):
    """Functions declared in a header that its own .cpp does not define, and
    functions a .cpp declares without defining them."""
    bad = []
    for unit, files in units.items():
        header = next((p for p in files if p.endswith(".h")), None)
        source = next((p for p in files if p.endswith(".cpp")), None)
        platforms = [p for v in ("_win", "_posix") for p in units.get(unit + v, []) if p.endswith(".cpp")]
        defined = set()
        for path in ([source] if source else []) + platforms:
            defined |= functions(os.path.join(root, path), "body")
        if header and header not in SEAMS:
            for name in sorted(functions(os.path.join(root, header), "decl") - defined):
                where = source or (platforms[0] if platforms else f"{folder}/{unit}.cpp (none)")
                bad.append(f"{header}: declares {name}, which {where} does not define")
        if source:
            for name in sorted(functions(os.path.join(root, source), "decl") - defined):
                bad.append(f"{source}: declares {name}, defined elsewhere: include its header instead")
    return bad


def main(root):
    bad = []
    for folder in UNIT_FOLDERS:
        units = folder_units(root, folder)
        for circle in unit_circles(root, folder, units):
            bad.append(f"{folder}/: circle of includes " + " -> ".join(circle))
        bad.extend(header_offences(root, folder, units))
    for top in sorted(set(RANK) | set(PROGRAM_CEILING) | {"tests"}):
        for dirpath, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith(SOURCE):
                    continue
                full = os.path.join(dirpath, name)
                path = os.path.relpath(full, root).replace(os.sep, "/")
                with open(full, encoding="utf-8") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        kind, target = m.groups()
                        if kind == "<":
                            if target.lower() == "windows.h":
                                stem = os.path.splitext(name)[0]
                                if not stem.endswith("_win") or not path.startswith(WINDOWS_PLACES):
                                    bad.append(f"{path}:{number}: <windows.h> outside a _win file of win/, port/, cli/ or the Windows tests")
                            continue
                        if not allowed(path, target):
                            bad.append(f"{path}:{number}: includes {target} against the layer order")
    for line in bad:
        print(line)
    if not bad:
        print("includes: every include points down the layers, no folder has a circle")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")))
