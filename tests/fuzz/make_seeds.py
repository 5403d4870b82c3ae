#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (corpus/<target>/) from the golden
case folders and the bundled example case, and for the case library's target
also from the doctor's cases (whose findings only the case library gives):

    tests/fuzz/make_seeds.py        (from anywhere; rewrites corpus/)

Each case file goes to the target that reads its kind; whole cases and
boundary decks are packed with their files ("@@ NAME" lines, see
case_folder.h). Identical seeds are written once."""
import hashlib
import pathlib
import re
import shutil

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent.parent
CASES = sorted(p for p in (ROOT / "tests" / "golden").iterdir() if p.is_dir()) + [ROOT / "examples" / "engine_case"]
DOCTOR_CASES = sorted(p for p in (ROOT / "tests" / "doctor").iterdir() if p.is_dir())
NOT_CASE_FILES = {"expected.txt", "checks.md", "args", "expected.json"}


def pack(first, sections):
    out = first
    for name, text in sections:
        if out and not out.endswith(b"\n"):
            out += b"\n"
        out += b"@@ " + name.encode() + b"\n" + text
    return out


def named_files(deck):
    return re.findall(rb'"([^"\s\]]+?)"?[,\s\]]', deck + b"\n")


def kind_of(case, name, text, deck):
    if name == "inputs.in":
        return "inputs_file"
    if name == "engine.in":
        return "engine_file"
    if name == "boundary.in":
        return "boundary_deck"
    if name.endswith("_lift.in"):
        return None  # packed per case below
    if text.startswith(b"SPATIAL"):
        return "motion_files"
    inputs = (case / "inputs.in").read_bytes() if (case / "inputs.in").exists() else b""
    if name.encode() in inputs:
        return "surface_file"
    for previous, line in zip(deck.splitlines(), deck.splitlines()[1:] + [b""]):
        if name.encode() in line and (b"MOVING" in previous or b"MOVING" in line):
            return "motion_files"
    return "value_files"


def case_files(case):
    return {p.name: p.read_bytes() for p in sorted(case.iterdir()) if p.is_file() and p.name not in NOT_CASE_FILES}


def packed_case(case, files):
    """The whole case as one input: inputs.in first, then every other file
    and the dialog's choices that the case's args ask for."""
    args = (case / "args").read_text() if (case / "args").exists() else ""
    dialog = [w for w, flag in (("liner", "--liner"), ("debug", "debug")) if flag in args]
    rest = [(n, t) for n, t in files.items() if n != "inputs.in"]
    if dialog:
        rest.append(("dialog", (" ".join(dialog) + "\n").encode()))
    return pack(files.get("inputs.in", b""), rest)


def main():
    corpus = HERE / "corpus"
    shutil.rmtree(corpus, ignore_errors=True)
    seeds = {}

    def add(target, label, data):
        key = (target, hashlib.sha1(data).hexdigest())
        seeds.setdefault(key, (label, data))

    for case in CASES:
        files = case_files(case)
        deck = files.get("boundary.in", b"")
        for name, text in files.items():
            kind = kind_of(case, name, text, deck)
            if kind:
                add(kind, case.name + "_" + name, text)
        add("line_reader", case.name + "_boundary.in", deck)
        if "intake_lift.in" in files:
            add("lift_files", case.name, pack(files["intake_lift.in"], [("exhaust_lift.in", files.get("exhaust_lift.in", b""))]))
        named = [(n.decode(), files[n.decode()]) for n in dict.fromkeys(named_files(deck)) if n.decode() in files]
        add("boundary_deck", case.name, pack(deck, named))
        add("whole_case", case.name, packed_case(case, files))
        add("case_library", case.name, packed_case(case, files))
    for case in DOCTOR_CASES:
        add("case_library", "doctor_" + case.name, packed_case(case, case_files(case)))

    for (target, _), (label, data) in sorted(seeds.items()):
        folder = corpus / target
        folder.mkdir(parents=True, exist_ok=True)
        (folder / label).write_bytes(data)
    for folder in sorted(corpus.iterdir()):
        print(folder.name, len(list(folder.iterdir())))


main()
