"""The equity calculator: every player a hand or a range, exact or seeded Monte
Carlo, on every core."""
import math
import operator
import time
import warnings
from dataclasses import dataclass
from typing import Callable, Iterable, List, Optional, Sequence, SupportsIndex, Tuple, Union

from ._facts import (MAX_TRIALS, MODE_AUTO, MODE_EXACT, MODE_MONTE_CARLO, STATUS_NO_MEMORY, STATUS_OK,
                     STATUS_TARGET_NOT_MET)
from ._library import core
from .cards import Board, board_text
from .ranges import GAMES

Progress = Union[bool, Callable[[float], object], None]


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


# (status, message, exact, deals, seconds, seed, target_met, [(equity, win, tie, stderr, low) per player])
_Run = Tuple[int, str, bool, int, float, int, bool, List[Tuple[float, float, float, float, float]]]


def _check_text(text: str, what: str) -> None:
    """Text the library can take: UTF-8 (a lone surrogate is not) without NUL."""
    if "\x00" in text:
        raise ValueError(f"{what} holds a NUL character: {text!r}")
    try:
        text.encode("utf-8")
    except UnicodeEncodeError as error:
        raise ValueError(f"{what} is not valid text: {error.reason} at index {error.start} of {text!r}") from None


def _text(value: Optional[Board], what: str) -> str:
    if value is None:
        return ""
    text = board_text(value, what)
    _check_text(text, what)
    return text


def _whole_number(value: Optional[SupportsIndex], label: str, low: int, high: int) -> int:
    """A count or seed: any integer (int, NumPy's integers: whatever has
    __index__) from low to high; not a bool or a float. None is 0."""
    if value is None:
        return 0
    try:
        # NumPy's booleans (numpy.bool_, numpy.bool) have __index__ too, but are not counts.
        boolean = isinstance(value, bool) or type(value).__name__ in ("bool", "bool_")
        number = None if boolean else operator.index(value)
    except TypeError:
        number = None
    if number is None or not low <= number <= high:
        raise ValueError(f"{label} must be a whole number from {low} to {high}, got {value!r}")
    return number


def _bar() -> Tuple[Callable[[float], object], Callable[[], object]]:
    """A tqdm bar of the share done in percent, and what closes it."""
    try:
        from tqdm import tqdm  # type: ignore[import-untyped,unused-ignore]
    except ImportError:
        raise ImportError("progress=True draws a bar with tqdm, which is not installed: pip install tqdm, "
                          "or pass progress a callable taking the share done (0..1)") from None
    bar = tqdm(total=100.0, leave=False, bar_format="{l_bar}{bar}| {elapsed}<{remaining}")

    def update(done: float) -> None:
        bar.update(100.0 * done - bar.n)
    return update, bar.close


class _Reporter:
    """Where a run reports its share done: `callback` for the compiled part
    (None without progress) passes a share on at most every `interval` seconds,
    since the library reports from every chunk, thousands of times a run. As a
    context around the run: once the run has returned, the last share is handed
    on if it was held back, so the caller always sees where the run ended; a bar
    is closed however the run ends."""

    def __init__(self, progress: Progress, interval: float = 0.05) -> None:
        self._close: Callable[[], object] = lambda: None
        if progress is None or progress is False:
            self.callback: Optional[Callable[[float], None]] = None
            return
        if progress is True:
            self._report, self._close = _bar()
        elif callable(progress):
            self._report = progress
        else:
            raise ValueError(f"progress must be True, False, None or a callable taking the share done, got {progress!r}")
        self.callback = self._passed_on
        self._interval = interval
        self._sent_at = -math.inf
        self._latest = 0.0
        self._held = False

    def _passed_on(self, done: float) -> None:
        self._latest = done
        now = time.monotonic()
        self._held = now - self._sent_at < self._interval
        if not self._held:
            self._sent_at = now
            self._report(done)

    def __enter__(self) -> "_Reporter":
        return self

    def __exit__(self, error: Optional[type], *_: object) -> None:
        try:
            if error is None and self.callback is not None and self._held:
                self._held = False
                self._report(self._latest)
        finally:
            self._close()


def _seconds(max_seconds: Optional[float]) -> float:
    """The time bound as the library takes it (0: its default): any finite number
    of seconds above 0, as the command line's --max-seconds takes; the library
    counts one past 1e9 s as 1e9 s. Not a bool, and not an int too large for a float."""
    if max_seconds is None:
        return 0.0
    try:
        plain = isinstance(max_seconds, (int, float)) and not isinstance(max_seconds, bool)
        seconds = float(max_seconds) if plain else None
    except OverflowError:
        seconds = None
    if seconds is None or not (seconds > 0 and math.isfinite(seconds)):
        raise ValueError(f"max_seconds must be a finite number of seconds above 0, got {max_seconds!r}")
    return seconds


_Arguments = Tuple[List[str], str, str, int, int, int, float, int, int, float]


def _checked(players: Iterable[str], board: Optional[Board], dead: Optional[Board], game: str, exact: Optional[bool],
             trials: Optional[SupportsIndex], stderr: Optional[float], seed: Optional[SupportsIndex],
             threads: Optional[SupportsIndex], max_seconds: Optional[float]) -> _Arguments:
    """The calculator's arguments checked and in the order the library takes them."""
    if isinstance(players, str):
        raise ValueError("players must be a list of hands or ranges, e.g. ['AhKh', 'QQ+, AKs']")
    texts = list(players)
    if game not in GAMES:
        raise ValueError(f"game must be one of {', '.join(GAMES)}, got {game!r}")
    for i, p in enumerate(texts):
        if not isinstance(p, str):
            raise ValueError(f"player {i + 1} must be a hand or range as text, got {type(p).__name__} {p!r}")
        _check_text(p, f"player {i + 1}")
    n_trials = _whole_number(trials, "trials", 1, MAX_TRIALS)
    n_seed = _whole_number(seed, "seed", 0, 2**64 - 1)
    n_threads = _whole_number(threads, "threads", 0, 2**31 - 1)
    bound = _seconds(max_seconds)
    if stderr is not None and (isinstance(stderr, bool) or not isinstance(stderr, (int, float)) or not 0 < stderr < 1):
        raise ValueError(f"stderr must be a number between 0 and 1, got {stderr!r}")
    board_cards, dead_cards = _text(board, "board"), _text(dead, "dead")
    if exact is True:
        mode = MODE_EXACT
    elif exact is False or (exact is None and n_trials):
        mode = MODE_MONTE_CARLO
    else:
        mode = MODE_AUTO
    return (texts, board_cards, dead_cards, GAMES[game], mode, n_trials, float(stderr or 0.0), n_seed, n_threads, bound)


def equity(players: Iterable[str], board: Optional[Board] = None, dead: Optional[Board] = None, game: str = "holdem",
           exact: Optional[bool] = None, trials: Optional[SupportsIndex] = None, stderr: Optional[float] = None,
           seed: Optional[SupportsIndex] = None, threads: Optional[SupportsIndex] = None,
           max_seconds: Optional[float] = None,
           progress: Progress = None) -> EquityResult:
    """Equity of every player, each a hand ("AhKh") or a range ("QQ+, AKs", "random").

    board and dead are card text ("Qh7c2d", "Qh 7c 2d") or a list of cards
    (["Qh", "7c", "2d"] or card numbers). game is "holdem", "omaha",
    "omaha-hilo", "shortdeck", "omaha5" or "omaha5-hilo". exact=True enumerates every deal, exact=False simulates
    (`trials` deals, or until every standard error is at most `stderr`),
    exact=None chooses: exact when that is quick, else a simulation to `stderr`
    (0.0005 by default). A seed (0 or None: from the system) and trial count give
    the same result on any number of threads (None: every core). max_seconds
    (default 60; any finite number of seconds above 0) bounds the run: an exact enumeration estimated longer on one core
    raises ValueError, and a `stderr` target that would take longer is given up
    with a RuntimeWarning, the result saying target_met=False. progress=True
    shows a tqdm bar of the percentage done (ImportError without tqdm); a
    callable gets the share done (0..1) up to 20 times a second, and last the
    share where the run ended. Ctrl-C stops a run within half a second
    (KeyboardInterrupt). Impossible queries raise ValueError."""
    arguments = _checked(players, board, dead, game, exact, trials, stderr, seed, threads, max_seconds)
    texts = arguments[0]
    with _Reporter(progress) as reporter:
        run: _Run = core._equity(*arguments, reporter.callback)
    status, message, was_exact, deals, seconds, used_seed, target_met, each = run
    if status == STATUS_NO_MEMORY:
        raise MemoryError(message)
    if status == STATUS_TARGET_NOT_MET:
        warnings.warn(message, RuntimeWarning, stacklevel=2)
    elif status != STATUS_OK:
        raise ValueError(message)
    return EquityResult(
        players=[PlayerEquity(texts[i], e, w, t, s, e - low, low) for i, (e, w, t, s, low) in enumerate(each)],
        deals=deals, exact=was_exact, seconds=seconds, seed=used_seed, target_met=target_met)
