#!/usr/bin/env python3
"""Runs the shell blocks of README.md and docs/*.md that are marked runnable, and fails when one
of them exits non-zero. A block is marked by the line `<!-- runnable -->` (GitHub shows nothing
of it) right before its ```sh fence. Each block runs on its own with `bash -euo pipefail` from
the repository root, in this tree, so that it reuses the build folders there: CI runs this after
the steps that make them (.ci/run). A marker that is not followed by a ```sh or ```bash fence, or
no marked block at all, fails too.

Usage: scripts/checks/doc_commands.py [--list] [FILE.md ...]   (--list: print the blocks only)
"""
import glob
import os
import re
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MARKER = "<!-- runnable -->"
FENCE = re.compile(r"(`{3,})\s*(sh|bash)\s*$")


def blocks(path):
    """(line of the fence, text) of each marked block of the file; exits on a marker that marks
    no shell block."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    found = []
    for i, line in enumerate(lines):
        if line.strip() != MARKER:
            continue
        fence = FENCE.match(lines[i + 1]) if i + 1 < len(lines) else None
        if not fence:
            sys.exit(f"{path}:{i + 1}: {MARKER} is not followed by a ```sh or ```bash fence")
        end = next((j for j in range(i + 2, len(lines)) if lines[j].startswith(fence.group(1))
                    and not lines[j].strip().strip("`")), None)
        if end is None:
            sys.exit(f"{path}:{i + 2}: the block is not closed")
        found.append((i + 2, "\n".join(lines[i + 2:end]) + "\n"))
    return found


def main(args):
    list_only = "--list" in args
    files = [a for a in args if a != "--list"] or (
        [os.path.join(ROOT, "README.md")] + sorted(glob.glob(os.path.join(ROOT, "docs", "*.md"))))
    marked = [(os.path.relpath(f, ROOT), line, text) for f in files for line, text in blocks(f)]
    if not marked:
        sys.exit(f"no block marked {MARKER} in {', '.join(files)}")
    failed = []
    for name, line, text in marked:
        print(f"== {name}:{line}\n{text.rstrip()}", flush=True)
        if list_only:
            continue
        started = time.monotonic()
        code = subprocess.run(["bash", "-euo", "pipefail", "-c", text], cwd=ROOT).returncode
        seconds = time.monotonic() - started
        if code != 0:
            failed.append(f"{name}:{line}")
            print(f"-- FAILED with exit status {code} after {seconds:.0f} s", flush=True)
        else:
            print(f"-- ok in {seconds:.0f} s", flush=True)
    if not list_only:
        print(f"{len(marked) - len(failed)} of {len(marked)} runnable blocks passed" +
              (f"; failed: {', '.join(failed)}" if failed else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
