"""scripts/dev/mutation.py: its tokenizer, the sites it finds, its sample, its restoring of a file."""
import contextlib
import pathlib
import sys
import types

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts" / "dev"))
import mutation  # noqa: E402

TRICKY = r'''a = "x//\"y" + '\'' /* b < c
*/ + R"d(e)" f)d" + u8R"(g)" + L'h'; // i > j
#define K(x) \
  ((x) >> 1)
std::vector<std::vector<int>> v; 1'000u >>= 0x1F;'''

SNIPPET = """#include <vector>
struct S { int a = 1; virtual void p() = 0; };
int f(int x, std::vector<std::vector<int>> v) {
  if (x < 0x1F && v.empty()) g(x);
  static_assert(sizeof(int) == 4, "");
  h(x != 010, true);
  S y = 0;
  return x >= 0b10 ? "s < t" : 'c';
}
"""


def test_tokenizer_keeps_literals_and_directives_whole_and_drops_comments():
    tokens = mutation.tokenize(TRICKY)
    assert [f"{t.kind} {t.text}" for t in tokens if t.kind != "punct"] == [
        "id a", r'str "x//\"y"', r"chr '\''", 'str R"d(e)" f)d"', 'str u8R"(g)"', "chr L'h'",
        "pp #define K(x) \\\n  ((x) >> 1)", "id std", "id vector", "id std", "id vector", "id int",
        "id v", "num 1'000u", "num 0x1F"]
    punctuators = [t.text for t in tokens if t.kind == "punct"]
    assert punctuators == "= + + + + ; :: < :: < >> ; >>= ;".split()
    assert all(TRICKY[t.start:t.end] == t.text for t in tokens)


def test_sites_of_a_snippet():
    sites = [(s.operator, s.original, *s.replacements) for s in mutation.find_sites(SNIPPET)]
    assert sites == [
        ("literal", "1", "2", "0"), ("relational", "<", "<="), ("literal", "0x1F", "0x20", "0x1E"),
        ("logical", "&&", "||"), ("statement", "g(x);", ";"),
        ("statement", "h(x != 010, true);", ";"), ("equality", "!=", "=="),
        ("literal", "010", "011", "007"), ("boolean", "true", "false"), ("literal", "0", "1"),
        ("relational", ">=", ">"), ("literal", "0b10", "0b11", "0b01")]


@pytest.fixture
def tree(tmp_path, monkeypatch):
    for rel, text in (("platform/a.cpp", SNIPPET), ("dataobjects/b.h", "int b = 1;\n")):
        (tmp_path / rel).parent.mkdir()
        (tmp_path / rel).write_text(text)
    monkeypatch.setattr(mutation, "ROOT", str(tmp_path))
    return tmp_path


def test_sample_is_deterministic_and_points_at_its_sites(tree):
    mutants, counts = mutation.select_mutants(7, 3, [])
    assert counts == {"dataobjects/b.h": 1, "platform/a.cpp": 12}
    assert len(mutants) == 3 and {m.file for m in mutants} == set(counts)  # every file
    for m in mutants:
        text = (tree / m.file).read_text()
        assert text[m.start : m.end] == m.original and "\n" not in m.mutated
        assert text.count("\n", 0, m.start) + 1 == m.line
    keys = [[m.key() for m in mutation.select_mutants(seed, 3, [])[0]] for seed in (7, 8)]
    assert keys[0] == [m.key() for m in mutants] != keys[1]


@pytest.mark.parametrize("fault", [None, KeyboardInterrupt])
def test_mutant_is_applied_then_reverted(tree, fault):
    mutant = next(m for m in mutation.select_mutants(3, 99, [])[0] if m.operator == "statement")
    runner = mutation.Runner(types.SimpleNamespace(build_dir="build"))
    runner.src, path = str(tree), tree / mutant.file  # mutants go to the copy of the sources
    original, seen = path.read_text(), []

    def compile():  # what the build sees; an interruption while it runs
        seen.append(path.read_text())
        if fault:
            raise fault
        return 1, "error: x", 0.0

    runner.compile = compile
    with pytest.raises(fault) if fault else contextlib.nullcontext():
        assert runner.run_mutant(mutant)["outcome"] == "not compiling"
    assert seen == [original[: mutant.start] + mutant.mutated + original[mutant.end :]]
    assert path.read_text() == original
