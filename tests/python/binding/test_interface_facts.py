"""The Python side's copy of the interface agrees with the C side's: every
ODDSMITH_* fact of the public header, and the exports of the version script."""
import os
import re

from oddsmith import _facts, _library

SOURCE = os.path.join(os.path.dirname(__file__), "..", "..", "..")


def test_facts_match_the_public_header():
    with open(os.path.join(SOURCE, "include", "oddsmith.h")) as f:
        header = dict(re.findall(r"^#define ODDSMITH_(\w+) (\"[^\"]*\"|-?\d+)", f.read(), re.M))
    checked = 0
    for name, text in header.items():
        value = text.strip('"') if text.startswith('"') else int(text)
        if hasattr(_facts, name):
            assert getattr(_facts, name) == value, name
            checked += 1
    assert checked >= 20, f"only {checked} facts found in both"


def test_declared_exports_are_the_version_scripts_exports():
    with open(os.path.join(SOURCE, "oddsmith", "exports.map")) as f:
        global_part = f.read().split("global:")[1].split("local:")[0]
    assert set(re.findall(r"(\w+);", global_part)) == set(_library.EXPORTS)
