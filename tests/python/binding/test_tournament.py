"""ICM and push/fold through the package: typed results that agree with the
model's reductions, seeded sampling, ranges that the calculator reads, the
chart's picture, and the errors raised for bad input."""
import math
import warnings

import pytest

import oddsmith


def test_icm_exact_and_sampled():
    exact = oddsmith.icm([5000, 3000, 2000, 0], [50, 30, 20])
    assert exact.exact and exact.samples == 0
    assert [p.stack for p in exact.players] == [5000, 3000, 2000, 0]
    assert exact.players[0].equity == pytest.approx(25 + 30 * (0.3 * 5 / 7 + 0.2 * 5 / 8) + 20 * (1 - 0.5 - 0.3 * 5 / 7 - 0.2 * 5 / 8))
    assert exact.players[3].equity == 0
    assert math.fsum(p.equity for p in exact.players) == pytest.approx(100)
    sampled = oddsmith.icm([5000, 3000, 2000, 0], [50, 30, 20], seed=5, samples=20000)
    assert not sampled.exact and sampled.seed == 5 and sampled.samples == 20000
    for e, s in zip(exact.players, sampled.players):
        assert abs(e.equity - s.equity) <= 4.5 * s.stderr + 1e-12
    assert oddsmith.icm([5000, 3000, 2000, 0], [50, 30, 20], seed=5, samples=20000).players == sampled.players
    assert oddsmith.icm([30, 70], [100]).players[0].equity == pytest.approx(30)


def test_pushfold_ranges_and_chart():
    result = oddsmith.pushfold([10, 10], ante=0.1, payouts=[65, 35])
    assert result.icm and result.exploitability < 0.01
    assert [p.position for p in result.players] == ["button", "big blind"]
    assert math.fsum(p.ev_prize for p in result.players) == pytest.approx(100)
    push, call = result.spots
    assert (push.action, push.facing, call.action, call.facing) == ("push", None, "call", 0)
    assert push.strategy["AA"] == call.strategy["AA"] == 1.0 and len(push.strategy) == 169
    # The ranges are range notation the calculator takes as they are.
    equity = oddsmith.equity([push.range, call.range], trials=2000, seed=1)
    assert len(equity.players) == 2
    chips = oddsmith.pushfold([6, 6])
    assert chips.players[0].ev_prize is None and chips.spots[0].share > push.share
    three = oddsmith.pushfold([8, 10, 12], ante=0.1, payouts=[50, 30, 20], threads=2, seed=3)
    assert [p.position for p in three.players] == ["button", "small blind", "big blind"]
    assert three.exploitability <= 1e-3 and 0 < three.multiway_stderr < 0.02 and three.multiway_deals > 0
    assert math.fsum(p.ev_prize for p in three.players) == pytest.approx(100, abs=0.01)
    assert [(s.player, s.action, s.facing, s.callers) for s in three.spots][:3] == [
        (0, "push", None, ()), (1, "push", None, ()), (1, "call", 0, ())]
    assert any(s.callers == (1,) and s.player == 2 for s in three.spots)
    assert oddsmith.pushfold([8, 10, 12], ante=0.1, payouts=[50, 30, 20], seed=3).spots == three.spots
    chart = oddsmith.pushfold_chart(largest=12, step=1)
    assert chart.push_up_to["AA"] == 12 and chart.call_up_to["72o"] < chart.push_up_to["AA"]
    assert chart.to_svg().startswith("<svg") and "Small blind pushes" in chart.to_svg()


@pytest.mark.parametrize("call, words", [
    (lambda: oddsmith.icm([1, -2], [1]), "stack 2 is negative"),
    (lambda: oddsmith.icm([1, 2], [3, 2, 1]), "more payouts"),
    (lambda: oddsmith.icm([], [1]), "no stacks"),
    (lambda: oddsmith.icm("1,2", [1]), "list of numbers"),
    (lambda: oddsmith.pushfold([10] * 11), "2 to 10 stacks"),
    (lambda: oddsmith.pushfold([10, 10], blinds=(1,)), "blinds"),
])
def test_errors(call, words):
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(ValueError, match=words):
            call()
