"""The fixtures shared with the commands' tests (tests/python/fixtures.py)."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "python"))
from fixtures import *  # noqa: E402,F401,F403
