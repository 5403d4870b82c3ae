"""What to tell the user about an open case: the reader's messages, each once with its count,
and the problems the reader does not report itself (a deck without regions)."""
import os
from collections import Counter


def message_counts(messages):
    """Each distinct non-empty line of messages once, in order of first appearance, with its
    count: [(line, count)]."""
    lines = [str(m).strip() for m in messages if str(m).strip()]
    counts = Counter(lines)
    return [(line, counts[line]) for line in dict.fromkeys(lines)]


def case_notes(case):
    """[(line, count)] for the open case: its messages, then a line when it has no parts."""
    notes = message_counts(case.messages)
    if not case.parts:
        deck = os.path.join(case.folder, "boundary.in")
        notes.append(("%s: no boundary regions, so the case has no parts" % deck, 1))
    return notes


def note_text(line, count):
    return line if count == 1 else "%s  (x%d)" % (line, count)
