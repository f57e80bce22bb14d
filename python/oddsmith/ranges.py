"""Hold'em range notation: "QQ+, AKs, AJo+, KQ, 76s-54s, TT-77, KTs-K7s, AhKh".

- a pair "QQ", all pairs from it up "QQ+", or a span "TT-77";
- two ranks, suited "AKs", offsuit "AKo" or both "AK"; "AJo+" raises the second
  rank up to one below the first (AJo, AQo, AKo); a span keeps either the first
  rank ("KTs-K7s") or the gap ("76s-54s");
- a concrete hand "AhKh".
Ranks are "23456789TJQKA" (ten is T). A pair has 6 combinations, a suited hand 4,
an offsuit hand 12.
"""
import random

from .cards import RANKS, card, name

HANDS_PER_SLOT = 500


def _combos(hi, lo, kind):
    """Card pairs of two ranks: kind "s" suited, "o" offsuit, "" both; pairs ignore kind."""
    out = []
    for s1 in range(4):
        for s2 in range(4):
            if hi == lo:
                if s1 < s2:
                    out.append((hi * 4 + s1, lo * 4 + s2))
            elif (kind != "o" and s1 == s2) or (kind != "s" and s1 != s2):
                out.append((hi * 4 + s1, lo * 4 + s2))
    return out


def _shape(part, token):
    """(high rank, low rank, kind) of a token such as "AKs" or "QQ"."""
    if len(token) not in (2, 3) or token[0] not in RANKS or token[1] not in RANKS:
        hint = " (tens are written T)" if "10" in token else ""
        raise ValueError(f"bad range part {part!r}{hint}")
    hi, lo = RANKS.index(token[0]), RANKS.index(token[1])
    kind = token[2] if len(token) == 3 else ""
    if kind not in ("", "s", "o"):
        raise ValueError(f"bad range part {part!r}: the third letter is s (suited) or o (offsuit)")
    if hi < lo:
        hi, lo = lo, hi
    if hi == lo and kind:
        raise ValueError(f"bad range part {part!r}: a pair is neither suited nor offsuit")
    return hi, lo, kind


def _expand_part(part):
    if len(part) == 4 and part[1] in "cdhsCDHS" and part[3] in "cdhsCDHS":
        a, b = card(part[:2]), card(part[2:])
        if a == b:
            raise ValueError(f"bad range part {part!r}: the same card twice")
        return [(a, b)]
    if "-" in part:
        first, last = part.split("-", 1)
        (h1, l1, k1), (h2, l2, k2) = _shape(part, first), _shape(part, last)
        if k1 != k2:
            raise ValueError(f"bad range part {part!r}: both ends must be of one kind")
        if h1 == l1 and h2 == l2:  # pairs: TT-77
            return [c for r in range(min(h1, h2), max(h1, h2) + 1) for c in _combos(r, r, "")]
        if h1 == h2 and l1 != h1 and l2 != h2:  # same first rank: KTs-K7s
            return [c for r in range(min(l1, l2), max(l1, l2) + 1) for c in _combos(h1, r, k1)]
        if h1 - l1 == h2 - l2 and h1 != l1:  # same gap: 76s-54s
            top, bottom = max(h1, h2), min(h1, h2)
            return [c for h in range(bottom, top + 1) for c in _combos(h, h - (h1 - l1), k1)]
        raise ValueError(f"bad range part {part!r}: a span keeps the first rank or the gap")
    plus = part.endswith("+")
    hi, lo, kind = _shape(part, part[:-1] if plus else part)
    if not plus:
        return _combos(hi, lo, kind)
    if hi == lo:  # QQ+: this pair and every higher one
        return [c for r in range(hi, 13) for c in _combos(r, r, "")]
    return [c for r in range(lo, hi) for c in _combos(hi, r, kind)]


def expand(notation):
    """Every distinct two-card combination of a range, as (card, card) pairs."""
    if not isinstance(notation, str) or not notation.strip():
        raise ValueError("empty range")
    seen, out = set(), []
    for part in (p.strip() for p in notation.split(",")):
        if not part:
            raise ValueError(f"empty part in range {notation!r}")
        for a, b in _expand_part(part):
            key = (min(a, b), max(a, b))
            if key not in seen:
                seen.add(key)
                out.append((a, b))
    return out


def sample_slot(combos, rng=None, size=HANDS_PER_SLOT):
    """`size` hands drawn uniformly from `combos`, each card order equally likely."""
    if not combos:
        raise ValueError("a range slot needs at least one hand")
    rng = rng or random.Random()
    hands = []
    for _ in range(size):
        a, b = rng.choice(combos)
        hands.append((a, b) if rng.random() < 0.5 else (b, a))
    return hands


def describe(hand):
    return "".join(name(c) for c in hand)
