"""Shared paths for the package's tests. Run from CTest, which sets
VORTIMAR_LIBRARY to the built library and VORTIMAR_BUILD_DIR to the build."""

import os
import sys

import pytest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "python"))

GOLDEN = os.path.join(ROOT, "tests", "golden")
TEST_CASE = os.path.join(ROOT, "tests", "data", "capi_case")


@pytest.fixture
def golden():
    """The folder of a golden case by name."""
    return lambda name: os.path.join(GOLDEN, name)
