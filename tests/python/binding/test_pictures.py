"""Breakdown.to_svg() and Chart.to_svg() draw, from the Python objects' own
data, byte for byte the pictures the command line writes for the same query."""
import subprocess

import pytest

import oddsmith
from oddsmith._command import program

FLOP = ["QQ+, AKs, 98s", "JJ-99, AQo"]


@pytest.mark.parametrize("made, command", [
    # Compiled-in exact equities; the calculator per class, with a board and in short deck.
    (lambda: oddsmith.chart("random"), ["chart", "random"]),
    (lambda: oddsmith.chart("QsQd", board="2c 7h 9d"), ["chart", "QsQd", "--board", "2c7h9d"]),
    (lambda: oddsmith.chart("AhKh, QQ+", game="shortdeck"), ["chart", "AhKh, QQ+", "--game", "shortdeck"]),
    # Exact on the flop, three players on the turn, the river (no next cards),
    # and a seeded Hi/Lo simulation with its lows, named by the game's alias.
    (lambda: oddsmith.breakdown(FLOP, board="Qh7c2d"), ["breakdown", *FLOP, "--board", "Qh7c2d"]),
    (lambda: oddsmith.breakdown([*FLOP, "random"], board="Qh7c2d5s"), ["breakdown", *FLOP, "random", "-b", "Qh7c2d5s"]),
    (lambda: oddsmith.breakdown(FLOP, board="Qh7c2d5s9h"), ["breakdown", *FLOP, "--board", "Qh7c2d5s9h"]),
    (lambda: oddsmith.breakdown(["AA, KK", "random"], board="Ah7c2d", game="hilo", trials=2000, seed=5),
     ["breakdown", "AA, KK", "random", "--game", "hilo", "--board", "Ah7c2d", "--trials", "2000", "--seed", "5"]),
], ids=["chart random", "chart on a flop", "chart short deck", "breakdown flop", "breakdown turn",
        "breakdown river", "breakdown hilo"])
def test_to_svg_is_the_command_lines_picture(made, command, tmp_path):
    picture = tmp_path / "picture.svg"
    run = subprocess.run([program(), *command, "--svg", str(picture)], capture_output=True, text=True, timeout=120)
    assert run.returncode == 0, run.stderr
    assert made().to_svg() == picture.read_text()


def test_a_chart_holds_each_class_and_draws_what_it_holds():
    chart = oddsmith.chart("AhAc", board="As Kd 2c")
    assert (chart.game, chart.opponent, chart.board, len(chart.classes)) == ("holdem", "AhAc", "AsKd2c", 169)
    assert list(chart.classes)[:3] == ["AA", "AKs", "AQs"]
    # Ad is the one ace left and Kd is on the board: no AA, no AKs; every other class plays.
    assert {label for label, e in chart.classes.items() if e is None} == {"AA", "AKs"}
    # Drawn from the object's own numbers: a class without one is grey, with no percentage.
    svg = oddsmith.Chart("holdem", "random", "", {"AA": 0.85}).to_svg()
    assert svg.count('fill="rgb(235,235,235)"') == 168 and ">85%</text>" in svg
    assert svg.count("%</text>") == 1 + 4  # AA's cell, then the scale's three marks and its note


@pytest.mark.parametrize("call, words", [
    (lambda: oddsmith.chart("AhKhQhJh", game="omaha"), "two-card games"),
    (lambda: oddsmith.chart(["QQ+"]), "the opponent is a hand or range as text"),
    (lambda: oddsmith.chart("QQ+", game="stud"), "game must be one of"),
])
def test_a_chart_refuses_what_it_cannot_draw(call, words):
    with pytest.raises(ValueError, match=words):
        call()
