"""Command line: python3 -m vortimar summary|export|plot|doctor CASE ...

CASE is a case folder (with or without a trailing separator) or its inputs.in. Exit status:
0 done, 1 the case could not be opened or the output not written, 2 wrong arguments (a
CASE that is neither among them).
"""
import argparse
import os
import sys

import vortimar
from vortimar.case import NotACase, case_folder


def _fail(line, status=1):
    print("vortimar: %s" % line, file=sys.stderr)
    return status


def _open(path, moving_liner=False, quiet=False):
    """Opens the case at path. Returns (case, None), or (None, exit status) after saying in
    one line per message what went wrong. Unless quiet, the reader's messages of a case that
    opened are repeated on standard error, each once."""
    from .notes import case_notes, message_counts, note_text
    folder = case_folder(path)
    try:
        case = vortimar.open_case(folder, moving_liner=moving_liner)
    except vortimar.VortimarError as error:
        for line, _ in message_counts([error] + list(getattr(error, "messages", None) or [])):
            _fail(line)
        return None, 1
    if not quiet:
        for line, count in case_notes(case):
            print("vortimar: " + note_text(line, count), file=sys.stderr)
    return case, None


def _summary(args):
    from .summary import summary_text
    case, status = _open(args.case, args.moving_liner, quiet=True)
    if case is None:
        return status
    with case:
        sys.stdout.write(summary_text(case))
    return 0


def _export(args):
    from .export import ExportError, ExportFailed, choose_steps, export_case, output_folder_check
    try:
        out = output_folder_check(case_folder(args.case), args.out)
    except ExportError as error:
        return _fail(str(error), 2)
    case, status = _open(args.case, args.moving_liner)
    if case is None:
        return status
    with case:
        try:
            steps = choose_steps(len(case.times), args.steps, args.every)
            export_case(case, out, steps, moved=not args.as_read)
        except ExportError as error:
            return _fail(str(error), 2)
        except ExportFailed as error:
            return _fail(str(error))
        except OSError as error:
            return _fail("%s: %s" % (error.filename or out, error.strerror or error))
    return 0


def _plot(args):
    from .plot import plot_case
    if not args.out_png.lower().endswith(".png"):
        return _fail("%s: the plot is written as PNG; give a name ending in .png" % args.out_png, 2)
    folder = case_folder(args.case)
    target = os.path.realpath(args.out_png)
    if os.path.commonpath([os.path.realpath(folder), target]) == os.path.realpath(folder):
        return _fail("%s lies inside the case folder; choose a place outside the case" % args.out_png, 2)
    case, status = _open(args.case)
    if case is None:
        return status
    with case:
        try:
            what = plot_case(case, args.out_png)
        except OSError as error:
            return _fail("%s: %s" % (args.out_png, error.strerror or error))
    print("wrote %s: %s" % (args.out_png, what))
    return 0


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m vortimar", description="Look at a Vortimar case without the host.")
    commands = parser.add_subparsers(dest="command", required=True)

    summary = commands.add_parser("summary", help="one screen about the case")
    summary.add_argument("case", help="case folder or its inputs.in")
    summary.add_argument("--moving-liner", action="store_true", help="open with the moving liner on")
    summary.set_defaults(run=_summary)

    export = commands.add_parser("export", help="write the run as ParaView files (.pvd, .vtm, .vtp, .csv)")
    export.add_argument("case", help="case folder or its inputs.in")
    export.add_argument("out", help="output folder, outside the case folder")
    which = export.add_mutually_exclusive_group()
    which.add_argument("--steps", help="comma-separated 0-based steps, e.g. 0,10,20")
    which.add_argument("--every", type=int, metavar="K", help="every K-th step, from step 0")
    export.add_argument("--moving-liner", action="store_true", help="the liner's bottom ring follows the piston")
    export.add_argument("--as-read", action="store_true", help="coordinates as read, without the motion")
    export.set_defaults(run=_export)

    plot = commands.add_parser("plot", help="piston and valve lifts, or the moving parts' translations, as PNG")
    plot.add_argument("case", help="case folder or its inputs.in")
    plot.add_argument("out_png", help="the picture to write (.png)")
    plot.set_defaults(run=_plot)

    from . import doctor
    check = commands.add_parser("doctor", help="where the reader reads the case otherwise than its author most likely meant")
    doctor.add_arguments(check)
    check.set_defaults(run=doctor.run)

    args = parser.parse_args(argv)
    if getattr(args, "moving_liner", None) is None:
        args.moving_liner = False
    try:
        case_folder(args.case)
        vortimar.library()
    except NotACase as error:
        return _fail(str(error), 2)
    except vortimar.VortimarError as error:  # no usable library
        return _fail(str(error))
    return args.run(args)


def _main_quiet_on_closed_output():
    """main(), ending quietly when whoever reads the output stops early (| head)."""
    try:
        status = main()
        sys.stdout.flush()
        return status
    except BrokenPipeError:
        # Python flushes standard output again on exit: point it at nothing first.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        return 1


if __name__ == "__main__":
    sys.exit(_main_quiet_on_closed_output())
