"""The strategically different flops and representative subsets of them.

Two flops that a permutation of the suits maps onto each other play alike, so
the 22,100 flops fall into 1,755 classes. Each class is named by its
canonical flop (the least sorted triple of card numbers, rank * 4 + suit, over
the 24 suit permutations), written highest card first, and weighted by how
many of the 22,100 flops it stands for.

The named subsets (184, 95 and 49 flops) are drawn by a fixed rule, so they
are the same on every machine and every version:

1. Every class has a stratum: its high card, then pairedness (unpaired,
   paired, trips), suits (rainbow, two-tone, monotone) and connectedness
   (unpaired flops whose three ranks fit in a five-rank straight window, the
   ace also low, first), then its other ranks, highest first. The classes are
   sorted in this order.
2. Each high card gets a share of the subset's flops in proportion to the
   weight of its classes (largest remainders, at least one each, at most its
   number of classes).
3. Within a high card, the sorted classes are cut into that many runs of
   nearly equal weight; each run is represented by the class holding its
   weighted middle, which takes the run's total weight.

So every flop stands for exactly one representative, the weights of each
subset add up to 22,100, and the representatives spread over the textures
as their weights do.
"""
from functools import lru_cache
from itertools import combinations, permutations
from typing import Dict, List, Tuple

from .cards import cards_text

ALL_FLOPS = 22_100
SUBSET_SIZES = (184, 95, 49)
# The names flop_set takes: "all" and the sizes of the subsets.
FLOP_SET_NAMES = ("all",) + tuple(str(n) for n in SUBSET_SIZES)

Flop = Tuple[int, int, int]  # card numbers, highest first
_RANKS = "23456789TJQKA"


def canonical(flop: Tuple[int, int, int]) -> Flop:
    """The canonical flop of a class: the least sorted triple over the suit permutations, highest card first."""
    best = min(tuple(sorted(c // 4 * 4 + perm[c % 4] for c in flop)) for perm in permutations(range(4)))
    return (best[2], best[1], best[0])


@lru_cache(maxsize=None)
def _classes() -> Tuple[Tuple[Flop, int], ...]:
    counts: Dict[Flop, int] = {}
    for flop in combinations(range(52), 3):
        key = canonical(flop)
        counts[key] = counts.get(key, 0) + 1
    return tuple(sorted(counts.items(), key=lambda item: _order(item[0])))


def texture(flop: Flop) -> Tuple[str, str, str]:
    """(pairedness, suits, connectedness) of a flop: "unpaired"/"paired"/"trips",
    "rainbow"/"two-tone"/"monotone", "connected"/"disconnected"/"" (paired flops)."""
    ranks = sorted({c // 4 for c in flop})
    suits = len({c % 4 for c in flop})
    paired = {3: "unpaired", 2: "paired", 1: "trips"}[len(ranks)]
    suited = {3: "rainbow", 2: "two-tone", 1: "monotone"}[suits]
    connected = ""
    if len(ranks) == 3:
        values = [set(ranks), {-1 if r == 12 else r for r in ranks}]  # the ace also below the deuce
        fits = any(max(v) - min(v) <= 4 for v in values)
        connected = "connected" if fits else "disconnected"
    return paired, suited, connected


def _order(flop: Flop) -> Tuple[int, ...]:
    paired, suited, connected = texture(flop)
    return (-(flop[0] // 4), ("unpaired", "paired", "trips").index(paired),
            ("rainbow", "two-tone", "monotone").index(suited), 0 if connected != "disconnected" else 1,
            -(flop[1] // 4), -(flop[2] // 4), flop[0] % 4, flop[1] % 4, flop[2] % 4)


def _shares(weights: List[int], count: int, caps: List[int]) -> List[int]:
    """`count` split in proportion to `weights` by largest remainders, each share from 1 to its cap."""
    total = sum(weights)
    exact = [count * w / total for w in weights]
    shares = [min(cap, max(1, int(x))) for x, cap in zip(exact, caps)]
    while sum(shares) != count:
        growing = sum(shares) < count
        candidates = [i for i in range(len(shares)) if (shares[i] < caps[i] if growing else shares[i] > 1)]
        pick = max(candidates, key=lambda i: (exact[i] - shares[i]) * (1 if growing else -1))
        shares[pick] += 1 if growing else -1
    return shares


def _runs(classes: List[Tuple[Flop, int]], count: int) -> List[Tuple[Flop, int]]:
    """The classes cut into `count` runs of nearly equal weight, each the class at its weighted middle."""
    total = sum(w for _, w in classes)
    before = [0]
    for _, w in classes:
        before.append(before[-1] + w)
    starts = [0]
    for j in range(1, count):
        i = next(i for i in range(len(classes)) if before[i] * count >= j * total)
        starts.append(min(max(i, starts[-1] + 1), len(classes) - (count - j)))
    starts.append(len(classes))
    out = []
    for a, b in zip(starts, starts[1:]):
        middle = (before[a] + before[b]) / 2
        pick = next(i for i in range(a, b) if before[i + 1] >= middle)
        out.append((classes[pick][0], before[b] - before[a]))
    return out


@lru_cache(maxsize=None)
def _subset(count: int) -> Tuple[Tuple[Flop, int], ...]:
    groups: Dict[int, List[Tuple[Flop, int]]] = {}
    for flop, weight in _classes():
        groups.setdefault(flop[0] // 4, []).append((flop, weight))
    highs = sorted(groups, reverse=True)
    shares = _shares([sum(w for _, w in groups[h]) for h in highs], count, [len(groups[h]) for h in highs])
    return tuple(pick for h, share in zip(highs, shares) for pick in _runs(groups[h], share))


def flop_set(name: str = "all") -> List[Tuple[str, int]]:
    """The flops of a set with their weights, in the stratified order (high card,
    then texture): "all" (1,755 flops), "184", "95" or "49"; or flop texts
    separated by commas ("Qs Jh 2h, 9c8c7c", weight 1 each)."""
    key = name.strip().lower()
    if key == "all":
        chosen = _classes()
    elif key in FLOP_SET_NAMES:
        chosen = _subset(int(key))
    else:
        from .cards import parse_cards
        flops = [piece for piece in key.split(",") if piece.strip()]
        if not flops:
            raise ValueError(f"no flops in {name!r}: give all, 184, 95, 49 or flops separated by commas")
        return [(cards_text(sorted(parse_cards(f, 3, "a flop"), reverse=True)), 1) for f in flops]
    return [(cards_text(flop), weight) for flop, weight in chosen]


def describe(flop_text: str) -> Tuple[str, str]:
    """The high card ("A") and texture ("two-tone connected") of a flop text, for grouping."""
    from .cards import parse_cards
    cards = sorted(parse_cards(flop_text, 3, "a flop"), reverse=True)
    paired, suited, connected = texture((cards[0], cards[1], cards[2]))
    words = [suited] + ([connected] if connected else [paired])
    return _RANKS[cards[0] // 4], " ".join(words)


__all__ = ["ALL_FLOPS", "FLOP_SET_NAMES", "canonical", "describe", "flop_set", "texture"]
