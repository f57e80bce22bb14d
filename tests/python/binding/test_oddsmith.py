"""The oddsmith binding end to end: evaluation, equity with its standard error,
range slots, and the errors raised for bad input."""
import pytest

import oddsmith
from oddsmith.cards import name


def test_evaluation():
    assert oddsmith.evaluate("As Ks Qs Js Ts") == 1
    assert oddsmith.evaluate("AsKsQsJsTs2c3d") == 1
    assert oddsmith.category(oddsmith.evaluate("7c 5d 4h 3s 2c")) == "High card"
    assert oddsmith.omaha_high("AcAdAhAs", "KcKdQhQsJc") == 2468
    assert oddsmith.omaha_low("4s5s9c9d", "Ac2d3hKcKd") == 31
    assert oddsmith.omaha_low("AcAdAhAs", "KcKdQhQsJc") is None
    # The library's card reader: either case, tens as 10, suit symbols (outlined too).
    assert oddsmith.evaluate("10s Ks Qs Js As") == oddsmith.evaluate("a♠ k♤ Q♠,J♠ T♠") == oddsmith.evaluate(["A♠", "10♠", "k♠", "q♠", "j♠"]) == 1


@pytest.mark.parametrize("call, words", [
    (lambda: oddsmith.evaluate("As Ks Qs Js"), "5 or 6 or 7 cards, got 4"),
    (lambda: oddsmith.evaluate("As Ks Qs Js Xs"), "bad card 'Xs'"),
    (lambda: oddsmith.evaluate("As Ks Qs Js As"), "As is given twice"),
    (lambda: oddsmith.omaha_high("AcAdAhAs", "AcKdQhQsJc"), "Ac is given twice|both in the hole"),
    (lambda: oddsmith.holdem_equity("AhKh", opponents=23), "opponents must be a whole number from 0 to 22"),
    (lambda: oddsmith.holdem_equity("AhKh", range_slot=5), "range_slot"),
    (lambda: oddsmith.holdem_equity("AhKh", board="Ah2c3c"), "Ah"),
    (lambda: oddsmith.holdem_equity("AhKh", board="2c3c4c5c6c7c"), "the board needs"),
    (lambda: oddsmith.omaha_equity("AhKh", opponents=1), "the hand needs 4 cards"),
    (lambda: oddsmith.hilo_equity("AhKhQhJh", opponents=11), "0 to 10"),
    (lambda: oddsmith.set_holdem_range(5, "AA"), "slot"),
    (lambda: oddsmith.set_holdem_range(1, "AK+Q"), "bad range 'AK\\+Q' at column 4: expected ',' or the end"),
    (lambda: oddsmith.load_omaha_range(1, ["AhAsKh"]), "4 cards"),
    (lambda: oddsmith.load_omaha_range(1, [(True, 1, 2, 3)]), "bad card True in Omaha hand"),
    (lambda: oddsmith.load_hilo_range(1, "AhAsKhKx"), "bad range 'AhAsKhKx' at column 8: expected a suit"),
    (lambda: oddsmith.load_omaha_range(1, ["AhAsKhKx"]), "bad card 'Kx' in 'AhAsKhKx': a card is a rank"),
    (lambda: oddsmith.evaluate(True), "the hand must be text"),
    (lambda: oddsmith.evaluate("AsKsQsJsT"), "bad card 'T' in 'AsKsQsJsT'"),
    (lambda: oddsmith.evaluate("As Ks Qs Js \ud800"), "bad card '\\\\xed\\\\xa0' in 'As Ks Qs Js \\\\xed"),
])
def test_bad_input_raises_value_error(call, words):
    with pytest.raises(ValueError, match=words):
        call()


def test_a_named_library_that_cannot_be_loaded_is_an_error(monkeypatch):
    # The ctypes loader (gpuscout's library, and oddsmith.load(path)): a path
    # given or named by the environment is used or refused, never replaced.
    from oddsmith import _library
    with pytest.raises(OSError, match="/nonexistent/libgpuscout.so"):
        _library.load("gpuscout", "GPUSCOUT_LIBRARY", {}, "/nonexistent/libgpuscout.so")
    monkeypatch.setenv("GPUSCOUT_LIBRARY", "/nonexistent/env/libgpuscout.so")
    with pytest.raises(OSError, match=r"/nonexistent/env/libgpuscout.so \(\$GPUSCOUT_LIBRARY\)"):
        _library.load("gpuscout", "GPUSCOUT_LIBRARY", {})


def test_no_opponents_and_standard_error():
    e = oddsmith.holdem_equity("2c7d", opponents=0)
    assert e == oddsmith.Equity(1000, 0.0)
    e = oddsmith.holdem_equity("AhAd", opponents=1)
    assert 840 <= e.per_mille <= 865
    assert 0.9 < e.standard_error < 1.2  # sqrt(p(1-p)/120000) in per mille
    assert oddsmith.omaha_equity("AhAsKhKs", opponents=0).per_mille == 1000
    assert oddsmith.hilo_equity("AhAsKhKs", opponents=0).per_mille == 1000


def test_equity_against_a_range_slot_matches_exact_enumeration():
    # Aces against one known hand on the turn: enumerate the river exactly.
    oddsmith.set_holdem_range(2, "KcKd", seed=1)
    player, board = oddsmith.parse_cards("AhAs"), oddsmith.parse_cards("2c7d9hTs")
    opponent = oddsmith.parse_cards("KcKd")
    used = set(player + board + opponent)
    wins = deals = 0
    for river in (c for c in range(52) if c not in used):
        b = " ".join(name(c) for c in board + [river])
        mine = oddsmith.evaluate(b + " AhAs")
        theirs = oddsmith.evaluate(b + " KcKd")
        wins += mine <= theirs
        deals += 1
    exact = 1000.0 * wins / deals
    e = oddsmith.holdem_equity("AhAs", board="2c7d9hTs", opponents=1, range_slot=2)
    assert abs(e.per_mille - exact) <= 4.5 * e.standard_error + 1


def test_range_slots_deal_only_their_hands():
    # A range that conflicts with nothing: every opponent holds one of its hands,
    # so against AA a range of 72o loses far more often than random hands do.
    oddsmith.set_holdem_range(3, "72o", seed=2)
    against_trash = oddsmith.holdem_equity("AhAs", opponents=1, range_slot=3).per_mille
    assert against_trash > 870
    oddsmith.load_omaha_range(4, ["KcKdQcQd"], seed=3)
    assert oddsmith.omaha_equity("AhAsJhTh", opponents=1, range_slot=4).per_mille > 0
    oddsmith.load_hilo_range(1, "AcAd2c3d, As2s3h4h", seed=4)
    assert 0 <= oddsmith.hilo_equity("KhKsQhQs", opponents=2, range_slot=1).per_mille < 500


def test_set_all_four_slots_at_once():
    oddsmith.set_holdem_ranges(["AA", "KK", "QQ", "JJ"], seed=5)
    assert oddsmith.holdem_equity("2c2d", opponents=1, range_slot=1).per_mille < 250
    with pytest.raises(ValueError, match="four"):
        oddsmith.set_holdem_ranges(["AA"])


