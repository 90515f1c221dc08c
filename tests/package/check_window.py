#!/usr/bin/env python3
"""Checks the installed program's window on an X display against the control
table: the full 1000 x 720 window, every control that starts shown at the
place and width the table gives it, and no download panel.

    check_window.py WINDOW_ID TABLE_FILE

WINDOW_ID is the top-level X window; TABLE_FILE is what table_geometry prints.
The program must run with QT_USE_NATIVE_WINDOWS=1, so that each control is
an X window of its own. Heights are not compared: Qt makes a single-line box
as tall as its font needs.
"""
import collections
import re
import subprocess
import sys

LINE = re.compile(r"^( +)0x[0-9a-f]+ .*\s(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+-?\d+\+-?\d+$")


def xwininfo(*args):
    run = subprocess.run(["xwininfo", *args], capture_output=True, text=True)
    if run.returncode != 0:
        sys.exit(f"xwininfo {' '.join(args)}: {run.stderr.strip()}")
    return run.stdout


def main():
    window, table_file = sys.argv[1], sys.argv[2]
    size = dict(re.findall(r"^\s+(Width|Height): (\d+)$", xwininfo("-id", window), re.M))
    if (size.get("Width"), size.get("Height")) != ("1000", "720"):
        sys.exit(f"the window is {size.get('Width')} x {size.get('Height')}, not the full 1000 x 720"
                 + (" (the download panel's size)" if size.get("Width") == "400" else ""))

    # (depth, parent x, parent y, x, y, width) of every X window below the top level
    found = collections.Counter()
    parent = (0, 0)
    for line in xwininfo("-id", window, "-tree").splitlines():
        m = LINE.match(line)
        if not m:
            continue
        depth = (len(m.group(1)) - 2) // 3
        width, x, y = int(m.group(2)), int(m.group(4)), int(m.group(5))
        if depth == 1:
            found[(1, 0, 0, x, y, width)] += 1
            parent = (x, y)
        elif depth == 2:
            found[(2, *parent, x, y, width)] += 1

    rows = [list(map(int, line.split())) for line in open(table_file) if line.strip()]
    missing, shown = [], 0
    for ident, depth, is_shown, left, top, width, parent_left, parent_top in rows:
        if not is_shown:
            continue
        shown += 1
        key = (depth, parent_left, parent_top, left, top, width)
        if found[key] > 0:
            found[key] -= 1
        else:
            missing.append(f"control {ident} (left {left}, top {top}, width {width})")
    if missing:
        sys.exit(f"{len(missing)} of the {shown} controls that start shown are not where the table puts them: "
                 + "; ".join(missing))
    if found[(1, 0, 0, 0, 0, 400)] > 0:
        sys.exit("the download panel is shown")
    print(f"the full window (1000 x 720) with all {shown} controls that start shown where the table puts them "
          f"({len(rows)} controls in the table; the download panel and its button start hidden)")


if __name__ == "__main__":
    main()
