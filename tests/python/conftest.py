"""The shared fixtures (tests/python/fixtures.py)."""
from fixtures import *  # noqa: F401,F403
