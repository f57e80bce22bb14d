"""The equity calculator: every player a hand or a range, exact or seeded Monte
Carlo, on every core."""
import ctypes
import sys
import warnings
from dataclasses import dataclass
from typing import Iterable, List, Optional

from ._facts import (MAX_TRIALS, MODE_AUTO, MODE_EXACT, MODE_MONTE_CARLO, STATUS_NO_MEMORY, STATUS_OK,
                     STATUS_TARGET_NOT_MET)
from ._library import _Query, _Result
from .ranges import GAMES



@dataclass(frozen=True)
class PlayerEquity:
    """One player's result: equity is the average share of the pot; win the share
    of deals taking the whole pot alone (a scoop in Hi/Lo); tie the share of deals
    sharing the best hand (or a best half) without a scoop; stderr the standard
    error of the equity (0 when exact). In Hi/Lo, equity = high_equity +
    low_equity, the parts won with the high and the low half (elsewhere
    high_equity is the equity and low_equity 0)."""
    range: str
    equity: float
    win: float
    tie: float
    stderr: float
    high_equity: float = 0.0
    low_equity: float = 0.0


@dataclass(frozen=True)
class EquityResult:
    players: List[PlayerEquity]
    deals: int
    exact: bool
    seconds: float
    seed: int  # the seed a Monte-Carlo run used (0 when exact)
    target_met: bool = True  # False: a standard-error target was given up (a RuntimeWarning says so)


def _lib():
    package = sys.modules[__package__]  # its handle, loaded on first use
    return package._lib or package.load()


def _text(value, what: str) -> bytes:
    if value is None:
        return b""
    if not isinstance(value, str):
        raise ValueError(f"{what} must be card text such as 'Qh 7c 2d', got {type(value).__name__} {value!r}")
    return value.encode("utf-8")


def equity(players: Iterable[str], board: Optional[str] = None, dead: Optional[str] = None, game: str = "holdem",
           exact: Optional[bool] = None, trials: Optional[int] = None, stderr: Optional[float] = None,
           seed: Optional[int] = None, threads: Optional[int] = None,
           max_seconds: Optional[float] = None) -> EquityResult:
    """Equity of every player, each a hand ("AhKh") or a range ("QQ+, AKs", "random").

    game is "holdem", "omaha" or "omaha-hilo". exact=True enumerates every deal,
    exact=False simulates (`trials` deals, or until every standard error is at
    most `stderr`), exact=None chooses: exact when that is quick, else a
    simulation to `stderr` (0.0005 by default). A seed (0 or None: from the
    system) and trial count give the same result on any number of threads
    (None: every core). max_seconds (default 60) bounds the run: an exact
    enumeration estimated longer on one core raises ValueError, and a `stderr`
    target that would take longer is given up with a RuntimeWarning, the result
    saying target_met=False. Impossible queries raise ValueError."""
    if isinstance(players, str):
        raise ValueError("players must be a list of hands or ranges, e.g. ['AhKh', 'QQ+, AKs']")
    players = list(players)
    if game not in GAMES:
        raise ValueError(f"game must be one of {', '.join(GAMES)}, got {game!r}")
    for i, p in enumerate(players):
        if not isinstance(p, str):
            raise ValueError(f"player {i + 1} must be a hand or range as text, got {type(p).__name__} {p!r}")
    for label, value, low, high in (("trials", trials, 1, MAX_TRIALS), ("seed", seed, 0, 2**64 - 1),
                                    ("threads", threads, 0, 2**31 - 1)):
        if value is not None and (isinstance(value, bool) or not isinstance(value, int) or not low <= value <= high):
            raise ValueError(f"{label} must be a whole number from {low} to {high}, got {value!r}")
    if max_seconds is not None and (isinstance(max_seconds, bool) or not isinstance(max_seconds, (int, float))
                                    or not 0 < max_seconds < float("inf")):
        raise ValueError(f"max_seconds must be a positive number of seconds, got {max_seconds!r}")
    if stderr is not None and (isinstance(stderr, bool) or not isinstance(stderr, (int, float)) or not 0 < stderr < 1):
        raise ValueError(f"stderr must be a number between 0 and 1, got {stderr!r}")
    encoded = [p.encode("utf-8") for p in players]
    texts = (ctypes.c_char_p * max(1, len(encoded)))(*encoded)
    query = _Query(size=ctypes.sizeof(_Query), game=GAMES[game], player_count=len(encoded), players=texts,
                   board=_text(board, "board"), dead=_text(dead, "dead"), threads=threads or 0, trials=trials or 0,
                   target_stderr=stderr or 0.0, seed=seed or 0, max_seconds=max_seconds or 0.0)
    if exact is True:
        query.mode = MODE_EXACT
    elif exact is False or (exact is None and trials):
        query.mode = MODE_MONTE_CARLO
    else:
        query.mode = MODE_AUTO
    result = _Result(size=ctypes.sizeof(_Result))
    error = ctypes.create_string_buffer(512)
    status = _lib().oddsmith_equity(ctypes.byref(query), ctypes.byref(result), error, len(error))
    message = error.value.decode("utf-8", "replace")
    if status == STATUS_NO_MEMORY:
        raise MemoryError(message)
    if status == STATUS_TARGET_NOT_MET:
        warnings.warn(message, RuntimeWarning, stacklevel=2)
    elif status != STATUS_OK:
        raise ValueError(message)
    return EquityResult(
        players=[PlayerEquity(players[i], r.equity, r.win, r.tie, r.std_error, r.equity - result.low_equity[i],
                              result.low_equity[i])
                 for i, r in enumerate(result.players[:result.player_count])],
        deals=result.deals, exact=bool(result.exact), seconds=result.seconds, seed=result.seed,
        target_met=status == STATUS_OK)
