"""The postflop solver: heads-up Hold'em, short deck, Omaha or five-card Omaha
(game="omaha", "omaha5"; high only) from the flop, turn or river, two weighted
ranges, solved by Discounted CFR over every later card to a
target exploitability.

    sol = oddsmith.solve("QQ-22, AQs-A2s, ATo+", "AA-22, AKs-A2s, AKo-A9o",
                         board="Qs Jh 2h 8d 3c", pot=100, stack=200,
                         river_bets="50%, 100%", river_raises="2.5x")
    sol.exploitability_pct            # % of the pot
    root = sol.node()                 # or sol.node("check, bet 100, call")
    root.actions, root.strategy       # strategy: NumPy array, hands x actions
"""
import math
import os
from dataclasses import dataclass
from typing import TYPE_CHECKING, Any, Callable, Dict, List, Mapping, Optional, Sequence, Tuple, Union

from ._facts import (ACTION_ALLIN, ACTION_BET, ACTION_CALL, ACTION_CHECK, ACTION_FOLD, ACTION_RAISE, GAME_HOLDEM,
                     GAME_OMAHA, GAME_OMAHA5, GAME_SHORTDECK, NODE_ACTION, NODE_CHANCE, NODE_FOLD, NODE_RUNOUT, NODE_SHOWDOWN,
                     SOLVER_NO_RAISE_CAP, STATUS_NO_MEMORY, STATUS_OK, STATUS_TARGET_NOT_MET)
from ._library import core

if TYPE_CHECKING:
    import numpy
    import numpy.typing

    FloatArray = numpy.typing.NDArray[numpy.float64]
else:
    FloatArray = Any

# Sizes of one street: one text for both players, or (OOP's, IP's).
Sizes = Union[str, Tuple[str, str], None]
Progress = Union[bool, None, Callable[[int, float, float], object]]
# The compiled part's query: the spot's fields in its order.
_Query = Tuple[Any, ...]

_ACTIONS = tuple(name for _, name in sorted([(ACTION_CHECK, "check"), (ACTION_BET, "bet"), (ACTION_RAISE, "raise"),
                                               (ACTION_CALL, "call"), (ACTION_FOLD, "fold"), (ACTION_ALLIN, "allin")]))
_KINDS = tuple(name for _, name in sorted([(NODE_ACTION, "action"), (NODE_CHANCE, "chance"), (NODE_FOLD, "fold"),
                                           (NODE_SHOWDOWN, "showdown"), (NODE_RUNOUT, "runout")]))
_POSITIONS = ("oop", "ip")


def _numpy() -> Any:
    try:
        import numpy
    except ImportError:
        raise ImportError("the solver's strategies, weights and EVs are NumPy arrays: pip install numpy") from None
    return numpy


@dataclass(frozen=True)
class Action:
    name: str          # "check", "bet", "raise", "call", "fold", "allin"
    amount: int        # chips the player has put in on the street after it (0 for check and fold)
    frequency: float   # the acting range's share taking it
    sizes: str         # the sizes that gave it ("50%", "2.5x"), "" for the others

    def __str__(self) -> str:
        return self.name if self.name in ("check", "call", "fold") else f"{self.name} {self.amount}"


@dataclass(frozen=True)
class RangeAtNode:
    """One player's range at a node: its hands ("KdQd"), the weight with which
    each reaches the node (range weight times its own strategy so far, 0 where
    the board blocks it), each hand's EV (chips, given the node is reached) and
    equity against the other's reaching range (NaN where the weight is 0), and
    the range's totals."""
    position: str
    hands: List[str]
    weight: FloatArray
    ev: FloatArray
    equity: FloatArray
    total_weight: float
    total_ev: float
    total_equity: float


@dataclass(frozen=True)
class Node:
    path: str                 # canonical: "check, bet 20, call, 7h"
    kind: str                 # "action", "chance", "fold", "showdown", "runout"
    player: Optional[str]     # "oop" or "ip" where a player acts (or folded)
    board: List[str]
    pot: int
    street_bets: Tuple[int, int]
    stacks: Tuple[int, int]
    actions: List[Action]
    cards: List[str]          # chance nodes: the cards that can come
    ranges: Tuple[RangeAtNode, RangeAtNode]  # OOP's, IP's
    strategy: Optional[FloatArray]           # action nodes: acting hands x actions
    locked_hands: int = 0                    # action nodes: acting hands whose strategy is locked here

    @property
    def acting(self) -> Optional[RangeAtNode]:
        """The acting player's range (action nodes), whose hands the strategy's rows are."""
        return self.ranges[_POSITIONS.index(self.player)] if self.kind == "action" and self.player else None

    def to_svg(self, title: Optional[str] = None) -> str:
        """The strategy as an SVG chart of starting-hand classes, each split by
        its hands' shares of the actions, as oddsmith solve --svg draws it."""
        acting = self.acting
        if acting is None or self.strategy is None:
            raise ValueError("a strategy chart is drawn where a player acts")
        if acting.hands and len(acting.hands[0]) != 4:
            raise ValueError("a strategy chart is of two-card classes (Hold'em and short deck)")
        from . import cards as cards_module
        grid = 9 if all(cards_module.parse_cards(h)[0] >= 16 and cards_module.parse_cards(h)[1] >= 16
                        for h in acting.hands) and _short_deck_board(self.board) else 13
        n_actions = len(self.actions)
        weight = [0.0] * (grid * grid)
        cells = [0.0] * (grid * grid * n_actions)
        for h, hand in enumerate(acting.hands):
            w = float(acting.weight[h])
            if w <= 0:
                continue
            high, low = cards_module.parse_cards(hand)
            row, col = _cell(high, low)
            if row >= grid or col >= grid:
                continue
            c = row * grid + col
            weight[c] += w
            for a in range(n_actions):
                cells[c * n_actions + a] += w * float(self.strategy[h, a])
        for c in range(grid * grid):
            if weight[c] > 0:
                for a in range(n_actions):
                    cells[c * n_actions + a] /= weight[c]
        where = "the root" if not self.path else f'"{self.path}"'
        return str(core._strategy_svg(grid, [str(a) for a in self.actions], [_ACTIONS.index(a.name) for a in self.actions],
                                  weight, cells, [a.frequency for a in self.actions],
                                  title or f"{self.player.upper() if self.player else ''} at {where} on {' '.join(self.board)}",
                                  f"Pot {self.pot}, stacks {self.stacks[0]}/{self.stacks[1]}"))


def _short_deck_board(board: Sequence[str]) -> bool:
    from . import cards as cards_module
    return all(c >= 16 for c in cards_module.parse_cards(" ".join(board)))


def _cell(high: int, low: int) -> Tuple[int, int]:
    """The chart cell of two cards: pairs on the diagonal, suited above, offsuit below."""
    hi, lo = max(high, low), min(high, low)
    suited = hi % 4 == lo % 4
    if suited:
        return 12 - hi // 4, 12 - lo // 4
    return 12 - lo // 4, 12 - hi // 4


@dataclass(frozen=True)
class TreeInfo:
    """The betting tree before solving: its text, size and memory estimate."""
    text: str
    street_trees: int
    action_nodes: int
    terminal_nodes: int
    chance_nodes: int
    stored_values: int
    memory_bytes: int
    hands: Tuple[int, int]
    over_memory_bound: bool


class Solution:
    """A solved spot: its exploitability, the players' EVs and equities, and any
    node by its action path. `resolve` solves on (a lower target, more time)."""

    def __init__(self, handle: Any, query: Optional[_Query]) -> None:
        self._handle = handle
        self._query = query
        self.iterations = 0
        self.seconds = 0.0
        self.exploitability = -1.0
        self.exploitability_pct = -1.0
        self.converged = False
        self.ev: Tuple[float, float] = (0.0, 0.0)
        self.equity: Tuple[float, float] = (0.0, 0.0)
        self.memory_bytes = 0

    def __repr__(self) -> str:
        return (f"Solution(exploitability_pct={self.exploitability_pct:.4f}, iterations={self.iterations}, "
                f"seconds={self.seconds:.3f}, ev={self.ev}, converged={self.converged})")

    def resolve(self, target: float = 0.5, max_iterations: int = 1000, max_seconds: Optional[float] = None,
                progress: Progress = False) -> "Solution":
        _run(self, target, max_iterations, max_seconds, progress)
        return self

    def node(self, path: str = "") -> Node:
        """The node at the end of an action path: "" for the root, or steps
        separated by commas, each an action ("check", "bet 50%", "bet 30",
        "raise 2.5x", "raise 125", "call", "fold", "allin") or, where a street
        starts, its card ("7h"). ValueError for a path that leads nowhere."""
        if not isinstance(path, str):
            raise TypeError(f"path must be text, got {type(path).__name__}")
        got = core._solver_node(self._handle, path)
        if got[0] is None:
            raise ValueError(got[1])
        canonical, kind, player, pot, street_bets, stacks, board, actions, cards, sides, strategy, locked_hands = got
        np = _numpy()
        from .cards import card_text
        ranges = []
        for p, (hand_cards, weight, ev, equity, total_weight, total_ev, total_equity) in enumerate(sides):
            per_hand = len(hand_cards) // len(weight) if weight else 2
            hands = ["".join(card_text(c) for c in hand_cards[per_hand * h:per_hand * (h + 1)]) for h in range(len(weight))]
            ranges.append(RangeAtNode(_POSITIONS[p], hands, np.array(weight, dtype=np.float64),
                                      np.array(ev, dtype=np.float64), np.array(equity, dtype=np.float64),
                                      total_weight, total_ev, total_equity))
        node_kind = _KINDS[kind]
        acts = [Action(_ACTIONS[k], amount, frequency, sizes) for k, amount, frequency, sizes in actions]
        matrix = None
        if node_kind == "action":
            matrix = np.array(strategy, dtype=np.float64).reshape(-1, len(acts))
        return Node(canonical, node_kind, _POSITIONS[player] if node_kind in ("action", "fold") else None,
                    [card_text(c) for c in board], pot, tuple(street_bets), tuple(stacks), acts,
                    [card_text(c) for c in cards], (ranges[0], ranges[1]), matrix, locked_hands)

    @property
    def locked_nodes(self) -> List[str]:
        """The locked nodes' canonical paths ("*" for every card), in the order given."""
        return [line for line in str(core._solver_result(self._handle)[2]).split("\n") if line]

    def save(self, path: Union[str, "os.PathLike[str]"], bits: int = 16) -> None:
        """Saves the spot, the tree's rules, the locks, this result and the
        strategies to one zstd-compressed file (written beside the target and
        renamed over it): the average strategies in 16 bits (bits=16), or the
        strategy sums exactly (bits=32). RuntimeError where it cannot (a build
        without zstd says so)."""
        if bits not in (16, 32):
            raise ValueError(f"bits is 16 or 32, got {bits!r}")
        status, message = core._solver_save(self._handle, os.fspath(path), bits)
        if status != STATUS_OK:
            raise RuntimeError(message)

    @classmethod
    def load(cls, path: Union[str, "os.PathLike[str]"], threads: int = 0,
             max_memory: Optional[int] = None) -> "Solution":
        """A solution saved by `save` (or oddsmith solve --save), its nodes as
        before saving. ValueError for a missing, truncated, corrupt or
        newer-format file."""
        handle, message = core._solver_load(os.fspath(path), _whole(threads, "threads", 0, 1024),
                                            0 if max_memory is None else _whole(max_memory, "max_memory", 1, 2**62))
        if handle is None:
            if "over the memory bound" in message:
                raise MemoryError(message)
            raise ValueError(message)
        solution = cls(handle, None)
        (solution.iterations, solution.seconds, solution.exploitability, solution.exploitability_pct,
         solution.converged, _stop, solution.ev, solution.equity, solution.memory_bytes) = core._solver_result(handle)[0]
        return solution


def load_solution(path: Union[str, "os.PathLike[str]"], threads: int = 0, max_memory: Optional[int] = None) -> Solution:
    """Solution.load: a saved solution."""
    return Solution.load(path, threads, max_memory)


Lock = Union[str, Tuple[str, Mapping[str, float]], Tuple[str, str, Mapping[str, float]]]


def _lock_lines(locks: Optional[Sequence[Lock]]) -> str:
    """Locks as the library's lines: a line as text ("check=bet 75%:1" or
    "check|AhKd|bet 75%:1"), (path, {action: frequency}) for the acting range,
    or (path, hand, {action: frequency}) for one hand."""
    if locks is None:
        return ""
    if isinstance(locks, str):
        raise TypeError("locks is a list of locks, not one text")
    lines = []
    for lock in locks:
        if isinstance(lock, str):
            lines.append(lock)
            continue
        if not isinstance(lock, tuple) or len(lock) not in (2, 3) or not isinstance(lock[-1], Mapping):
            raise TypeError(f"a lock is a text, (path, {{action: frequency}}) or (path, hand, {{...}}), got {lock!r}")
        mix = ",".join(f"{action}:{_real(f, 'lock frequency')!r}" for action, f in lock[-1].items())
        lines.append(f"{lock[0]}={mix}" if len(lock) == 2 else f"{lock[0]}|{lock[1]}|{mix}")
    return "\n".join(lines)


def _game_id(game: str) -> int:
    if game in ("holdem", "hold'em"):
        return GAME_HOLDEM
    if game in ("shortdeck", "short-deck", "6plus"):
        return GAME_SHORTDECK
    if game == "omaha":
        return GAME_OMAHA
    if game == "omaha5":
        return GAME_OMAHA5
    raise ValueError(f"the solver plays holdem, shortdeck, omaha and omaha5, not {game!r}")


def _street_sizes(value: Sizes, name: str) -> Tuple[str, str]:
    if value is None:
        return "", ""
    if isinstance(value, str):
        return value, value
    if isinstance(value, tuple) and len(value) == 2 and all(isinstance(v, str) for v in value):
        return value[0], value[1]
    raise TypeError(f"{name} takes a text (both players) or a pair of texts (OOP's, IP's), got {value!r}")


def _whole(value: Any, name: str, low: int, high: int) -> int:
    if isinstance(value, bool) or not hasattr(value, "__index__"):
        raise TypeError(f"{name} must be a whole number, got {value!r}")
    number = int(value.__index__())
    if not low <= number <= high:
        raise ValueError(f"{name} must be from {low} to {high}, got {number}")
    return number


def _real(value: Any, name: str) -> float:
    if isinstance(value, bool):
        raise TypeError(f"{name} must be a number, got {value!r}")
    number = float(value)
    if math.isnan(number):
        raise ValueError(f"{name} must be a number, got NaN")
    return number


def _query(oop: str, ip: str, board: str, pot: int, stack: int, game: str, dead: str, sizes: Dict[str, Sizes], donk: bool,
           add_allin: float, force_allin: float, merge: float, max_raises: Optional[int],
           rake: Tuple[float, Optional[float]], threads: int, max_memory: Optional[int], compress: bool) -> _Query:
    for value, name in ((oop, "oop"), (ip, "ip"), (board, "board"), (dead, "dead")):
        if not isinstance(value, str):
            raise TypeError(f"{name} must be text, got {type(value).__name__}")
    bets: List[str] = []
    raises: List[str] = []
    for street in ("flop", "turn", "river"):
        bets.extend(_street_sizes(sizes[f"{street}_bets"], f"{street}_bets"))
        raises.extend(_street_sizes(sizes[f"{street}_raises"], f"{street}_raises"))
    rate, cap = rake
    return (_game_id(game), oop, ip, board, dead, _whole(pot, "pot", 1, 100_000_000),
            _whole(stack, "stack", 0, 100_000_000), bets, raises, bool(donk), _real(add_allin, "add_allin"),
            _real(force_allin, "force_allin"), _real(merge, "merge"),
            SOLVER_NO_RAISE_CAP if max_raises is None else _whole(max_raises, "max_raises", 0, 1000), _real(rate, "rake rate"),
            0.0 if cap is None else _real(cap, "rake cap"), _whole(threads, "threads", 0, 1024),
            0 if max_memory is None else _whole(max_memory, "max_memory", 1, 2**62), bool(compress))


def _run(solution: Solution, target: float, max_iterations: int, max_seconds: Optional[float],
         progress: Progress) -> None:
    target = _real(target, "target")
    iterations = _whole(max_iterations, "max_iterations", 1, 100_000_000)
    seconds = 0.0 if max_seconds is None else _real(max_seconds, "max_seconds")
    if seconds < 0:
        raise ValueError(f"max_seconds cannot be negative, got {seconds}")
    callback: Optional[Callable[[int, float, float], object]] = None
    close: Callable[[], object] = lambda: None
    if progress is True:
        try:
            from tqdm import tqdm  # type: ignore[import-untyped,unused-ignore]
        except ImportError:
            raise ImportError("progress=True draws a bar with tqdm, which is not installed: pip install tqdm, or "
                              "pass progress a callable taking (iteration, exploitability_pct, seconds)") from None
        bar = tqdm(total=iterations, leave=False, unit="it")

        def callback(iteration: int, exploitability_pct: float, _seconds: float) -> None:
            bar.update(iteration - bar.n)
            if exploitability_pct >= 0:
                bar.set_postfix_str(f"exploitability {exploitability_pct:.3f}%")
        close = bar.close
    elif callable(progress):
        callback = progress
    elif progress not in (False, None):
        raise ValueError(f"progress must be True, False, None or a callable, got {progress!r}")
    try:
        got = core._solver_solve(solution._handle, target if target > 0 else -1.0, iterations, seconds, callback)
    finally:
        close()
    status, message = got[0], got[1]
    if status not in (STATUS_OK, STATUS_TARGET_NOT_MET):
        raise RuntimeError(message)
    (solution.iterations, solution.seconds, solution.exploitability, solution.exploitability_pct, solution.converged,
     _stop, solution.ev, solution.equity, solution.memory_bytes) = got[2:]


def _arguments(oop: str, ip: str, board: str, pot: int, stack: int, game: str, dead: str, flop_bets: Sizes,
               flop_raises: Sizes, turn_bets: Sizes, turn_raises: Sizes, river_bets: Sizes, river_raises: Sizes,
               donk: bool, add_allin: float, force_allin: float, merge: float, max_raises: Optional[int],
               rake: Tuple[float, Optional[float]], threads: int, max_memory: Optional[int], compress: bool) -> _Query:
    sizes: Dict[str, Sizes] = {"flop_bets": flop_bets, "flop_raises": flop_raises, "turn_bets": turn_bets, "turn_raises": turn_raises,
             "river_bets": river_bets, "river_raises": river_raises}
    return _query(oop, ip, board, pot, stack, game, dead, sizes, donk, add_allin, force_allin, merge, max_raises,
                  rake, threads, max_memory, compress)


def solve(oop: str, ip: str, *, board: str, pot: int, stack: int, game: str = "holdem", dead: str = "",
          flop_bets: Sizes = "33%, 75%", flop_raises: Sizes = "2.5x", turn_bets: Sizes = "33%, 75%",
          turn_raises: Sizes = "2.5x", river_bets: Sizes = "33%, 75%", river_raises: Sizes = "2.5x",
          donk: bool = False, add_allin: float = 1.5, force_allin: float = 0.15, merge: float = 0.1,
          max_raises: Optional[int] = 3, rake: Tuple[float, Optional[float]] = (0.0, None), target: float = 0.5,
          max_iterations: int = 1000, max_seconds: Optional[float] = None, max_memory: Optional[int] = None,
          threads: int = 0, compress: bool = False, progress: Progress = False,
          locks: Optional[Sequence[Lock]] = None) -> Solution:
    """Solves a heads-up postflop spot: OOP (first to act on each street) and IP,
    each a range in range notation with weights, on a board of 3 to 5 cards; pot
    and effective stack in chips. Sizes per street, one text for both players or
    (OOP's, IP's): bets "33%, 75%, e, a" (of the pot, geometric, all-in), raises
    "2.5x, 100%, a" (times the bet, of the pot after calling, all-in); None for
    none. Thresholds (0 turns each off): add_allin, force_allin, merge; a raise
    cap per street (None for none); rake (rate, cap in chips or None). Stops at
    `target` (percent of the pot; 0 for none), max_iterations or max_seconds.
    A tree over max_memory bytes (default 4 GiB) is refused (MemoryError with
    its size); a bad spot raises ValueError. progress=True draws a tqdm bar, a
    callable gets (iteration, exploitability_pct, seconds) at least four times
    a second; Ctrl-C stops the solve within half a second (KeyboardInterrupt).
    Results are identical on any thread count. `locks` fixes strategies at
    nodes: each "PATH=ACTION:FREQ,..." (the acting range), "PATH|HAND|ACTION:FREQ,..."
    (one hand), or the tuples (path, {action: frequency}) and (path, hand,
    {action: frequency}); unlisted actions share what is left equally, and a
    card in the path may be "*" (every card)."""
    query = _arguments(oop, ip, board, pot, stack, game, dead, flop_bets, flop_raises, turn_bets, turn_raises,
                       river_bets, river_raises, donk, add_allin, force_allin, merge, max_raises, rake, threads,
                       max_memory, compress)
    handle, message = core._solver_create(query, _lock_lines(locks))
    if handle is None:
        if "over the memory bound" in message:
            raise MemoryError(message)
        raise ValueError(message)
    solution = Solution(handle, query)
    _run(solution, target, max_iterations, max_seconds, progress)
    return solution


def solve_tree(oop: str, ip: str, *, board: str, pot: int, stack: int, game: str = "holdem", dead: str = "",
               flop_bets: Sizes = "33%, 75%", flop_raises: Sizes = "2.5x", turn_bets: Sizes = "33%, 75%",
               turn_raises: Sizes = "2.5x", river_bets: Sizes = "33%, 75%", river_raises: Sizes = "2.5x",
               donk: bool = False, add_allin: float = 1.5, force_allin: float = 0.15, merge: float = 0.1,
               max_raises: Optional[int] = 3, rake: Tuple[float, Optional[float]] = (0.0, None),
               max_memory: Optional[int] = None, threads: int = 0, compress: bool = False,
               depth: Optional[int] = None) -> TreeInfo:
    """The betting tree solve would build (the same arguments), as text with its
    size and memory estimate, without allocating it; `depth` limits each street
    tree's printed actions."""
    query = _arguments(oop, ip, board, pot, stack, game, dead, flop_bets, flop_raises, turn_bets, turn_raises,
                       river_bets, river_raises, donk, add_allin, force_allin, merge, max_raises, rake, threads,
                       max_memory, compress)
    status, message, info, text = core._solver_measure(query, -1 if depth is None else _whole(depth, "depth", 0, 1000))
    if status not in (STATUS_OK, STATUS_NO_MEMORY):
        raise ValueError(message)
    street_trees, action_nodes, terminal_nodes, chance_nodes, stored_values, memory_bytes, oop_hands, ip_hands = info
    return TreeInfo(str(text), street_trees, action_nodes, terminal_nodes, chance_nodes, stored_values, memory_bytes,
                    (oop_hands, ip_hands), status == STATUS_NO_MEMORY)
