"""Finding and loading libvortimar_case, and the C signatures of its functions.

The library is looked for, in this order:

1. the file named by the environment variable VORTIMAR_LIBRARY;
2. beside the package (the library file in this folder);
3. in an installed copy, the library folder the installation recorded in
   _installed.py (with the default layout PREFIX/lib beside the package's
   PREFIX/lib/python3/dist-packages/vortimar).
"""

import ctypes
import os
import sys

if sys.platform == "win32":
    LIBRARY_FILE = "libvortimar_case.dll"
elif sys.platform == "darwin":
    LIBRARY_FILE = "libvortimar_case.dylib"
else:
    LIBRARY_FILE = "libvortimar_case.so"

# The numbers of the C interface, by their names in vortimar_case.h (a test
# compares this copy with the header).
VC_OK = 0
VC_NO_VALUES = 1
VC_MOVING_LINER = 1
VC_DEBUG_MESSAGES = 2
VC_FILE_INPUTS, VC_FILE_ENGINE, VC_FILE_BOUNDARY, VC_FILE_SURFACE = 0, 1, 2, 3
VC_KIND_SURFACE, VC_KIND_POINTS = 0, 1
VC_ROLE_NONE, VC_ROLE_PISTON, VC_ROLE_INTAKE_VALVE, VC_ROLE_EXHAUST_VALVE, VC_ROLE_LINER = 0, 1, 2, 3, 4
VC_MOTION_NONE, VC_MOTION_ROTATION, VC_MOTION_TRANSLATION = 0, 1, 2
VC_MOTION_ROTATION_TRANSLATION, VC_MOTION_ARBITRARY = 3, 4
VC_SOURCE_NONE, VC_SOURCE_CONSTANT, VC_SOURCE_VALUE_FILE, VC_SOURCE_SPATIAL_FILE = 0, 1, 2, 3


class VortimarError(Exception):
    """A case that cannot be opened or a call the library refused.

    .code is the library's result code, .messages the reader's messages
    (a list of str) where there are any.
    """

    def __init__(self, text, code=None, messages=None):
        super().__init__(text)
        self.code = code
        self.messages = list(messages or [])


class PartInfo(ctypes.Structure):
    _fields_ = [
        ("name", ctypes.c_char_p),
        ("kind", ctypes.c_int),
        ("role", ctypes.c_int),
        ("motion", ctypes.c_int),
        ("vertex_count", ctypes.c_int),
        ("triangle_count", ctypes.c_int),
        ("host_node_count", ctypes.c_int),
    ]


class FindingInfo(ctypes.Structure):
    _fields_ = [
        ("severity", ctypes.c_char_p),
        ("code", ctypes.c_char_p),
        ("file", ctypes.c_char_p),
        ("line", ctypes.c_int),
        ("message", ctypes.c_char_p),
        ("suggestion", ctypes.c_char_p),
        ("count", ctypes.c_int),
    ]


def candidate_paths():
    """The paths tried for the library, in order."""
    paths = []
    chosen = os.environ.get("VORTIMAR_LIBRARY")
    if chosen:
        paths.append(chosen)
    here = os.path.dirname(os.path.abspath(__file__))
    paths.append(os.path.join(here, LIBRARY_FILE))
    try:
        from ._installed import LIBRARY_DIR_FROM_PACKAGE
    except ImportError:
        pass
    else:
        paths.append(os.path.normpath(os.path.join(here, LIBRARY_DIR_FROM_PACKAGE, LIBRARY_FILE)))
    return paths


_P = ctypes.c_void_p
_INT = ctypes.c_int
_INTP = ctypes.POINTER(ctypes.c_int)
_FLTP = ctypes.POINTER(ctypes.c_float)
_STRP = ctypes.POINTER(ctypes.c_char_p)

_SIGNATURES = {
    "vc_version": (ctypes.c_char_p, []),
    "vc_open": (_INT, [ctypes.c_char_p, ctypes.c_uint, ctypes.POINTER(_P)]),
    "vc_open_error": (ctypes.c_char_p, []),
    "vc_close": (_INT, [_P]),
    "vc_error_message": (ctypes.c_char_p, [_P]),
    "vc_folder": (_INT, [_P, _STRP]),
    "vc_case_file": (_INT, [_P, _INT, _STRP, _INTP]),
    "vc_message_count": (_INT, [_P, _INTP]),
    "vc_message": (_INT, [_P, _INT, _STRP]),
    "vc_finding_count": (_INT, [_P, _INTP]),
    "vc_finding": (_INT, [_P, _INT, ctypes.c_void_p]),
    "vc_step_count": (_INT, [_P, _INTP]),
    "vc_times": (_INT, [_P, _FLTP, _INT]),
    "vc_crank_angles": (_INT, [_P, _FLTP, _INT]),
    "vc_is_engine": (_INT, [_P, _INTP]),
    "vc_part_count": (_INT, [_P, _INTP]),
    "vc_part": (_INT, [_P, _INT, ctypes.POINTER(PartInfo)]),
    "vc_part_source": (_INT, [_P, _INT, _INT, _INTP]),
    "vc_part_triangles": (_INT, [_P, _INT, _INTP, _INT]),
    "vc_part_node_numbers": (_INT, [_P, _INT, _INTP, _INT]),
    "vc_part_points": (_INT, [_P, _INT, _INT, _FLTP, _INT]),
    "vc_rigid_body_exists": (_INT, [_P, _INTP]),
    "vc_rigid_body": (_INT, [_P, _INT, _INT, _FLTP]),
    "vc_variable_count": (_INT, [_P, _INTP]),
    "vc_variable": (_INT, [_P, _INT, _STRP, _INTP]),
    "vc_part_values": (_INT, [_P, _INT, _INT, _INT, _FLTP, _INT]),
    "vc_part_value": (_INT, [_P, _INT, _INT, _INT, _FLTP]),
    "vc_constant": (_INT, [_P, _INT, _INT, _FLTP]),
}

_library = None


def library():
    """The loaded library (loaded on first use); VortimarError when none is found."""
    global _library
    if _library is not None:
        return _library
    tried = []
    for path in candidate_paths():
        if not os.path.isfile(path):
            tried.append(path + " (no such file)")
            continue
        try:
            lib = ctypes.CDLL(path)
        except OSError as error:
            tried.append("%s (%s)" % (path, error))
            continue
        absent = [name for name in _SIGNATURES if not hasattr(lib, name)]
        if absent:
            what = "the host's reader library" if hasattr(lib, "USERD_get_reader_version") else "another library"
            raise VortimarError("%s is %s, not %s (it has no %s); point VORTIMAR_LIBRARY at %s, or unset it to use "
                                "the one beside the package" % (path, what, LIBRARY_FILE, absent[0], LIBRARY_FILE))
        for name, (result, arguments) in _SIGNATURES.items():
            function = getattr(lib, name)
            function.restype = result
            function.argtypes = arguments
        _library = lib
        return lib
    raise VortimarError("libvortimar_case not found; set VORTIMAR_LIBRARY to its path. Tried: " + "; ".join(tried))


def text(raw):
    """A C string from the library as str ("" for NULL)."""
    return raw.decode("utf-8", errors="replace") if raw else ""
