"""Commands of the vortimar package: python3 -m vortimar COMMAND ...

Each command is a module with add_arguments(parser) and run(arguments),
which returns the exit status; COMMANDS lists them by name.
"""

import argparse
import sys

from . import doctor

COMMANDS = {
    "doctor": (doctor, "where the reader reads the case otherwise than its author most likely meant"),
}


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m vortimar")
    commands = parser.add_subparsers(dest="command", metavar="COMMAND")
    commands.required = True
    for name, (module, summary) in COMMANDS.items():
        module.add_arguments(commands.add_parser(name, help=summary, description=summary))
    arguments = parser.parse_args(argv)
    return COMMANDS[arguments.command][0].run(arguments)


if __name__ == "__main__":
    sys.exit(main())
