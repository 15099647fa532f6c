#!/usr/bin/env python3
"""Writes each golden archive NAME.bin from the hex lines of NAME.txt (lines starting with '#'
describe the bytes below them). Run from anywhere: python3 tests/data/txt2bin.py"""
import pathlib

here = pathlib.Path(__file__).resolve().parent
for text in sorted(here.glob("*.txt")):
    hex_lines = [l for l in text.read_text().splitlines() if l.strip() and not l.startswith("#")]
    text.with_suffix(".bin").write_bytes(bytes.fromhex(" ".join(hex_lines)))
