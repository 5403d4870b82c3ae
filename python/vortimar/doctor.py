"""The case doctor: where the reader reads a case otherwise than its author
most likely meant, in plain words.

    python3 -m vortimar doctor CASE [--json]

The findings come from the reader itself (Case.findings()): each names the
file and line, says what the reader did there and how to write it so that
the reader does what was meant; one that recurs is shown once, with how
often it occurred. Exit status: 1 when a finding is an error
(data of the case lost or changed), else 0; 2 when the case cannot be opened.
"""

import json
import sys
import textwrap

WIDTH = 100


def format_finding(finding):
    """One finding for a person: a heading line, then the message and the
    suggestion, each wrapped and indented."""
    where = finding["file"] if finding["line"] is None else "%s:%d" % (finding["file"], finding["line"])
    times = " (%d times)" % finding["count"] if finding["count"] > 1 else ""
    lines = ["%s: %s [%s]%s" % (where, finding["severity"], finding["code"], times)]
    lines += textwrap.wrap(finding["message"], WIDTH, initial_indent="  ", subsequent_indent="  ")
    lines += textwrap.wrap(finding["suggestion"], WIDTH, initial_indent="  Suggestion: ", subsequent_indent="  ")
    return "\n".join(lines)


def summary(findings):
    """"2 errors, 1 warning, 0 notes"."""
    parts = []
    for severity in ("error", "warning", "note"):
        n = sum(1 for f in findings if f["severity"] == severity)
        parts.append("%d %s%s" % (n, severity, "" if n == 1 else "s"))
    return ", ".join(parts)


def report(findings, as_json=False):
    """The whole report as text."""
    if as_json:
        return json.dumps(findings, indent=2)
    if not findings:
        return "No findings: the reader reads this case as it is written."
    return "\n\n".join(format_finding(f) for f in findings) + "\n\n" + summary(findings)


def exit_status(findings):
    """1 when an error was found, else 0."""
    return 1 if any(f["severity"] == "error" for f in findings) else 0


def add_arguments(parser):
    """The doctor command's arguments."""
    parser.add_argument("case", help="the case folder, or its inputs.in")
    parser.add_argument("--json", action="store_true", help="print a JSON array of the findings")


def run(arguments):
    """Runs the doctor on arguments.case; returns the exit status."""
    from ._library import VortimarError
    from .case import open_case

    try:
        # With "Moving Liner" on, so that the liner's findings are made too.
        with open_case(arguments.case, moving_liner=True) as case:
            # File by file, line by line (whole-file findings first).
            findings = sorted(case.findings(), key=lambda f: (f["file"], f["line"] or 0))
            # The set-up check's findings follow (none where its library is not built).
            from .check import check_findings
            findings += check_findings(case)
    except VortimarError as error:
        print("vortimar doctor: %s" % error, file=sys.stderr)
        return 2
    print(report(findings, arguments.json))
    return exit_status(findings)
