"""Card numbers written back as text, the cards module under its own name,
batches given as plain lists, and how progress reaches the caller."""
import array
import random
import sys
import time
import types
import warnings

import pytest

import oddsmith
import oddsmith.cards
from oddsmith.calculator import _Reporter


def test_card_text_reads_back_as_the_same_numbers():
    texts = [oddsmith.card_text(n) for n in range(52)]
    assert texts[0] == "2c" and texts[51] == "As" and len(set(texts)) == 52
    assert [oddsmith.parse_cards(t) for t in texts] == [[n] for n in range(52)]
    board = random.Random(4).sample(range(52), 5)
    assert oddsmith.parse_cards(oddsmith.cards_text(board)) == board          # in the order given
    assert oddsmith.cards_text((46, 50), highest_first=True) == "AhKh"       # as the library writes hands
    assert oddsmith.cards_text([]) == ""


@pytest.mark.parametrize("call, words", [
    (lambda: oddsmith.card_text(52), "a card must be a card number, a whole number 0 to 51, got 52"),
    (lambda: oddsmith.card_text(-1), "got -1"),
    (lambda: oddsmith.card_text(True), "got True"),
    (lambda: oddsmith.card_text(5.0), "got 5.0"),
    (lambda: oddsmith.card_text("As"), "got 'As'"),
    (lambda: oddsmith.cards_text([51, 2**70]), "card 2 must be a card number"),
    (lambda: oddsmith.cards_text("AsKs"), "cards must be card numbers 0 to 51"),
    (lambda: oddsmith.cards_text([None], highest_first=True), "card 1 must be a card number"),
])
def test_card_text_refuses_what_is_no_card(call, words):
    with pytest.raises(ValueError, match=words):
        call()


def test_the_cards_module_keeps_its_name_and_the_old_call_still_works():
    assert isinstance(oddsmith.cards, types.ModuleType) and oddsmith.cards is sys.modules["oddsmith.cards"]
    assert oddsmith.cards.parse_cards is oddsmith.parse_cards
    with pytest.warns(DeprecationWarning, match="parse_cards"):
        assert oddsmith.cards("Ah As") == oddsmith.parse_cards("AhAs") == [50, 51]
    with warnings.catch_warnings(), pytest.raises(ValueError, match="needs 2 cards"):
        warnings.simplefilter("ignore", DeprecationWarning)
        oddsmith.cards("AhAsKs", 2)


def test_evaluate_many_takes_nested_and_flat_lists():
    rng = random.Random(9)
    for game, size in (("holdem", 5), ("holdem", 6), ("holdem", 7), ("omaha5", 10)):
        hands = [rng.sample(range(52), size) for _ in range(300)]
        expected = [oddsmith.evaluate(h, game=game) for h in hands]
        assert list(oddsmith.evaluate_many(hands, game=game)) == expected, (game, size)
        assert list(oddsmith.evaluate_many([tuple(h) for h in hands], game=game)) == expected
        flat = [c for h in hands for c in h]
        assert list(oddsmith.evaluate_many(flat, cards_per_hand=size, game=game)) == expected
        assert oddsmith.evaluate_many(hands, game=game) == oddsmith.evaluate_many(array.array("i", flat), size, game)
    # A number no card has, or a repeated card, is a bad hand (0), never a wrapped card.
    assert list(oddsmith.evaluate_many([[51 + 2**32, 47, 43, 39, 35], [51, 51, 43, 39, 35], [51, 47, 43, 39, 35]])) == [0, 0, 1]
    assert list(oddsmith.evaluate_many([])) == []


@pytest.mark.parametrize("hands, words", [
    ([[51, 47, 43, 39, 35], [1, 2, 3, 4]], "every hand as a list of 5 card numbers, got hand 2"),
    ([[51, 47, 43, 39, 35], "AsKsQsJsTs"], "got hand 2: 'AsKsQsJsTs'"),
    ([[51, 47, 43, 39]], "hands of 5 or 6 or 7 cards here, got 4"),
    ([[51, 47, 43, 39, True]], "integer card numbers, got True"),
    ([[51, 47, 43, 39, 35.0]], "integer card numbers, got 35.0"),
    ([["As", "Ks", "Qs", "Js", "Ts"]], "integer card numbers, got 'As'"),
    ([51, 47, 43, 39, 35], "a flat buffer needs cards_per_hand"),
])
def test_evaluate_many_names_what_is_wrong_with_a_list(hands, words):
    with pytest.raises(ValueError, match=words):
        oddsmith.evaluate_many(hands)


def test_progress_is_paced_and_ends_where_the_run_ended():
    seen = []
    oddsmith.equity(["AhKh", "random", "random"], trials=3_000_000, seed=1, threads=1,
                    progress=lambda done: seen.append((time.monotonic(), done)))
    gaps = [later - earlier for (earlier, _), (later, _) in zip(seen, seen[1:-1])]
    assert all(gap >= 0.049 for gap in gaps), gaps  # at most 20 a second; the last one may follow at once
    assert seen[-1][1] == 1.0 and [d for _, d in seen] == sorted(d for _, d in seen)
    # A share held back is handed on once the run returns, and not after a run that raised.
    held = []
    with _Reporter(held.append, interval=3600) as reporter:
        for done in (0.25, 0.5, 0.75):
            reporter.callback(done)
    assert held == [0.25, 0.75]
    held.clear()
    with pytest.raises(KeyboardInterrupt), _Reporter(held.append, interval=3600) as reporter:
        reporter.callback(0.25)
        reporter.callback(0.5)
        raise KeyboardInterrupt
    assert held == [0.25]


def test_a_progress_bar_counts_percent_and_needs_tqdm(monkeypatch):
    monkeypatch.setitem(sys.modules, "tqdm", None)  # not installed
    with pytest.raises(ImportError, match="progress=True draws a bar with tqdm, which is not installed"):
        oddsmith.equity(["AhKh", "QsQd"], board="Qh7c2d", progress=True)
    bars = []

    class Bar:
        def __init__(self, **options):
            self.options, self.n, self.closed = options, 0.0, False
            bars.append(self)

        def update(self, step):
            self.n += step

        def close(self):
            self.closed = True
    monkeypatch.setitem(sys.modules, "tqdm", types.SimpleNamespace(tqdm=Bar))
    oddsmith.equity(["AhKh", "QsQd"], board="Qh7c2d", progress=True)
    (bar,) = bars
    # Counted in percent, shown without a rate, full once the run has returned.
    assert bar.options["total"] == 100 and "rate" not in bar.options["bar_format"]
    assert bar.n == pytest.approx(100) and bar.closed
