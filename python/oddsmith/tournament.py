"""Tournament tools: prize equity by the independent chip model (ICM), and
push/fold equilibria of 2 to 10 players in chips or in ICM prize equity."""
import math
import operator
import warnings
from dataclasses import dataclass
from typing import Callable, Dict, List, Optional, Sequence, SupportsFloat, SupportsIndex, Tuple

from ._facts import MODE_AUTO, MODE_EXACT, MODE_MONTE_CARLO, STATUS_NO_MEMORY, STATUS_OK, STATUS_TARGET_NOT_MET
from ._library import core

CLASS_COUNT = 169


@dataclass(frozen=True)
class IcmPlayer:
    """One stack's prize equity (in the payouts' unit) and its standard error
    (0 when exact)."""
    stack: float
    equity: float
    stderr: float


@dataclass(frozen=True)
class IcmResult:
    players: List[IcmPlayer]  # in the stacks' order
    exact: bool
    samples: int   # Monte Carlo: finishing orders drawn (0 when exact)
    seconds: float
    seed: int      # the seed a Monte-Carlo run used (0 when exact)
    target_met: bool = True


@dataclass(frozen=True)
class PushFoldSpot:
    """A decision: a player's first action (action "push", facing None) or their
    answer to a push (action "call", facing the pusher's index, after the
    players in callers called it). range is range notation, to pass to
    oddsmith.equity; strategy maps each class ("AKs") to the share of its hands
    played so; share is the share of all hands."""
    player: int
    position: str
    action: str
    facing: Optional[int]
    share: float
    range: str
    strategy: Dict[str, float]
    callers: Tuple[int, ...] = ()


@dataclass(frozen=True)
class PushFoldPlayer:
    position: str
    stack: float
    ev_chips: float             # expected stack change, big blinds
    ev_prize: Optional[float]   # expected prize equity (None without payouts)
    best_response_gain: float   # what a best response would gain, in the payoff's unit


@dataclass(frozen=True)
class PushFoldResult:
    players: List[PushFoldPlayer]
    spots: List[PushFoldSpot]
    icm: bool                # the payoff is prize equity (payouts given), else chips
    exploitability: float    # the players' best-response gains added up
    iterations: int
    seconds: float
    multiway_deals: int = 0          # three or more players: deals of the multiway pots' last refresh
    multiway_stderr: float = 0.0     # the largest standard error of a sampled multiway equity (pot share)


@dataclass(frozen=True)
class PushFoldChart:
    """The heads-up chart over equal stacks: per class, the largest stack (big
    blinds) at which it is pushed and called (0: never)."""
    largest: float
    step: float
    push_up_to: Dict[str, float]
    call_up_to: Dict[str, float]
    worst_exploitability: float
    subtitle: str

    def to_svg(self) -> str:
        """The chart as an SVG picture: two 13 x 13 grids coloured by stack."""
        labels = _class_labels()
        return str(core._pushfold_svg([self.push_up_to[c] for c in labels], [self.call_up_to[c] for c in labels],
                                      self.largest, self.subtitle))


def _class_labels() -> List[str]:
    return [str(core._class_label(c)) for c in range(CLASS_COUNT)]


def _numbers(values: Sequence[SupportsFloat], label: str) -> List[float]:
    if isinstance(values, (str, bytes)):
        raise ValueError(f"{label} must be a list of numbers, got {values!r}")
    out = []
    for v in values:
        if isinstance(v, bool):
            raise ValueError(f"{label} must be numbers, got {v!r}")
        try:
            number = float(v)
        except (TypeError, ValueError):
            raise ValueError(f"{label} must be numbers, got {v!r}") from None
        if not math.isfinite(number):
            raise ValueError(f"{label} must be finite numbers, got {v!r}")
        out.append(number)
    return out


def _number(value: Optional[SupportsFloat], label: str, default: float = 0.0) -> float:
    if value is None:
        return default
    if isinstance(value, bool):
        raise ValueError(f"{label} must be a number, got {value!r}")
    try:
        number = float(value)
    except (TypeError, ValueError):
        raise ValueError(f"{label} must be a number, got {value!r}") from None
    if not (math.isfinite(number) and number >= 0):
        raise ValueError(f"{label} must be a finite number at least 0, got {value!r}")
    return number


def _count(value: Optional[SupportsIndex], label: str, high: int) -> int:
    if value is None:
        return 0
    if isinstance(value, bool):
        raise ValueError(f"{label} must be a whole number, got {value!r}")
    try:
        number = operator.index(value)
    except TypeError:
        raise ValueError(f"{label} must be a whole number, got {value!r}") from None
    if not 0 <= number <= high:
        raise ValueError(f"{label} must be a whole number from 0 to {high}, got {value!r}")
    return number


def _raise_for(status: int, message: str) -> None:
    if status == STATUS_NO_MEMORY:
        raise MemoryError(message)
    if status == STATUS_TARGET_NOT_MET:
        warnings.warn(message, RuntimeWarning, stacklevel=3)
    elif status != STATUS_OK:
        raise ValueError(message)


def icm(stacks: Sequence[SupportsFloat], payouts: Sequence[SupportsFloat], exact: Optional[bool] = None,
        samples: Optional[SupportsIndex] = None, stderr: Optional[float] = None, seed: Optional[SupportsIndex] = None,
        max_seconds: Optional[float] = None, progress: Optional[Callable[[float], object]] = None) -> IcmResult:
    """Each stack's prize equity under the independent chip model (Malmuth-Harville).

    payouts are the prizes of 1st, 2nd, ... place (at most one per player).
    exact=None counts every finishing order over the paid places when that is
    quick (25 players all paid) and otherwise samples finishing orders until
    every standard error is at most `stderr` (default 0.001) of the prize pool;
    exact=True insists on counting, exact=False (or samples, or a seed) samples.
    Players without chips finish last and share those prizes; equal stacks get
    equal equity. Bad stacks or payouts raise ValueError; a target the time
    bound cut short warns (RuntimeWarning, target_met=False)."""
    stack_list = _numbers(stacks, "stacks")
    payout_list = _numbers(payouts, "payouts")
    n_samples = _count(samples, "samples", 1 << 40)
    n_seed = _count(seed, "seed", 2**64 - 1)
    target = _number(stderr, "stderr")
    bound = _number(max_seconds, "max_seconds")
    if exact is True:
        mode = MODE_EXACT
    elif exact is False or n_samples or seed is not None:
        mode = MODE_MONTE_CARLO
    else:
        mode = MODE_AUTO
    if progress is not None and not callable(progress):
        raise ValueError(f"progress must be None or a callable taking the share done, got {progress!r}")
    run: Tuple[int, str, bool, int, float, int, List[float], List[float]] = core._icm(
        stack_list, payout_list, mode, n_samples, target, n_seed, bound, progress)
    status, message, was_exact, drawn, seconds, used_seed, equity, errors = run
    _raise_for(status, message)
    return IcmResult(players=[IcmPlayer(s, e, x) for s, e, x in zip(stack_list, equity, errors)], exact=was_exact,
                     samples=drawn, seconds=seconds, seed=used_seed, target_met=status == STATUS_OK)


def _position(player: int, players: int = 2) -> str:
    if players == 2:
        return "button" if player == 0 else "big blind"
    if player < 3:
        return ("button", "small blind", "big blind")[player]
    return "UTG" if player == 3 else f"UTG+{player - 3}"


def _blinds(blinds: Sequence[SupportsFloat]) -> Tuple[float, float]:
    pair = _numbers(blinds, "blinds")
    if len(pair) != 2 or pair[1] <= 0 or pair[0] < 0:
        raise ValueError(f"blinds must be (small blind, big blind), the big blind above 0, got {blinds!r}")
    return pair[0], pair[1]


def pushfold(stacks: Sequence[SupportsFloat], blinds: Sequence[SupportsFloat] = (0.5, 1.0), ante: float = 0.0,
             big_blind_ante: bool = False, payouts: Optional[Sequence[SupportsFloat]] = None,
             card_removal: bool = True, target: Optional[float] = None,
             max_seconds: Optional[float] = None, threads: int = 1, seed: int = 1) -> PushFoldResult:
    """The push/fold equilibrium of 2 to 10 players: stacks in big blinds from
    the button (heads-up: button/small blind, big blind; else button, small
    blind, big blind, then the others clockwise, the player after the big
    blind acting first). Each player in turn pushes or folds; once one has
    pushed, the players behind call or fold. With payouts the payoff is the
    ICM prize equity of the stacks after the hand, else chips. Solved over the
    169 starting-hand classes by CFR+, pots of two on the exact all-in
    equities, pots of three or more on seeded Monte-Carlo values (`threads`
    sample them, `seed` fixes them), to an exploitability (the players'
    best-response gains added up) of `target` (default heads-up 0.00001 big
    blinds or 1e-7 of the prize pool; three or more 0.001 big blinds or 1e-5
    of the pool). With `card_removal` the players' hands miss each other's
    cards (heads-up exactly; with three or more pair by pair, the folded
    hands included); without it each class is dealt by its hand count."""
    stack_list = _numbers(stacks, "stacks")
    small, big = _blinds(blinds)
    payout_list = _numbers(payouts, "payouts") if payouts is not None else []
    n_threads = _count(threads, "threads", 64)
    n_seed = _count(seed, "seed", 2**64 - 1)
    run = core._pushfold(stack_list, small, big, _number(ante, "ante"), bool(big_blind_ante), payout_list,
                         bool(card_removal), _number(target, "target"), _number(max_seconds, "max_seconds"),
                         n_threads, n_seed)
    status, message, is_icm, iterations, seconds, exploitability, players, spots, deals, stderr = run
    _raise_for(status, message)
    labels = _class_labels()
    count = len(stack_list)
    return PushFoldResult(
        players=[PushFoldPlayer(_position(i, count), stack_list[i], chips, prize if is_icm else None, gain)
                 for i, (gain, chips, prize) in enumerate(players)],
        spots=[PushFoldSpot(player, _position(player, count), "push" if pusher < 0 else "call",
                            None if pusher < 0 else pusher, share, text, dict(zip(labels, strategy)),
                            tuple(p for p in range(count) if callers >> p & 1))
               for player, pusher, callers, share, text, strategy in spots],
        icm=is_icm, exploitability=exploitability, iterations=iterations, seconds=seconds,
        multiway_deals=deals, multiway_stderr=stderr)


def pushfold_chart(largest: float = 30.0, step: float = 0.5, blinds: Sequence[SupportsFloat] = (0.5, 1.0),
                   ante: float = 0.0, big_blind_ante: bool = False,
                   payouts: Optional[Sequence[SupportsFloat]] = None, card_removal: bool = True,
                   target: Optional[float] = None, max_seconds: Optional[float] = None) -> PushFoldChart:
    """The heads-up chart: equal stacks from 1 big blind to `largest` in
    `step`s, each solved as pushfold; per class the largest stack at which it
    is pushed and called. .to_svg() draws it."""
    small, big = _blinds(blinds)
    top, size = _number(largest, "largest"), _number(step, "step")
    ante_value = _number(ante, "ante")
    payout_list = _numbers(payouts, "payouts") if payouts is not None else []
    status, message, push, call, worst = core._pushfold_chart(
        1.0, top, size, small, big, ante_value, bool(big_blind_ante), payout_list, bool(card_removal),
        _number(target, "target"), _number(max_seconds, "max_seconds"))
    _raise_for(status, message)
    labels = _class_labels()
    subtitle = (f"Equal stacks 1-{top:g} bb in steps of {size:g}; blinds {small:g}/{big:g}, ante {ante_value:g}"
                f"{' (big blind)' if big_blind_ante else ''}; {'ICM' if payout_list else 'chips'}; "
                f"worst exploitability {worst:.2g}")
    return PushFoldChart(largest=top, step=size, push_up_to=dict(zip(labels, push)), call_up_to=dict(zip(labels, call)),
                         worst_exploitability=worst, subtitle=subtitle)
