"""Command line: python3 -m vortimar summary|export|plot|view|doctor|check CASE ...

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
            if args.gltf:
                from .gltf import export_glb
                export_glb(case, out, steps)
            else:
                export_case(case, out, steps, moved=not args.as_read, clearance=args.clearance)
        except ExportError as error:
            return _fail(str(error), 2)
        except ExportFailed as error:
            return _fail(str(error))
        except OSError as error:
            return _fail("%s: %s" % (error.filename or out, error.strerror or error))
    return 0


def _inside_case(case, path):
    """Whether the file path lies inside the folder of case."""
    from .export import lies_inside
    return lies_inside(case_folder(case), path)


def _plot(args):
    from .plot import plot_case
    if not args.out_png.lower().endswith(".png"):
        return _fail("%s: the plot is written as PNG; give a name ending in .png" % args.out_png, 2)
    if _inside_case(args.case, args.out_png):
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


def _view(args):
    from .export import ExportError, choose_steps
    from .view import write_page
    if _inside_case(args.case, args.out_html):
        return _fail("%s lies inside the case folder; choose a place outside the case" % args.out_html, 2)
    case, status = _open(args.case, args.moving_liner)
    if case is None:
        return status
    with case:
        if not case.parts:
            return _fail("%s: the case has no parts: no page was written" % args.case)
        try:
            steps = choose_steps(len(case.times), args.steps, args.every)
            size = write_page(case, steps, args.out_html, args.clearance)
            if args.clearance and getattr(case, "check", None) is None:
                _fail("--clearance: this package has no set-up check, so the page shows no clearances", 0)
        except ExportError as error:
            return _fail(str(error), 2)
        except OSError as error:
            return _fail("%s: %s" % (args.out_html, error.strerror or error))
    print("wrote %s (%d steps, %.1f MB): open it in a web browser, e.g. file://%s" % (args.out_html, len(steps), size / 1e6, os.path.realpath(args.out_html)))
    return 0


def _run_arguments(command, out, out_help):
    """The arguments of the commands that write a run: the case, the output, which steps, the liner."""
    command.add_argument("case", help="case folder or its inputs.in")
    command.add_argument(out, help=out_help)
    which = command.add_mutually_exclusive_group()
    which.add_argument("--steps", help="comma-separated 0-based steps, e.g. 0,10,20")
    which.add_argument("--every", type=int, metavar="K", help="every K-th step, from step 0")
    command.add_argument("--moving-liner", action="store_true", help="the liner's bottom ring follows the piston")


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m vortimar", description="Look at a Vortimar case without the host.")
    commands = parser.add_subparsers(dest="command", required=True)

    summary = commands.add_parser("summary", help="one screen about the case")
    summary.add_argument("case", help="case folder or its inputs.in")
    summary.add_argument("--moving-liner", action="store_true", help="open with the moving liner on")
    summary.set_defaults(run=_summary)

    export = commands.add_parser("export", help="write the run as ParaView files (.pvd, .vtm, .vtp, .csv)")
    _run_arguments(export, "out", "output folder, outside the case folder")
    export.add_argument("--as-read", action="store_true", help="coordinates as read, without the motion")
    export.add_argument("--clearance", action="store_true",
                        help="a Clearance point array on the moving parts: each point's distance to the nearest other part")
    export.add_argument("--gltf", action="store_true", help="write the run as one animated binary glTF file (NAME.glb)")
    export.set_defaults(run=_export)

    plot = commands.add_parser("plot", help="piston and valve lifts, or the moving parts' translations, as PNG")
    plot.add_argument("case", help="case folder or its inputs.in")
    plot.add_argument("out_png", help="the picture to write (.png)")
    plot.set_defaults(run=_plot)

    view = commands.add_parser("view", help="the run as one HTML page that plays in any web browser, offline")
    _run_arguments(view, "out_html", "the page to write (.html), outside the case folder")
    view.add_argument("--clearance", action="store_true", help="chart the set-up check's clearances, where it has them")
    view.set_defaults(run=_view)

    from . import doctor
    check = commands.add_parser("doctor", help="where the reader reads the case otherwise than its author most likely meant")
    doctor.add_arguments(check)
    check.set_defaults(run=doctor.run)

    from . import check as set_up_check
    checking = commands.add_parser("check", help="surface, clearances over the run, engine measures, valve events")
    set_up_check.add_arguments(checking)
    checking.set_defaults(run=set_up_check.run)

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
