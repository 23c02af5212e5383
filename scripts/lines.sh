#!/usr/bin/env bash
# Product lines, test lines and their ratio (tests are kept to a third of the product or
# less). Counted: lines that are not blank and not `//` comments, in .cpp .cc .h .hpp .sh
# .py .cmake files and in scripts that open with "#!". Test lines: `*_test.*`,
# `*test_files.h`, every file under tests/ or fuzz/, and scripts/{test,harden,fuzz,
# valgrind,regen-golden}.sh; product lines: everything else but bench/. A golden case
# folder is data, not code: any directory under tests/buildc/ or tests/editpar/ (the code
# files of those two sit directly in them). With -v, every file counted as well.
set -euo pipefail
cd "$(dirname "$0")/.."
python3 - "$@" <<'PY'
import os, sys

TEST_SCRIPTS = {f"./scripts/{n}.sh" for n in ("test", "harden", "fuzz", "valgrind", "regen-golden")}
CODE = (".cpp", ".cc", ".h", ".hpp", ".sh", ".py", ".cmake")

def counted(path, name):
    if name.endswith(CODE):
        return True
    with open(path, "rb") as f:
        return f.read(2) == b"#!"

def is_test(path, name):
    return ("_test." in name or name.endswith("test_files.h") or path.startswith(("./tests/", "./fuzz/"))
            or path in TEST_SCRIPTS)

totals = {True: 0, False: 0}
files = []
for top, dirs, names in os.walk("."):
    dirs[:] = sorted(d for d in dirs if d != ".git" and d != "build" and not d.startswith("build-"))
    if top == "./bench" or top.startswith(("./bench/", "./tests/buildc/", "./tests/editpar/")):
        continue  # bench/, and the golden case folders
    for name in sorted(names):
        path = os.path.join(top, name)
        if not os.path.isfile(path) or not counted(path, name):
            continue
        with open(path, errors="replace") as f:
            n = sum(1 for l in f if l.strip() and not l.strip().startswith("//"))
        totals[is_test(path, name)] += n
        files.append((n, "test" if is_test(path, name) else "product", path[2:]))
print(f"product lines: {totals[False]}")
print(f"test lines:    {totals[True]}")
print(f"tests/product: {100 * totals[True] / max(totals[False], 1):.0f}%")
if sys.argv[1:] == ["-v"]:
    for n, kind, path in sorted(files, reverse=True):
        print(f"{n:6} {kind:7} {path}")
PY
