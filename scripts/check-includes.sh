#!/usr/bin/env bash
# Checks the direction of includes in the code without windows: no file under
# src/config, link, files, i18n or keys includes src/ui or src/controls, and
# the includes between those folders form no cycle. config/FunctionRecord.h
# is the leaf every folder may include; it includes nothing of ours. The
# mouse's model and link show the user nothing: config and link include no
# texts (i18n/Language.h) and no message box (i18n/UserMessage.h), and no
# code without windows but the one message-box function calls MessageBox.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
exec python3 - "$root/src" <<'PY'
import os, re, sys

src = sys.argv[1]
core = ["config", "link", "files", "i18n", "keys"]
leaf = "config/FunctionRecord.h"
include = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
silent = {"config", "link"}
user_facing = {"i18n/Language.h", "i18n/UserMessage.h"}
message_box = re.compile(r'\b(MessageBox[AW]?|ShowUserMessage)\s*\(')
problems, edges = [], {}

def node(path):
    return "FunctionRecord" if path == leaf else path.split("/")[0]

for folder in core:
    for dirpath, _, files in os.walk(os.path.join(src, folder)):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            full = os.path.join(dirpath, name)
            rel = os.path.relpath(full, src).replace(os.sep, "/")
            with open(full, encoding="utf-8", errors="replace") as f:
                text = f.read()
            if rel != "i18n/UserMessage.cpp" and rel != "i18n/UserMessage.h" and message_box.search(text):
                problems.append("%s shows a message box (only the window code may)" % rel)
            for target in include.findall(text):
                top = target.split("/")[0]
                if top in ("ui", "controls"):
                    problems.append("%s includes %s (window code)" % (rel, target))
                if folder in silent and target in user_facing:
                    problems.append("%s includes %s (it tells the user nothing)" % (rel, target))
                if "/" not in target or top not in core:
                    continue
                a, b = node(rel), node(target)
                if a == "FunctionRecord":
                    problems.append("%s includes %s, but it is the leaf" % (rel, target))
                if a != b:
                    edges.setdefault(a, {}).setdefault(b, "%s -> %s" % (rel, target))

# A cycle between folders: depth-first search with the path on a stack.
state, stack = {}, []
def visit(n):
    state[n] = 1
    stack.append(n)
    for m in sorted(edges.get(n, {})):
        if state.get(m) == 1:
            loop = stack[stack.index(m):] + [m]
            problems.append("include cycle: " + "; ".join(edges[x][y] for x, y in zip(loop, loop[1:])))
        elif not state.get(m):
            visit(m)
    stack.pop()
    state[n] = 2

for n in sorted(edges):
    if not state.get(n):
        visit(n)

for p in problems:
    print("check-includes: " + p, file=sys.stderr)
if problems:
    sys.exit(1)
print("check-includes: %d folder dependencies, no window includes, no cycle" %
      sum(len(v) for v in edges.values()))
PY
