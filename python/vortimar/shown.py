"""How numbers and names of a case are shown to a person, in every command."""
import numpy as np


def number_text(value):
    """The shortest decimal text that reads back as the same 32-bit float: the number as
    the case file wrote it (0.08, not 0.07999999821186066). Very small and very large
    magnitudes are written with an exponent (1.3877788e-17)."""
    value = np.float32(value)
    if value == 0 or not np.isfinite(value) or np.float32(1e-4) <= abs(value) < np.float32(1e16):
        return np.format_float_positional(value, trim="-")
    return np.format_float_scientific(value, trim="-", exp_digits=1)


def visible(name):
    """name with its control characters written out (a carriage return as \\r), so that
    "piston\\r" does not pass for "piston"."""
    return "".join(c if c.isprintable() or c == " " else repr(c)[1:-1] for c in name)
