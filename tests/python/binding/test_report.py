"""The flop sets against a brute force over the suit permutations, and a report
over flops against the solver and the calculator run on each flop alone."""
from itertools import permutations

import pytest

import oddsmith
from oddsmith.flops import canonical, flop_set

np = pytest.importorskip("numpy")

TINY = dict(pot=20, stack=40, flop_bets="50%", flop_raises=None, turn_bets="50%", turn_raises=None,
            river_bets="50%", river_raises=None)


def _orbit(cards):
    return {frozenset(c // 4 * 4 + perm[c % 4] for c in cards) for perm in permutations(range(4))}


def test_flop_sets_cover_every_flop_once():
    everything = flop_set("all")
    cards = [tuple(oddsmith.parse_cards(f)) for f, _ in everything]
    assert len(everything) == 1755 and len({frozenset(c) for c in cards}) == 1755
    seen = set()
    for (_, weight), flop in zip(everything, cards):
        orbit = _orbit(flop)
        assert weight == len(orbit) and not (orbit & seen)  # its weight is its class's size; no class twice
        assert canonical(flop) == flop  # each is its class's canonical flop, highest card first
        seen |= orbit
    assert len(seen) == 22100
    by_high = {}
    for f, w in everything:
        by_high[f[0]] = by_high.get(f[0], 0) + w
    for size in (184, 95, 49):
        subset = flop_set(str(size))
        assert len(subset) == size and len({f for f, _ in subset}) == size
        assert sum(w for _, w in subset) == 22100
        assert {f for f, _ in subset} <= {f for f, _ in everything}
        high = {}
        for f, w in subset:
            high[f[0]] = high.get(f[0], 0) + w
        assert high == by_high  # a representative stands for flops of its own high card only
    with pytest.raises(ValueError):
        flop_set("As Ks")


def test_a_report_is_each_flop_solved_alone():
    flops = ["Kh 8d 3c", "9c 8c 7c", "Ts Td 4h"]
    report = oddsmith.aggregate("AA, KK, AK, T9s", "QQ, JJ, AQs, 87s", flops=flops, target=2, workers=2, **TINY)
    assert not report.failed and [r["flop"] for r in report.rows] == ["Kh8d3c", "9c8c7c", "TsTd4h"]
    for flop, row in zip(flops, report.rows):
        alone = oddsmith.solve("AA, KK, AK, T9s", "QQ, JJ, AQs, 87s", board=flop, target=2, threads=1, **TINY)
        assert [row[f"freq {a}"] for a in alone.node().actions] == [a.frequency for a in alone.node().actions]
        assert (row["oop_ev"], row["ip_equity"], row["exploitability_pct"]) == (
            alone.ev[0], alone.equity[1], alone.exploitability_pct)
    assert report.columns[:4] == ["flop", "weight", "high", "texture"]
    assert report.weighted_mean("oop_ev") == pytest.approx(sum(r["oop_ev"] for r in report.rows) / 3)
    assert "<svg" in report.to_svg() and report.to_csv().count("\n") == 4


def test_an_equity_report_agrees_with_the_calculator():
    report = oddsmith.aggregate("AA, KK, AKs, 98s", "QQ-TT, AQo", flops=[("Ah 7c 2d", 24), ("9h 8h 3s", 12)],
                                kind="equity")
    for row in report.rows:
        exact = oddsmith.equity(["AA, KK, AKs, 98s", "QQ-TT, AQo"], board=row["flop"], exact=True)
        assert row["oop_equity"] == pytest.approx(exact.players[0].equity, abs=1e-9)
        assert row["ip_equity"] == pytest.approx(exact.players[1].equity, abs=1e-9)
        for side in ("oop", "ip"):
            assert sum(v for c, v in row.items() if c.startswith(side + " ")) == pytest.approx(1)
    # Ah7c2d: OOP holds AA (3 combos left, a set), KK (6), AKs (3, top pair), 98s (4): 16 in all.
    assert (report.rows[0]["oop Set"], report.rows[0]["oop Top pair"]) == (3 / 16, 3 / 16)
    assert report.rows[1]["weight"] == 12


def test_a_failing_flop_is_reported_and_the_others_kept():
    report = oddsmith.aggregate("AA, KK", "QQ, JJ", flops="Kh 8d 3c, As Ks 2c", kind="equity", dead="As", retries=1)
    assert [r["flop"] for r in report.rows] == ["Kh8d3c"] and list(report.failed) == ["AsKs2c"]
    assert "As" in report.failed["AsKs2c"]
