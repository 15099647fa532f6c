#!/usr/bin/env python3
"""Mutation testing: how many injected faults in the library does the test suite catch?

Picks a reproducible sample of small faults in the library sources (platform/,
libs/utilities/archive/, dataobjects/, each with its detail/ folder), and for each one builds
the tree with that single fault and runs the whole CTest suite. A fault the suite notices is "killed", one it does not
notice "survived"; a fault that does not build is only counted as such.

Faults (each keeps every line where it is, so no reported line number moves):
  relational   <  <=  >  >=   one for the other of the same direction (< with <=, > with >=)
  equality     ==  !=         swapped
  logical      &&  ||         swapped
  literal      an integer literal one more or one less (decimal, hex, octal, binary)
  boolean      true  false    swapped
  statement    a one-line expression statement replaced by an empty statement

The sources are copied to BUILD_DIR/src and the faults are applied to that copy, never to the
working tree, so an interrupted run cannot leave a fault behind; BUILD_DIR/build is the CMake
build of the copy, configured once and then built incrementally.

Usage:
  scripts/dev/mutation.py --list                  # the sample for the default seed, nothing built
  scripts/dev/mutation.py                         # 80 mutants, seed 1
  scripts/dev/mutation.py --seed 7 --count 100 --json out.json
  scripts/dev/mutation.py --only 3,17             # just mutants 3 and 17 of the sample
  scripts/dev/mutation.py --compare before.json --json after.json
"""

import argparse
import bisect
import dataclasses
import fnmatch
import glob
import hashlib
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

LIBRARY_SOURCES = [
    "platform/*.h",
    "platform/*.cpp",
    "platform/detail/*.h",
    "libs/utilities/archive/*",
    "libs/utilities/archive/detail/*.h",
    "dataobjects/*.h",
    "dataobjects/*.cpp",
    "dataobjects/detail/*.h",
]

# ---- tokenizer -----------------------------------------------------------------------------

PUNCTUATORS = sorted(
    """<=> <<= >>= ... ->* :: -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= .* ##
    { } [ ] ( ) ; : ? . , + - * / % ^ & | ~ ! = < > #""".split(),
    key=len,
    reverse=True,
)
STRING_PREFIXES = {"u8", "u", "U", "L", "R", "u8R", "uR", "UR", "LR"}
CHAR_PREFIXES = {"u8", "u", "U", "L"}


@dataclasses.dataclass
class Token:
    kind: str  # id, num, str, chr, punct, pp (a whole preprocessor directive)
    text: str
    start: int
    end: int


def _skip_quoted(text, i, quote):
    """Index just past the literal that opens with `quote` at i."""
    n = len(text)
    i += 1
    while i < n:
        c = text[i]
        if c == "\\":
            i += 2
            continue
        if c == quote or c == "\n":
            return i + 1
        i += 1
    return n


def _skip_raw_string(text, i):
    """Index just past the raw string literal whose opening quote is at i."""
    open_paren = text.find("(", i + 1)
    if open_paren < 0:
        return len(text)
    delimiter = text[i + 1 : open_paren]
    close = text.find(")" + delimiter + '"', open_paren + 1)
    return len(text) if close < 0 else close + len(delimiter) + 2


def tokenize(text):
    """The tokens of a C++ source; comments are dropped, literals and directives kept whole."""
    tokens = []
    i, n = 0, len(text)
    line_start = True  # nothing but blanks and comments since the last newline
    while i < n:
        c = text[i]
        if c == "\n":
            line_start = True
            i += 1
            continue
        if c in " \t\r\f\v":
            i += 1
            continue
        if c == "\\" and text.startswith("\n", i + 1):
            i += 2
            continue
        if text.startswith("//", i):
            while i < n and text[i] != "\n":
                i += 1
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            if "\n" in text[i:end]:
                line_start = True
            i = end
            continue
        if c == "#" and line_start:
            start = i
            while i < n and text[i] != "\n":
                if text[i] == "\\" and text.startswith("\n", i + 1):
                    i += 2
                elif text.startswith("/*", i):
                    end = text.find("*/", i + 2)
                    i = n if end < 0 else end + 2
                elif text.startswith("//", i):
                    while i < n and text[i] != "\n":
                        i += 1
                elif text[i] in "\"'":
                    i = _skip_quoted(text, i, text[i])
                else:
                    i += 1
            tokens.append(Token("pp", text[start:i], start, i))
            continue
        line_start = False
        start = i
        if c.isalpha() or c == "_":
            while i < n and (text[i].isalnum() or text[i] == "_"):
                i += 1
            word = text[start:i]
            if i < n and text[i] == '"' and word in STRING_PREFIXES:
                i = _skip_raw_string(text, i) if word.endswith("R") else _skip_quoted(text, i, '"')
                tokens.append(Token("str", text[start:i], start, i))
            elif i < n and text[i] == "'" and word in CHAR_PREFIXES:
                i = _skip_quoted(text, i, "'")
                tokens.append(Token("chr", text[start:i], start, i))
            else:
                tokens.append(Token("id", word, start, i))
            continue
        if c.isdigit() or (c == "." and i + 1 < n and text[i + 1].isdigit()):
            i += 1
            while i < n:
                if text[i] in "eEpP" and i + 1 < n and text[i + 1] in "+-":
                    i += 2
                elif text[i].isalnum() or text[i] in "._":
                    i += 1
                elif text[i] == "'" and i + 1 < n and (text[i + 1].isalnum() or text[i + 1] == "_"):
                    i += 2  # digit separator
                else:
                    break
            tokens.append(Token("num", text[start:i], start, i))
            continue
        if c == '"':
            i = _skip_quoted(text, i, '"')
            tokens.append(Token("str", text[start:i], start, i))
            continue
        if c == "'":
            i = _skip_quoted(text, i, "'")
            tokens.append(Token("chr", text[start:i], start, i))
            continue
        for p in PUNCTUATORS:
            if text.startswith(p, i):
                i += len(p)
                break
        else:
            i += 1
        tokens.append(Token("punct", text[start:i], start, i))
    return tokens


# ---- mutation sites ------------------------------------------------------------------------


@dataclasses.dataclass
class Site:
    start: int
    end: int
    operator: str
    original: str
    replacements: list


@dataclasses.dataclass
class Mutant:
    file: str
    line: int
    column: int
    start: int
    end: int
    operator: str
    original: str
    mutated: str
    source_line: str

    def key(self):
        return f"{self.file}:{self.line}:{self.column}:{self.operator}:{self.original}->{self.mutated}"

    def describe(self):
        return f"{self.file}:{self.line}: {self.operator}: {short(self.original)} -> {short(self.mutated)}"


def short(text, limit=60):
    text = " ".join(text.split())
    return text if len(text) <= limit else text[: limit - 3] + "..."


SWAPS = {
    "<": ("relational", "<="),
    "<=": ("relational", "<"),
    ">": ("relational", ">="),
    ">=": ("relational", ">"),
    "==": ("equality", "!="),
    "!=": ("equality", "=="),
    "&&": ("logical", "||"),
    "||": ("logical", "&&"),
}

# Words that open something other than an expression statement.
NOT_EXPRESSION_START = set(
    """return break continue goto case default using typedef namespace template static_assert
    auto const constexpr consteval constinit static inline virtual explicit friend struct class
    enum union extern volatile mutable unsigned signed int char char8_t char16_t char32_t wchar_t
    bool long short double float void if for while do switch else try catch public private
    protected thread_local register typename decltype sizeof alignas operator co_return
    co_yield co_await asm""".split()
)
KEYWORDS = NOT_EXPRESSION_START | {"this", "throw", "delete", "new", "true", "false", "nullptr"}
EXPRESSION_START_PUNCT = {"::", "++", "--", "*", "("}
INTEGER_SUFFIX = re.compile(r"([uU](?:ll|LL|l|L|z|Z)?|(?:ll|LL|l|L|z|Z)[uU]?)?$")


def integer_replacements(literal):
    """The literals one above and one below `literal`, written alike; [] for a non-integer."""
    if "'" in literal:
        return []
    suffix = INTEGER_SUFFIX.search(literal).group(0)
    body = literal[: len(literal) - len(suffix)]
    lower = body.lower()
    if lower.startswith("0x"):
        digits, base, prefix = body[2:], 16, body[:2]
    elif lower.startswith("0b"):
        digits, base, prefix = body[2:], 2, body[:2]
    elif len(body) > 1 and body.startswith("0"):
        digits, base, prefix = body[1:], 8, "0"
    else:
        digits, base, prefix = body, 10, ""
    try:
        value = int(digits, base)
    except ValueError:
        return []  # a floating literal or a user-defined suffix
    upper = any(ch in "ABCDEF" for ch in digits)

    def spell(number):
        text = {16: "%x", 8: "%o", 10: "%d"}.get(base, "")
        text = text % number if text else bin(number)[2:]
        if upper:
            text = text.upper()
        if base != 10:
            text = text.rjust(len(digits), "0")
        return prefix + text + suffix

    out = [spell(value + 1)]
    if value > 0:
        out.append(spell(value - 1))
    return out


def find_sites(text):
    """Every mutation site of one source text, in text order."""
    code = [t for t in tokenize(text) if t.kind != "pp"]
    count = len(code)
    line_starts = [0] + [m.end() for m in re.finditer("\n", text)]

    def line_of(offset):
        return bisect.bisect_right(line_starts, offset)

    # Matching brackets, and the kind of every brace scope: "code" (function bodies, blocks,
    # lambdas, initializers) or "decl" (namespaces, classes, enums).
    match = {}
    stack = []
    for k, t in enumerate(code):
        if t.kind != "punct":
            continue
        if t.text in "([{":
            stack.append(k)
        elif t.text in ")]}" and stack:
            match[stack[-1]] = k
            match[k] = stack.pop()
    scope = [""] * count
    scopes = []
    for k, t in enumerate(code):
        scope[k] = scopes[-1] if scopes else "decl"
        if t.kind == "punct" and t.text == "{":
            j, words, paren = k - 1, set(), False
            while j >= 0 and code[j].text not in (";", "{", "}"):
                words.add(code[j].text)
                paren = paren or code[j].text == "("
                j -= 1
            if "namespace" in words or "extern" in words:
                scopes.append("decl")
            elif not paren and words & {"class", "struct", "union", "enum"}:
                scopes.append("decl")
            else:
                scopes.append("code")
        elif t.kind == "punct" and t.text == "}" and scopes:
            scopes.pop()

    # Compile-time checks and attributes are left alone.
    skipped = set()
    for k, t in enumerate(code):
        if t.text in ("static_assert", "alignas") and k + 1 < count and (k + 1) in match:
            skipped.update(range(k, match[k + 1] + 1))
        if t.text == "[" and k + 1 < count and code[k + 1].text == "[" and (k + 1) in match:
            skipped.update(range(k, match[k + 1] + 2))

    sites = []
    for k, t in enumerate(code):
        if k in skipped:
            continue
        previous = code[k - 1].text if k > 0 else ""
        if t.kind == "punct" and t.text in SWAPS and previous != "operator":
            spaced = t.start > 0 and text[t.start - 1] in " \t\n" and text[t.end : t.end + 1] in (" ", "\n")
            if t.text in ("<", ">", "&&") and not spaced:
                continue  # a template bracket or an rvalue reference
            name, other = SWAPS[t.text]
            sites.append(Site(t.start, t.end, name, t.text, [other]))
        elif t.kind == "num":
            following = code[k + 1].text if k + 1 < count else ""
            before = code[k - 2].text if k > 1 else ""
            if previous == "=" and following == ";" and before in (")", "const", "override"):
                continue  # "= 0" of a pure virtual function
            replacements = integer_replacements(t.text)
            if replacements:
                sites.append(Site(t.start, t.end, "literal", t.text, replacements))
        elif t.kind == "id" and t.text in ("true", "false"):
            sites.append(Site(t.start, t.end, "boolean", t.text, ["false" if t.text == "true" else "true"]))

    # One-line expression statements: a whole line, or the body of a one-line if.
    by_line = {}
    for k, t in enumerate(code):
        by_line.setdefault(line_of(t.start), []).append(k)

    def starts_statement(k):
        """Whether a statement may begin at token k, judged from the token before it."""
        if k == 0:
            return False
        p = code[k - 1]
        if p.text in (";", "{", "}", "else", "do"):
            return True
        if p.text == ")" and (k - 1) in match:
            opener = match[k - 1]
            return opener > 0 and code[opener - 1].text in ("if", "for", "while")
        if p.text == ":":
            first = by_line[line_of(p.start)][0]
            return code[first].text in ("case", "default")
        return False

    def expression_statement(first, last):
        """Whether tokens first..last (last being ';') form one expression statement."""
        if last <= first or code[last].text != ";" or scope[first] != "code":
            return False
        head = code[first]
        if head.kind == "id":
            if head.text in NOT_EXPRESSION_START:
                return False
        elif not (head.kind == "punct" and head.text in EXPRESSION_START_PUNCT):
            return False
        depth = 0
        for k in range(first, last + 1):
            s = code[k].text
            if s in ("{", "}"):
                return False
            if s in ("(", "["):
                if match.get(k, last + 1) > last:
                    return False
                depth += 1
            elif s in (")", "]"):
                depth -= 1
            elif s == ";" and depth == 0 and k != last:
                return False
        # A declaration: a name (or the end of a template argument list) followed by a name,
        # possibly with a pointer or reference in between, before anything else happens.
        k, template = first, False
        while k < last:
            s = code[k]
            if s.text in ("=", "(", "{", ";", ".", "->", "[", "++", "--") or s.text.endswith("="):
                break
            if s.text == "<" and text[s.end : s.end + 1] not in (" ", "\n"):
                template = True
            nxt = code[k + 1]
            closes = s.text == ">" or (s.text == ">>" and template)
            if (s.kind == "id" and s.text not in KEYWORDS) or closes:
                if nxt.kind == "id" and nxt.text not in KEYWORDS:
                    return False
                if (nxt.text in ("*", "&", "&&") and k + 2 < last and code[k + 2].kind == "id"
                        and code[k + 2].text not in KEYWORDS):
                    return False
            k += 1
        return True

    for line in sorted(by_line):
        indices = by_line[line]
        first, last = indices[0], indices[-1]
        if code[last].text != ";":
            continue
        if starts_statement(first) and expression_statement(first, last):
            sites.append(Site(code[first].start, code[last].end, "statement",
                              text[code[first].start : code[last].end], [";"]))
            continue
        # if (condition) statement;
        if (code[first].text == "if" and starts_statement(first) and first + 1 <= last
                and code[first + 1].text == "(" and match.get(first + 1, last) < last):
            body = match[first + 1] + 1
            if expression_statement(body, last):
                sites.append(Site(code[body].start, code[last].end, "statement",
                                  text[code[body].start : code[last].end], [";"]))
    sites.sort(key=lambda s: (s.start, s.operator))
    return sites


def library_files(patterns):
    files = set()
    for pattern in LIBRARY_SOURCES:
        for path in glob.glob(os.path.join(ROOT, pattern)):
            if os.path.isfile(path):
                rel = os.path.relpath(path, ROOT)
                if not patterns or any(fnmatch.fnmatch(rel, p) for p in patterns):
                    files.add(rel)
    return sorted(files)


def select_mutants(seed, count, patterns):
    """The sample: at least one mutant in every file that has a site, the rest drawn from all
    remaining sites; the same seed and sources always give the same list."""
    rng = random.Random(seed)
    texts, sites = {}, {}
    for rel in library_files(patterns):
        with open(os.path.join(ROOT, rel), encoding="utf-8") as f:
            texts[rel] = f.read()
        sites[rel] = find_sites(texts[rel])
    files = [rel for rel in sorted(sites) if sites[rel]]
    chosen = []
    if count >= len(files):
        for rel in files:
            chosen.append((rel, rng.randrange(len(sites[rel]))))
        taken = set(chosen)
        pool = [(rel, i) for rel in files for i in range(len(sites[rel])) if (rel, i) not in taken]
        for _ in range(min(count - len(chosen), len(pool))):
            chosen.append(pool.pop(rng.randrange(len(pool))))
    else:
        remaining = list(files)
        for _ in range(count):
            rel = remaining.pop(rng.randrange(len(remaining)))
            chosen.append((rel, rng.randrange(len(sites[rel]))))
    chosen.sort(key=lambda c: (c[0], sites[c[0]][c[1]].start, sites[c[0]][c[1]].operator))
    mutants = []
    for rel, i in chosen:
        site = sites[rel][i]
        text = texts[rel]
        replacement = site.replacements[rng.randrange(len(site.replacements))]
        line = text.count("\n", 0, site.start) + 1
        line_start = text.rfind("\n", 0, site.start) + 1
        line_end = text.find("\n", site.start)
        source_line = text[line_start : line_end if line_end >= 0 else len(text)]
        mutants.append(Mutant(rel, line, site.start - line_start + 1, site.start, site.end,
                              site.operator, site.original, replacement, source_line.strip()))
    return mutants, {rel: len(sites[rel]) for rel in sorted(sites)}


def fingerprint(mutants):
    return hashlib.sha256("\n".join(m.key() for m in mutants).encode()).hexdigest()[:16]


# ---- running -------------------------------------------------------------------------------


def run(command, cwd, timeout):
    """Runs `command` in its own process group; returns (exit code or None on timeout, output,
    seconds). The whole group is killed on a timeout or an interruption."""
    started = time.monotonic()
    process = subprocess.Popen(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               stdin=subprocess.DEVNULL, start_new_session=True)
    try:
        output, _ = process.communicate(timeout=timeout)
        code = process.returncode
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        output, _ = process.communicate()
        code = None
    except BaseException:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        raise
    return code, output.decode("utf-8", "replace"), time.monotonic() - started


def source_list():
    """The files of the working tree that a build can see: tracked and untracked but not
    ignored, or everything outside build directories when this is not a git checkout."""
    try:
        out = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                             cwd=ROOT, check=True, capture_output=True).stdout
        return sorted(p for p in out.decode().split("\0") if p and os.path.isfile(os.path.join(ROOT, p)))
    except (OSError, subprocess.CalledProcessError):
        files = []
        for directory, dirs, names in os.walk(ROOT):
            dirs[:] = [d for d in dirs if d != ".git" and not d.startswith("build")]
            files += [os.path.relpath(os.path.join(directory, n), ROOT) for n in names]
        return sorted(files)


def sync_copy(destination):
    """Makes `destination` a copy of the working tree. Files already equal are not touched, so
    an earlier build of the copy stays valid for them."""
    wanted = set(source_list())
    for rel in sorted(wanted):
        source, target = os.path.join(ROOT, rel), os.path.join(destination, rel)
        with open(source, "rb") as f:
            data = f.read()
        if os.path.isfile(target):
            with open(target, "rb") as f:
                if f.read() == data:
                    shutil.copymode(source, target)
                    continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(data)
        shutil.copymode(source, target)
    for directory, _, names in os.walk(destination, topdown=False):
        for name in names:
            path = os.path.join(directory, name)
            if os.path.relpath(path, destination) not in wanted:
                os.remove(path)
        if directory != destination and not os.listdir(directory):
            os.rmdir(directory)


def ctest_regex(names):
    return "^(" + "|".join(re.sub(r"([][.+*?^$()|\\])", r"\\\1", n) for n in names) + ")$"


# Test names may hold blanks and brackets (typed tests: "Suite.Case<(anonymous namespace)::T>").
TEST_LINE = re.compile(r"Test\s+#\d+: (.+?) \.+\s*(.*?)\s+([\d.]+) sec\s*$")
FAILED_LINE = re.compile(r"^\s*\d+ - (.+) \(([^()]*)\)\s*$")


def parse_ctest(output):
    """The duration of every test that ran, and the failed tests with their reasons."""
    durations, failed, in_failed = {}, {}, False
    for line in output.splitlines():
        m = TEST_LINE.search(line)
        if m:
            durations[m.group(1)] = float(m.group(3))
            if m.group(2) != "Passed":
                failed[m.group(1)] = m.group(2).strip("*")
        if line.startswith("The following tests FAILED"):
            in_failed = True
        elif in_failed:
            m = FAILED_LINE.match(line)
            if m:
                failed[m.group(1)] = m.group(2)
    return durations, failed


class Runner:
    def __init__(self, args):
        self.args = args
        self.base = os.path.abspath(os.path.join(ROOT, args.build_dir))
        self.src = os.path.join(self.base, "src")
        self.build = os.path.join(self.base, "build")
        self.quick, self.slow = [], []
        self.applied = False  # whether a mutant has been written to the copy

    def log(self, message):
        print(message, flush=True)

    def configure(self):
        sync_copy(self.src)
        if os.path.isfile(os.path.join(self.build, "CMakeCache.txt")):
            return
        # The preset "mutation" of the copy's CMakePresets.json, in the folder of this run.
        command = ["cmake", "--preset", "mutation", "-S", self.src, "-B", self.build]
        if shutil.which("ninja"):
            command += ["-G", "Ninja"]
        code, output, _ = run(command, ROOT, 600)
        if code != 0:
            sys.exit("configuring the mutation build failed:\n" + output[-3000:])

    def compile(self):
        return run(["cmake", "--build", self.build, "--parallel", str(self.args.jobs)], ROOT,
                   self.args.build_timeout)

    def ctest(self, select, timeout_per_test, total_timeout, stop_on_failure):
        command = ["ctest", "--parallel", str(self.args.jobs), "--timeout", str(int(timeout_per_test)),
                   "--no-tests=error"] + select + self.args.ctest_args
        if stop_on_failure:
            command.append("--stop-on-failure")
        return run(command, self.build, total_timeout)

    def baseline(self):
        """Builds the unchanged sources and runs the suite once: it must pass, and its timings
        set the timeouts and split off the slow tests, which then run only for the mutants
        that the quick ones did not catch."""
        self.log(f"building the unchanged sources in {os.path.relpath(self.build, ROOT)} ...")
        code, output, seconds = self.compile()
        if code != 0:
            sys.exit("the unchanged sources do not build:\n" + output[-3000:])
        self.log(f"  built in {seconds:.0f} s; running the suite ...")
        code, output, seconds = self.ctest([], 1500, 3600, False)
        durations, failed = parse_ctest(output)
        if code != 0 or not durations:
            sys.exit("the suite does not pass on the unchanged sources:\n" + output[-3000:])
        self.slow = sorted(n for n, d in durations.items() if d >= self.args.slow)
        self.quick = sorted(n for n in durations if n not in self.slow)
        longest_quick = max([durations[n] for n in self.quick] or [0])
        longest_slow = max([durations[n] for n in self.slow] or [0])
        self.quick_timeout = max(10.0, 5 * longest_quick)
        self.slow_timeout = max(30.0, 3 * longest_slow)
        self.log(f"  {len(durations)} tests pass in {seconds:.0f} s; "
                 f"{len(self.slow)} slow ones run last: {', '.join(self.slow) or 'none'}")
        return seconds

    def test(self):
        """Runs the suite on the current build: (outcome, failed tests, seconds)."""
        phases = []
        if self.slow:
            phases.append((["-E", ctest_regex(self.slow)], self.quick_timeout, True))
            phases.append((["-R", ctest_regex(self.slow)], self.slow_timeout, True))
        else:
            phases.append(([], self.quick_timeout, True))
        total = 0.0
        for select, per_test, stop in phases:
            budget = per_test * 4 + 120
            code, output, seconds = self.ctest(select, per_test, budget, stop)
            total += seconds
            if code is None:
                return "timeout", ["(the suite as a whole)"], total
            if code != 0:
                _, failed = parse_ctest(output)
                if any("Timeout" in reason for reason in failed.values()):
                    return "timeout", sorted(failed), total
                if not failed:
                    self.log(output[-3000:])
                return "killed", sorted(failed) or ["(ctest failed without a failed test)"], total
        return "survived", [], total

    def run_mutant(self, mutant):
        path = os.path.join(self.src, mutant.file)
        with open(path, "rb") as f:
            original = f.read()
        digest = hashlib.sha256(original).hexdigest()
        text = original.decode("utf-8")
        if text[mutant.start : mutant.end] != mutant.original:
            raise RuntimeError(f"{mutant.file} changed since the sample was drawn")
        mutated = text[: mutant.start] + mutant.mutated + text[mutant.end :]
        result = {"build_seconds": 0.0, "test_seconds": 0.0, "tests": [], "error": ""}
        try:
            self.applied = True
            with open(path, "wb") as f:
                f.write(mutated.encode("utf-8"))
            code, output, seconds = self.compile()
            result["build_seconds"] = round(seconds, 1)
            if code != 0:
                result["outcome"] = "not compiling"
                errors = [l for l in output.splitlines() if "error" in l]
                result["error"] = short(errors[0] if errors else "build timed out", 160)
                return result
            outcome, tests, seconds = self.test()
            result.update(outcome=outcome, tests=tests, test_seconds=round(seconds, 1))
            return result
        finally:
            with open(path, "wb") as f:
                f.write(original)
            with open(path, "rb") as f:
                if hashlib.sha256(f.read()).hexdigest() != digest:
                    raise RuntimeError(f"could not restore {path}")


def summarize(records):
    counts = {k: 0 for k in ("killed", "timeout", "survived", "not compiling")}
    for r in records:
        counts[r["outcome"]] += 1
    detected = counts["killed"] + counts["timeout"]
    judged = detected + counts["survived"]
    score = 100.0 * detected / judged if judged else 0.0
    return counts, detected, judged, score


def report(records, seed, list_fingerprint, print_fn=print):
    counts, detected, judged, score = summarize(records)
    print_fn("")
    print_fn(f"Mutation score (seed {seed}, {len(records)} mutants, list {list_fingerprint})")
    print_fn(f"  killed         {counts['killed']:4d}")
    print_fn(f"  timed out      {counts['timeout']:4d}  (counted as killed)")
    print_fn(f"  survived       {counts['survived']:4d}")
    print_fn(f"  not compiling  {counts['not compiling']:4d}  (not counted)")
    print_fn(f"  score          {detected}/{judged} = {score:.1f} %")
    print_fn("")
    print_fn(f"  {'file':58s} {'mut':>4s} {'kill':>5s} {'tout':>5s} {'surv':>5s} {'nc':>4s}")
    files = sorted({r["file"] for r in records})
    for rel in files:
        own = [r for r in records if r["file"] == rel]
        c = {k: sum(1 for r in own if r["outcome"] == k) for k in counts}
        print_fn(f"  {rel:58s} {len(own):4d} {c['killed']:5d} {c['timeout']:5d} {c['survived']:5d} {c['not compiling']:4d}")
    survivors = [r for r in records if r["outcome"] == "survived"]
    print_fn("")
    print_fn(f"Survivors ({len(survivors)}):")
    for r in survivors:
        print_fn(f"  #{r['id']} {r['file']}:{r['line']}: {r['operator']}: {short(r['original'])} -> {short(r['mutated'])}")
        print_fn(f"        {short(r['source_line'], 100)}")


def compare(old_path, records, fingerprint_now):
    with open(old_path, encoding="utf-8") as f:
        old = json.load(f)
    before = {r["key"]: r for r in old.get("mutants", [])}
    _, _, _, old_score = summarize(old.get("mutants", []))
    _, _, _, new_score = summarize(records)
    print("")
    print(f"Compared with {old_path}: score {old_score:.1f} % there, {new_score:.1f} % here")
    if old.get("fingerprint") != fingerprint_now:
        print(f"  the mutant lists differ (fingerprint {old.get('fingerprint')} there, "
              f"{fingerprint_now} here): mutants are matched by place and change")
    for r in records:
        o = before.get(r["key"])
        if o and o["outcome"] != r["outcome"]:
            print(f"  #{r['id']} {r['file']}:{r['line']}: {r['operator']}: {o['outcome']} -> {r['outcome']}")


def main():
    parser = argparse.ArgumentParser(
        description="Mutation testing of the library sources against the CTest suite.",
        formatter_class=argparse.RawDescriptionHelpFormatter,
        epilog="Mutants are numbered in the order of --list; the same seed and the same library "
               "sources always give the same list.")
    parser.add_argument("--seed", type=int, default=1, help="sampling seed (default 1)")
    parser.add_argument("--count", type=int, default=80, help="number of mutants (default 80)")
    parser.add_argument("--files", action="append", default=[], metavar="GLOB",
                        help="only sources matching GLOB (relative to the repository; repeatable)")
    parser.add_argument("--only", default="", metavar="N,M,...",
                        help="run only these mutants of the sample (numbers from --list)")
    parser.add_argument("--list", action="store_true", help="print the sample and stop")
    parser.add_argument("--build-dir", default="build/mutation",
                        help="holds the copy of the sources and its build (default build/mutation)")
    parser.add_argument("--jobs", type=int, default=2, help="build and test parallelism (default 2)")
    parser.add_argument("--build-timeout", type=float, default=900, help="seconds per build (default 900)")
    parser.add_argument("--slow", type=float, default=5.0,
                        help="tests that take at least this many seconds on the unchanged sources "
                             "run after the others, only when those pass (default 5)")
    parser.add_argument("--ctest-args", default="", help="extra ctest arguments, one string")
    parser.add_argument("--json", metavar="FILE", help="write every mutant and its outcome as JSON")
    parser.add_argument("--compare", metavar="FILE", help="a JSON file of an earlier run to compare with")
    args = parser.parse_args()
    args.ctest_args = args.ctest_args.split()

    mutants, site_counts = select_mutants(args.seed, args.count, args.files)
    print_id = fingerprint(mutants)
    numbered = list(enumerate(mutants, 1))
    if args.only:
        wanted = {int(x) for x in args.only.split(",") if x.strip()}
        numbered = [(i, m) for i, m in numbered if i in wanted]

    if args.list:
        print(f"{sum(site_counts.values())} sites in {len(site_counts)} files; "
              f"sample of {len(mutants)} with seed {args.seed} (fingerprint {print_id}):")
        for rel, n in site_counts.items():
            print(f"  {n:4d} sites  {rel}")
        for i, m in numbered:
            print(f"{i:3d} {m.describe()}")
        return 0

    def stop(signum, frame):
        raise KeyboardInterrupt

    signal.signal(signal.SIGTERM, stop)
    runner = Runner(args)
    records = []
    started = time.monotonic()
    try:
        runner.configure()
        runner.baseline()
        for position, (i, m) in enumerate(numbered, 1):
            print(f"[{position}/{len(numbered)}] #{i} {m.describe()}", flush=True)
            result = runner.run_mutant(m)
            detail = ", ".join(result["tests"][:3]) + (" ..." if len(result["tests"]) > 3 else "")
            if result["outcome"] == "not compiling":
                detail = result["error"]
            print(f"      {result['outcome']}  build {result['build_seconds']:.1f} s, tests "
                  f"{result['test_seconds']:.1f} s  {detail}", flush=True)
            records.append(dict(id=i, key=m.key(), **dataclasses.asdict(m), **result))
    except KeyboardInterrupt:
        print(f"\ninterrupted after {len(records)} mutants; the copy is restored", flush=True)
    finally:
        # Leave the build matching the unchanged sources (a later run would rebuild first anyway).
        if runner.applied:
            print("rebuilding the unchanged sources ...", flush=True)
            try:
                code, output, _ = runner.compile()
                if code != 0:
                    print("warning: rebuilding the unchanged sources failed:\n" + output[-2000:])
            except KeyboardInterrupt:
                print("rebuild skipped; the next run rebuilds first", flush=True)

    elapsed = time.monotonic() - started
    report(records, args.seed, print_id)
    print(f"\n{len(records)} mutants in {elapsed / 60:.1f} min "
          f"({elapsed / max(1, len(records)):.0f} s each including the baseline)")
    if args.json:
        counts, detected, judged, score = summarize(records)
        with open(args.json, "w", encoding="utf-8") as f:
            json.dump({"seed": args.seed, "count": args.count, "files": args.files,
                       "fingerprint": print_id, "summary": dict(counts, score=round(score, 1)),
                       "seconds": round(elapsed), "mutants": records}, f, indent=1)
            f.write("\n")
    if args.compare:
        compare(args.compare, records, print_id)
    return 0


if __name__ == "__main__":
    sys.exit(main())
