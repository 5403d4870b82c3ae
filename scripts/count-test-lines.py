#!/usr/bin/python3
"""Lines of test code against lines of product code, and their ratio.

Counting rule: a line counts when it is neither blank nor a comment line.
Comment lines are those starting with '//' or lying inside a '/* ... */'
block in C and C++ files, and those starting with '#' in Python, shell and
CMake files ('#include', '#define' and the other preprocessor lines of C and
C++ count as code; so do Python docstrings). JavaScript counts as C does.

Product code: src, include, tools, python/vortimar, paraview, scripts, and the
JavaScript and shell scripts of web (the page's script, the glTF check and the
script that refreshes the bundled three.js module); vendored minified modules
(*.min.js) and installed npm packages (node_modules) are not counted.
Test code: everything under tests/ and python/tests that is code (unit tests,
fuzz harnesses and drivers, C test programs, pytest, ParaView tests, helpers,
test CMake files, scripts and JavaScript), but not data: the case folders of golden
transcripts, doctor cases and tests/data, fuzz corpora and dictionaries,
expected texts and tables (*.txt other than CMakeLists.txt). Data files carry
none of the suffixes counted, so the suffix alone decides.

Usage: scripts/count-test-lines.py [--max RATIO]   (exit 1 above RATIO)
"""
import argparse
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
PRODUCT = ["src", "include", "tools", "python/vortimar", "paraview", "scripts", "web"]
TESTS = ["tests", "python/tests"]
C_LIKE = {".c", ".cc", ".cpp", ".h", ".hpp", ".js"}
HASH_COMMENTS = {".py", ".sh", ".cmake"}


def kind(path):
    if path.name.endswith(".min.js"):
        return None
    if path.name == "CMakeLists.txt":
        return "hash"
    if path.suffix in C_LIKE:
        return "c"
    if path.suffix in HASH_COMMENTS:
        return "hash"
    return None


def count_file(path, how):
    lines = 0
    in_block = False
    for raw in path.read_text(errors="replace").splitlines():
        line = raw.strip()
        if how == "c":
            if in_block:
                if "*/" in line:
                    in_block = False
                    line = line.split("*/", 1)[1].strip()
                else:
                    continue
            if line.startswith("/*"):
                if "*/" not in line:
                    in_block = True
                    continue
                line = line.split("*/", 1)[1].strip()
            if not line or line.startswith("//"):
                continue
        elif not line or line.startswith("#"):
            continue
        lines += 1
    return lines


def count(folders):
    total = 0
    for folder in folders:
        for path in sorted((ROOT / folder).rglob("*")):
            rel = path.relative_to(ROOT / folder).parts
            if not path.is_file() or "__pycache__" in rel or "node_modules" in rel:
                continue
            how = kind(path)
            if how:
                total += count_file(path, how)
    return total


def main():
    parser = argparse.ArgumentParser(description="test code against product code")
    parser.add_argument("--max", type=float, help="fail when the ratio is above this")
    args = parser.parse_args()
    # python/tests lies inside python/, not inside python/vortimar: no overlap.
    product = count(PRODUCT)
    tests = count(TESTS)
    ratio = tests / product
    print(f"product code: {product} lines")
    print(f"test code:    {tests} lines")
    print(f"ratio:        {ratio:.3f}")
    if args.max is not None and ratio > args.max:
        print(f"above {args.max}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
