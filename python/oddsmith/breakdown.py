"""A range on a board, hand by hand: each hand's equity against the other
players, what it holds and draws to, the range summed by category and draw, and
every player's equity after each card that can come next."""
import ctypes
from dataclasses import dataclass
from typing import Iterable, List, Optional

from ._facts import STATUS_CANCELLED, STATUS_NO_MEMORY
from ._library import _Query
from .calculator import Progress, _checked, _lib, _reporter
from .cards import Board, name
from .evaluate import category

_DRAWS = ((1, "flush draw"), (2, "open-ended straight draw"), (4, "gutshot"))
_PROGRESS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_double, ctypes.c_void_p)


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


def breakdown(players: Iterable[str], board: Optional[Board] = None, dead: Optional[Board] = None,
              game: str = "holdem", exact: Optional[bool] = None, trials: Optional[int] = None,
              stderr: Optional[float] = None, seed: Optional[int] = None, threads: Optional[int] = None,
              max_seconds: Optional[float] = None, progress: Progress = None) -> Breakdown:
    """The first player's range on the board, hand by hand, against the others.
    Takes what equity() takes; exact when that is quick, else seeded Monte Carlo
    (trials per hand). Ctrl-C stops it (KeyboardInterrupt)."""
    texts, board_text, dead_text, game_id, mode, n_trials, target, n_seed, n_threads, bound = _checked(
        players, board, dead, game, exact, trials, stderr, seed, threads, max_seconds)
    encoded = [t.encode("utf-8") for t in texts]
    query = _Query(size=ctypes.sizeof(_Query), game=game_id, player_count=len(encoded),
                   players=(ctypes.c_char_p * max(1, len(encoded)))(*encoded), board=board_text.encode("utf-8"),
                   dead=dead_text.encode("utf-8"), mode=mode, threads=n_threads, trials=n_trials,
                   target_stderr=target, seed=n_seed, max_seconds=bound)
    report, close = _reporter(progress)
    interrupted: List[BaseException] = []

    def on_progress(done: float, _user: Optional[int]) -> int:
        try:
            if report is not None:
                report(done)
            return 0
        except BaseException as error:  # Ctrl-C, or the caller's callable failing: stop the run
            interrupted.append(error)
            return 1

    callback = _PROGRESS(on_progress)
    query.progress = ctypes.cast(callback, ctypes.c_void_p)
    lib = _lib()
    status = ctypes.c_int(0)
    error = ctypes.create_string_buffer(512)
    try:
        handle = lib.oddsmith_breakdown_run(ctypes.byref(query), ctypes.byref(status), error, len(error))
    finally:
        close()
    if interrupted:
        raise interrupted[0]
    if not handle:
        message = error.value.decode("utf-8", "replace")
        if status.value == STATUS_NO_MEMORY:
            raise MemoryError(message)
        if status.value == STATUS_CANCELLED:
            raise KeyboardInterrupt(message)
        raise ValueError(message)
    try:
        return _read(lib, handle, texts, board_text, game)
    finally:
        lib.oddsmith_breakdown_free(handle)


def _read(lib: ctypes.CDLL, handle: int, texts: List[str], board_text: str, game: str) -> Breakdown:
    is_exact, deals, used_seed = ctypes.c_int(), ctypes.c_longlong(), ctypes.c_ulonglong()
    count = lib.oddsmith_breakdown_summary(handle, ctypes.byref(is_exact), ctypes.byref(deals), ctypes.byref(used_seed))
    cards = (ctypes.c_int * 5)()
    weight, equity_value = ctypes.c_double(), ctypes.c_double()
    value, draws = ctypes.c_int(), ctypes.c_int()
    hands = []
    for i in range(lib.oddsmith_breakdown_hand_count(handle)):
        n = lib.oddsmith_breakdown_hand(handle, i, cards, ctypes.byref(weight), ctypes.byref(equity_value),
                                        ctypes.byref(value), ctypes.byref(draws))
        hands.append(BreakdownHand("".join(name(c) for c in reversed(cards[:n])), weight.value, equity_value.value,
                                   category(value.value) if value.value else None,
                                   [label for bit, label in _DRAWS if draws.value & bit]))
    tables: List[List[BreakdownRow]] = [[], []]
    row_name = ctypes.create_string_buffer(96)
    combos, share, row_equity = ctypes.c_double(), ctypes.c_double(), ctypes.c_double()
    for table in (0, 1):
        i = 0
        while lib.oddsmith_breakdown_row(handle, table, i, row_name, len(row_name), ctypes.byref(combos),
                                         ctypes.byref(share), ctypes.byref(row_equity)):
            tables[table].append(BreakdownRow(row_name.value.decode(), combos.value, share.value, row_equity.value))
            i += 1
    next_cards = []
    card = ctypes.c_int()
    equities = (ctypes.c_double * max(1, count))()
    for i in range(lib.oddsmith_breakdown_next_card_count(handle)):
        lib.oddsmith_breakdown_next_card(handle, i, ctypes.byref(card), equities)
        next_cards.append(NextCard(name(card.value), list(equities[:count])))
    board_cards = "".join(board_text.replace(",", " ").split())
    return Breakdown(game, board_cards, texts, bool(is_exact.value), deals.value, used_seed.value, hands, tables[0],
                     tables[1], next_cards)


__all__ = ["Breakdown", "BreakdownHand", "BreakdownRow", "NextCard", "breakdown"]

