"""oddsmith: poker hand evaluation, range notation and an equity calculator.

    import oddsmith
    oddsmith.evaluate("As Ks Qs Js Ts")                     # 1: lower is stronger
    oddsmith.equity(["AhKh", "QsQd"], exact=True)           # every player a hand or range
    oddsmith.parse_range("QQ+, AKs, AJo+")                  # 58 hands with their weights
    oddsmith.solve("QQ+, AKs", "JJ+, AQs+", board="Qs Jh 2h", pot=60, stack=170)  # the postflop solver
    oddsmith.aggregate("QQ+, AKs", "JJ+, AQs+", flops="49", pot=60, stack=170)  # one spot over 49 weighted flops
    oddsmith.evaluate_many(hands)                           # n x 5, 6 or 7 integer array or nested lists
    oddsmith.parse_cards("AhKh"), oddsmith.cards_text([50, 46])  # [50, 46], "AhKh"

The host application's exports stay available: holdem_equity, omaha_equity,
hilo_equity and the range slots. Range slots are numbered 1..4 everywhere in this
binding, as the equity calls' range argument names them (slot 0..3 of the C
setters); range_slot=0 means random opponents. Bad input raises ValueError naming
the bad piece; nothing the library writes reaches standard output.
"""
import ctypes
import math
import os
import random
import re
from typing import List, NamedTuple, Optional, Sequence, Tuple, Union

from . import _library
from .breakdown import Breakdown, BreakdownHand, BreakdownRow, NextCard, breakdown
from .calculator import EquityResult, PlayerEquity, equity
from .chart import Chart, chart
from .solver import Action, Node, RangeAtNode, Solution, TreeInfo, load_solution, solve, solve_tree
from .flops import flop_set
from .report import Report, aggregate
from .tournament import (IcmPlayer, IcmResult, PushFoldChart, PushFoldPlayer, PushFoldResult, PushFoldSpot, icm,
                         pushfold, pushfold_chart)
# The module oddsmith.cards keeps its name: no function of the package is called
# cards (parse_cards reads card text).
from .cards import Cards, card_numbers, card_text, cards_text, hand_cards, name, parse_cards
from .evaluate import category, evaluate, evaluate_many, omaha_high, omaha_low
from ._facts import RANGE_HANDS as HANDS_PER_SLOT
from .ranges import expand, parse, parse_text, sample_slot

Hand = Tuple[int, ...]
# A range for a slot: notation ("QQ+, AKs:0.5") or a list of hands (texts or card numbers).
SlotHands = Union[str, Sequence[Cards]]

try:
    from ._version import __version__  # type: ignore[import-not-found,unused-ignore]  # written by CMake into an installed package
except ImportError:  # the source tree: the version stands in CMakeLists.txt
    def _source_version() -> str:
        path = os.path.join(os.path.dirname(__file__), "..", "..", "CMakeLists.txt")
        try:
            with open(path) as f:
                found = re.search(r"project\(oddsmith VERSION ([0-9.]+)", f.read())
            return found.group(1) if found else "unknown"
        except OSError:
            return "unknown"
    __version__ = _source_version()

__all__ = ["__version__", "load", "evaluate", "evaluate_many", "category", "omaha_high", "omaha_low", "equity",
           "EquityResult", "PlayerEquity", "breakdown", "Breakdown", "BreakdownHand", "BreakdownRow", "NextCard",
           "chart", "Chart", "icm", "IcmResult", "IcmPlayer", "pushfold", "pushfold_chart", "PushFoldResult",
           "PushFoldPlayer", "PushFoldSpot", "PushFoldChart", "solve", "solve_tree", "load_solution", "Solution", "Node", "Action",
           "RangeAtNode", "TreeInfo", "aggregate", "Report", "flop_set",
           "parse_range", "parse_range_text", "expand", "cards", "parse_cards", "card_text", "cards_text",
           "holdem_equity", "omaha_equity",
           "hilo_equity", "set_holdem_range", "set_holdem_ranges", "load_omaha_range", "load_hilo_range", "Equity"]

from ._facts import HOLDEM_DEALS, HOLDEM_MAX_OPPONENTS, OMAHA_DEALS, OMAHA_MAX_OPPONENTS, RANGE_SLOTS
_lib: Optional[ctypes.CDLL] = None


def __dir__() -> List[str]:
    return sorted(__all__)


def load(path: Optional[str] = None) -> ctypes.CDLL:
    """A ctypes handle on liboddsmith, every export's types declared, for calling
    the C interface directly: by default the very library the package's compiled
    part is linked to (and every function of the package calls), so the handle
    and the package share one copy; `path` names another build, which must load
    (OSError naming it) and which the package's own functions do not use."""
    global _lib
    handle = _library.load("oddsmith", None, _library.EXPORTS, path or _library.core._library_path())
    if path is None:
        _lib = handle
    return handle


def _l() -> ctypes.CDLL:
    return _lib or load()


class Equity(NamedTuple):
    """Equity in thousandths of the pot, with the standard error of the simulation
    (exact for Hold'em; an upper bound where pots split)."""
    per_mille: int
    standard_error: float


def _no_overlap(first: List[int], second: List[int], first_name: str, second_name: str) -> None:
    shared = set(first) & set(second)
    if shared:
        raise ValueError(f"card {name(min(shared))} is both in {first_name} and on {second_name}")


def _check_count(label: str, value: object, low: int, high: int) -> None:
    if not isinstance(value, int) or isinstance(value, bool) or not low <= value <= high:
        raise ValueError(f"{label} must be a whole number from {low} to {high}, got {value!r}")


def _equity_arguments(hand: Cards, board: Cards, opponents: int, range_slot: int, hole_count: int,
                      max_opponents: int) -> Tuple[List[int], int, List[int]]:
    h = hand_cards(hand, hole_count, "the hand")
    b = hand_cards(board, (0, 1, 2, 3, 4, 5), "the board") if board else []
    _no_overlap(h, b, "the hand", "the board")
    _check_count("opponents", opponents, 0, max_opponents)
    _check_count("range_slot", range_slot, 0, RANGE_SLOTS)
    return h, len(b), b + [0] * (5 - len(b))


def _equity(result: int, deals: int, what: str) -> Equity:
    if result < 0:
        raise ValueError(f"the library refused the {what} arguments")
    p = result / 1000.0
    return Equity(result, math.sqrt(p * (1 - p) / deals) * 1000.0)


def holdem_equity(hand: Cards, board: Cards = "", opponents: int = 1, range_slot: int = 0) -> Equity:
    """Hold'em equity of a two-card hand against `opponents` (0..22) random
    opponents, or opponents from range slot 1..4 (slot 0..3 in C); ties count as wins."""
    h, known, b = _equity_arguments(hand, board, opponents, range_slot, 2, HOLDEM_MAX_OPPONENTS)
    return _equity(_library.core._host_equity(0, h, known, opponents, range_slot, b), HOLDEM_DEALS, "Hold'em")


def omaha_equity(hand: Cards, board: Cards = "", opponents: int = 1, range_slot: int = 0) -> Equity:
    """Omaha high equity of four hole cards against 0..10 opponents; ties split.
    (The "<score sum>,<deals> " record the library writes to standard output is
    kept out of the host's output.)"""
    h, known, b = _equity_arguments(hand, board, opponents, range_slot, 4, OMAHA_MAX_OPPONENTS)
    result, _ = _library.captured(1, lambda: _library.core._host_equity(1, h, known, opponents, range_slot, b))
    return _equity(result, OMAHA_DEALS, "Omaha")


def hilo_equity(hand: Cards, board: Cards = "", opponents: int = 1, range_slot: int = 0) -> Equity:
    """Omaha eight-or-better equity of four hole cards against 0..10 opponents."""
    h, known, b = _equity_arguments(hand, board, opponents, range_slot, 4, OMAHA_MAX_OPPONENTS)
    return _equity(_library.core._host_equity(2, h, known, opponents, range_slot, b), OMAHA_DEALS, "Hi/Lo")


# ---- range slots --------------------------------------------------------------------
# The library replaces a game's four slots at once, so the binding keeps a copy of
# all four: the built-in ranges until a slot is set here.

# The library's built-in ranges, in the data files its build reads (format in
# each file's header: '#' comments, then one hand per line as card numbers).
_DATA_FILES = {"holdem": "builtin_holdem_ranges.txt", "omaha": "builtin_omaha_ranges.txt",
               "hilo": "builtin_omahahl_ranges.txt"}
_slots: "dict[str, List[List[Hand]]]" = {}


def _builtin(game: str, per_hand: int) -> List[List[Hand]]:
    here = os.path.dirname(os.path.abspath(__file__))
    for folder in (os.path.join(here, "data"), os.path.join(here, "..", "..", "oddsmith", "host")):
        path = os.path.join(folder, _DATA_FILES[game])
        if os.path.exists(path):
            with open(path) as f:
                hands = [tuple(int(n) for n in line.split()) for line in f if line.strip() and not line.startswith("#")]
            if len(hands) != RANGE_SLOTS * HANDS_PER_SLOT or any(len(h) != per_hand for h in hands):
                raise ValueError(f"the built-in {game} ranges in {path} are not {RANGE_SLOTS} slots of "
                                 f"{HANDS_PER_SLOT} hands of {per_hand} cards")
            return [hands[s * HANDS_PER_SLOT:(s + 1) * HANDS_PER_SLOT] for s in range(4)]
    raise ValueError(f"the built-in {game} ranges are not available next to the binding: "
                     "set all four slots at once instead")


# The library's setter of each game's four slots, as the compiled part numbers them.
_SETTERS = {"holdem": 0, "omaha": 1, "hilo": 2}


def _store(game: str, per_hand: int, slot: int, hands: List[Hand]) -> None:
    _check_count("slot (the range argument 1..4; slot 0..3 in C)", slot, 1, RANGE_SLOTS)
    if game not in _slots:
        _slots[game] = _builtin(game, per_hand)
    _slots[game][slot - 1] = hands
    flat = [c for slot_hands in _slots[game] for hand in slot_hands for c in hand]
    if _library.core._set_range_slots(_SETTERS[game], flat) != 1:
        raise ValueError("the library refused the range buffer")


def _as_hands(hands: Sequence[Cards], per_hand: int, what: str) -> List[Hand]:
    """Hands given as a list of hand texts ("AhKh") or of card numbers."""
    out = []
    for hand in hands:
        out.append(tuple(hand_cards(hand, per_hand, what)))
    if not out:
        raise ValueError(f"{what}: no hands given")
    return out


def parse_range(notation: str, game: str = "holdem", board: Optional[Cards] = None) -> List[Tuple[Hand, float]]:
    """The hands of range notation as (cards, weight) pairs; game is one of the
    library's games ("holdem", "omaha", ...). With a board ("Qh7c2d" or a list
    of cards) the range's board filters ("QQ+, AKs where toppair+, flushdraw")
    apply and hands holding a board card are left out. ValueError names the
    column and what was expected."""
    return parse(notation, game, board)


def parse_range_text(notation: str, game: str = "holdem", board: Optional[Cards] = None) -> List[Tuple[str, float]]:
    """parse_range with each hand as text, highest card first: [("AsAh", 1.0), ...]."""
    return parse_text(notation, game, board)


def _holdem_slot(hands: SlotHands, rng: random.Random) -> List[Hand]:
    """500 hands for a Hold'em slot, from notation (drawn by weight) or a hand list."""
    if isinstance(hands, str):
        weighted = parse(hands)
        return sample_slot([h for h, _ in weighted], rng, weights=[w for _, w in weighted])
    return sample_slot(_as_hands(hands, 2, "hand"), rng)


def set_holdem_range(slot: int, hands: SlotHands, seed: Optional[int] = None) -> None:
    """Fills Hold'em range slot 1..4 (the library's range argument; slot 0..3 in
    C) with 500 hands drawn from range notation ("QQ+, AKs:0.5") by weight, or
    from a list of hands (["AhKh", "QsQd"])."""
    _store("holdem", 2, slot, _holdem_slot(hands, random.Random(seed)))


def set_holdem_ranges(ranges: Sequence[SlotHands], seed: Optional[int] = None) -> None:
    """Fills all four Hold'em slots at once from four range notations or hand lists."""
    if len(ranges) != 4:
        raise ValueError("set_holdem_ranges takes four ranges")
    rng = random.Random(seed)
    _slots["holdem"] = [_holdem_slot(r, rng) for r in ranges]
    _store("holdem", 2, 1, _slots["holdem"][0])


def _load_four_card_range(game: str, slot: int, hands: SlotHands, seed: Optional[int]) -> None:
    rng = random.Random(seed)
    if isinstance(hands, str):  # notation: "AhAsKhKs, AAxx:0.5"
        weighted = parse(hands, "omaha")
        chosen = sample_slot([h for h, _ in weighted], rng, weights=[w for _, w in weighted])
    else:
        chosen = sample_slot(_as_hands(hands, 4, "Omaha hand"), rng)
    _store(game, 4, slot, chosen)


def load_omaha_range(slot: int, hands: SlotHands, seed: Optional[int] = None) -> None:
    """Fills Omaha range slot 1..4 with 500 hands sampled from a list of four-card hands."""
    _load_four_card_range("omaha", slot, hands, seed)


def load_hilo_range(slot: int, hands: SlotHands, seed: Optional[int] = None) -> None:
    """Fills Omaha Hi/Lo range slot 1..4 with 500 hands sampled from a list of four-card hands."""
    _load_four_card_range("hilo", slot, hands, seed)
