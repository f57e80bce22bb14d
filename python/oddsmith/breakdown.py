"""A range on a board, hand by hand: each hand's equity against the other
players, what it holds and draws to, the range summed by category and draw, and
every player's equity after each card that can come next."""
import ctypes
import warnings
from dataclasses import dataclass
from typing import Any, Iterable, List, Optional, SupportsIndex, Tuple

from . import _library
from ._facts import STATUS_CANCELLED, STATUS_NO_MEMORY, STATUS_TARGET_NOT_MET
from ._library import _Query
from .calculator import Progress, _checked, _lib, _reporter
from .cards import Board, name
from .evaluate import category

_DRAWS = ((1, "flush draw"), (2, "open-ended straight draw"), (4, "gutshot"))


@dataclass(frozen=True)
class BreakdownHand:
    hand: str                # "AhKh"
    weight: float
    equity: float            # against the other players given this hand
    category: Optional[str]  # "Straight flush" .. "High card"; None before the flop
    draws: List[str]         # flop and turn: "flush draw", "open-ended straight draw", "gutshot"


@dataclass(frozen=True)
class BreakdownRow:
    name: str
    combos: float  # weighted
    share: float   # of the range's weight
    equity: float  # average


@dataclass(frozen=True)
class NextCard:
    card: str
    equities: List[float]  # one per player


@dataclass(frozen=True)
class Breakdown:
    game: str
    board: str
    players: List[str]
    exact: bool
    deals: int
    seed: int
    hands: List[BreakdownHand]        # best equity first: the equity distribution
    categories: List[BreakdownRow]    # strongest first; Hold'em pairs as overpair, top, second, weaker
    draws: List[BreakdownRow]
    next_cards: List[NextCard]        # empty on a river board
    target_met: bool = True           # False: some simulated part fell short at the time bound (a RuntimeWarning says so)


_Row = Tuple[str, float, float, float]  # name, combos, share, equity


def breakdown(players: Iterable[str], board: Optional[Board] = None, dead: Optional[Board] = None,
              game: str = "holdem", exact: Optional[bool] = None, trials: Optional[SupportsIndex] = None,
              stderr: Optional[float] = None, seed: Optional[SupportsIndex] = None,
              threads: Optional[SupportsIndex] = None,
              max_seconds: Optional[float] = None, progress: Progress = None) -> Breakdown:
    """The first player's range on the board, hand by hand, against the others.
    Takes what equity() takes; exact when that is quick, else seeded Monte Carlo
    (trials per hand). max_seconds bounds the whole breakdown: work that cannot
    fit raises ValueError at once with its estimate, and simulated parts cut
    short by the bound (or short of `stderr`) give a RuntimeWarning and
    target_met=False, every hand still there. Ctrl-C stops it (KeyboardInterrupt)."""
    arguments = _checked(players, board, dead, game, exact, trials, stderr, seed, threads, max_seconds)
    texts, board_text = arguments[0], arguments[1]
    core = _library.extension()
    compiled = getattr(core, "_breakdown", None)  # None: not built, or built before breakdowns were compiled
    report, close = _reporter(progress)
    try:
        # The compiled part checks for Ctrl-C and calls `report` with the GIL
        # held, and raises what either raised once the run has stopped.
        # (made, status, message, then when made: exact, deals, seed, hands, categories, draws, next cards)
        run: Tuple[Any, ...] = compiled(*arguments, report) if compiled else _run_ctypes(*arguments)
    finally:
        close()
    made, status, message = run[:3]
    if not made:
        if status == STATUS_NO_MEMORY:
            raise MemoryError(message)
        if status == STATUS_CANCELLED:
            raise KeyboardInterrupt(message)
        raise ValueError(message)
    is_exact, deals, used_seed, hands, categories, draws, next_cards = run[3:]
    if status == STATUS_TARGET_NOT_MET:
        warnings.warn(message, RuntimeWarning, stacklevel=2)
    return Breakdown(
        game, "".join(board_text.replace(",", " ").split()), texts, is_exact, deals, used_seed,
        [BreakdownHand("".join(name(c) for c in reversed(cards)), weight, equity_value,
                       category(value) if value else None, [label for bit, label in _DRAWS if draw_bits & bit])
         for cards, weight, equity_value, value, draw_bits in hands],
        [BreakdownRow(*row) for row in categories], [BreakdownRow(*row) for row in draws],
        [NextCard(name(card), list(equities)) for card, equities in next_cards], status != STATUS_TARGET_NOT_MET)


def _run_ctypes(texts: List[str], board: str, dead: str, game: int, mode: int, trials: int, stderr: float, seed: int,
                threads: int, max_seconds: float) -> Tuple[Any, ...]:
    """The same run through ctypes, where the compiled part is not built (no
    Ctrl-C, no progress: a Python callback inside the library cannot stop it
    cleanly)."""
    encoded = [t.encode("utf-8") for t in texts]
    query = _Query(size=ctypes.sizeof(_Query), game=game, player_count=len(encoded),
                   players=(ctypes.c_char_p * max(1, len(encoded)))(*encoded), board=board.encode("utf-8"),
                   dead=dead.encode("utf-8"), mode=mode, threads=threads, trials=trials, target_stderr=stderr,
                   seed=seed, max_seconds=max_seconds)
    lib = _lib()
    status = ctypes.c_int(0)
    error = ctypes.create_string_buffer(512)
    handle = lib.oddsmith_breakdown_run(ctypes.byref(query), ctypes.byref(status), error, len(error))
    message = error.value.decode("utf-8", "replace")
    if not handle:
        return False, status.value, message
    try:
        return (True, status.value, message) + _read(lib, handle)
    finally:
        lib.oddsmith_breakdown_free(handle)


def _read(lib: ctypes.CDLL, handle: int) -> Tuple[Any, ...]:
    is_exact, deals, used_seed = ctypes.c_int(), ctypes.c_longlong(), ctypes.c_ulonglong()
    count = lib.oddsmith_breakdown_summary(handle, ctypes.byref(is_exact), ctypes.byref(deals), ctypes.byref(used_seed))
    cards = (ctypes.c_int * 5)()
    weight, equity_value = ctypes.c_double(), ctypes.c_double()
    value, draws = ctypes.c_int(), ctypes.c_int()
    hands = []
    for i in range(lib.oddsmith_breakdown_hand_count(handle)):
        n = lib.oddsmith_breakdown_hand(handle, i, cards, ctypes.byref(weight), ctypes.byref(equity_value),
                                        ctypes.byref(value), ctypes.byref(draws))
        hands.append((list(cards[:n]), weight.value, equity_value.value, value.value, draws.value))
    tables: List[List[_Row]] = [[], []]
    row_name = ctypes.create_string_buffer(128)
    combos, share, row_equity = ctypes.c_double(), ctypes.c_double(), ctypes.c_double()
    for table in (0, 1):
        i = 0
        while lib.oddsmith_breakdown_row(handle, table, i, row_name, len(row_name), ctypes.byref(combos),
                                         ctypes.byref(share), ctypes.byref(row_equity)):
            tables[table].append((row_name.value.decode(), combos.value, share.value, row_equity.value))
            i += 1
    next_cards = []
    card = ctypes.c_int()
    equities = (ctypes.c_double * max(1, count))()
    for i in range(lib.oddsmith_breakdown_next_card_count(handle)):
        lib.oddsmith_breakdown_next_card(handle, i, ctypes.byref(card), equities)
        next_cards.append((card.value, list(equities[:count])))
    return bool(is_exact.value), deals.value, used_seed.value, hands, tables[0], tables[1], next_cards


__all__ = ["Breakdown", "BreakdownHand", "BreakdownRow", "NextCard", "breakdown"]

