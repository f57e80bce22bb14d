#!/usr/bin/env python3
"""Generates the library's four built-in Hold'em ranges: 500 concrete two-card
hands per slot with the per-class counts below, the given first hands in storage
order, suits spread evenly over the four suits, and the higher card first in about
half of the hands. Deterministic (its own fixed-seed generator), so the output
never changes; it is generated once and committed.

    generate_holdem_ranges.py > oddsmith/host/builtin_holdem_ranges.txt
"""
import sys

from range_rng import RANKS, SUITS, Rng, write_ranges

# Slots from loosest (0) to tightest (3): class counts, then the first hands.
SLOTS = [
    ("AA 4, KK 1, QQ 3, JJ 6, TT 5, 99 2, 88 4, 77 2, 66 3, 55 3, 44 4, 33 5, 22 9, AKs 5, AQs 1, AJs 2, "
     "ATs 3, A9s 3, A8s 4, A7s 3, A6s 7, A5s 2, A4s 9, A3s 4, A2s 3, KQs 1, KJs 3, KTs 1, K9s 2, K7s 1, K6s 3, "
     "K5s 2, K4s 2, K3s 1, K2s 5, QJs 4, QTs 2, Q9s 2, Q8s 2, Q7s 2, Q6s 4, Q5s 2, Q4s 2, Q3s 3, Q2s 1, JTs 2, "
     "J9s 4, J8s 2, J7s 1, J6s 1, J5s 2, J4s 1, T9s 2, T8s 2, T7s 2, T6s 2, 98s 5, 97s 2, AKo 11, AQo 10, "
     "AJo 11, ATo 8, A9o 9, A8o 10, A7o 9, A6o 12, A5o 6, A4o 12, A3o 13, A2o 6, KQo 6, KJo 11, KTo 4, K9o 16, "
     "K8o 7, K7o 8, K6o 8, K5o 12, K4o 6, K3o 4, K2o 11, QJo 8, QTo 11, Q9o 11, Q8o 5, Q7o 16, Q6o 6, Q5o 9, "
     "Q4o 2, JTo 9, J9o 11, J8o 8, J7o 10, T9o 5, T8o 9",
     "AdAc 8dJs Qh7c As8s"),
    ("AA 7, KK 9, QQ 9, JJ 7, TT 7, 99 7, 88 7, 77 8, 66 10, 55 7, 44 1, AKs 8, AQs 5, AJs 7, ATs 10, A9s 3, "
     "A8s 3, A7s 8, A6s 11, A5s 5, A4s 5, A3s 8, A2s 7, KQs 5, KJs 4, KTs 4, K9s 11, K8s 5, K7s 4, K6s 3, "
     "QJs 4, QTs 7, Q9s 5, JTs 12, AKo 25, AQo 23, AJo 19, ATo 21, A9o 13, A8o 17, A7o 11, A6o 19, A5o 15, "
     "A4o 18, A3o 2, KQo 14, KJo 18, KTo 15, K9o 16, QJo 16, QTo 15",
     "TcAh TdKc TdAs AsKh"),
    ("AA 13, KK 19, QQ 19, JJ 19, TT 20, 99 23, 88 20, 77 28, 66 21, AKs 8, AQs 14, AJs 10, ATs 20, A9s 13, "
     "A8s 16, A7s 9, KQs 10, KJs 7, KTs 12, AKo 42, AQo 31, AJo 40, ATo 39, A9o 15, KQo 32",
     "9h9c AsKh TsTc AdAs"),
    ("AA 29, KK 35, QQ 37, JJ 33, TT 26, 99 37, 88 44, 77 28, AKs 30, AQs 28, AJs 30, ATs 22, AKo 66, AQo 54, "
     "AJo 1",
     "JhJs QcQd QdAs QdQh"),
]
HANDS_PER_SLOT = 500


def card(text):
    return RANKS.index(text[0]) * 4 + SUITS.index(text[1])


def class_of(c1, c2):
    hi, lo = max(c1, c2), min(c1, c2)
    if hi // 4 == lo // 4:
        return RANKS[hi // 4] * 2
    return RANKS[hi // 4] + RANKS[lo // 4] + ("s" if hi % 4 == lo % 4 else "o")


def suit_combos(name):
    """Every concrete (higher, lower) card pair of a starting-hand class."""
    hi, lo = RANKS.index(name[0]), RANKS.index(name[1])
    if hi == lo:
        return [(hi * 4 + s1, lo * 4 + s2) for s1 in range(4) for s2 in range(s1 + 1, 4)]
    if name[2] == "s":
        return [(hi * 4 + s, lo * 4 + s) for s in range(4)]
    return [(hi * 4 + s1, lo * 4 + s2) for s1 in range(4) for s2 in range(4) if s1 != s2]


def build_slot(counts_text, first_text, rng):
    counts = {}
    for item in counts_text.split(", "):
        name, n = item.split()
        counts[name] = int(n)
    assert sum(counts.values()) == HANDS_PER_SLOT
    first = [(card(h[:2]), card(h[2:])) for h in first_text.split()]
    for c1, c2 in first:
        counts[class_of(c1, c2)] -= 1
    rest = []
    for name, n in counts.items():
        combos = suit_combos(name)
        rng.shuffle(combos)
        for i in range(n):  # cycle through the suit combinations so suits spread evenly
            hi, lo = combos[i % len(combos)]
            rest.append((hi, lo) if rng.below(2) else (lo, hi))
    rng.shuffle(rest)
    return first + rest


def main():
    rng = Rng(0x0DD5A17B)
    slots = []
    for counts_text, first_text in SLOTS:
        hands = build_slot(counts_text, first_text, rng)
        assert len(hands) == HANDS_PER_SLOT
        slots.append(hands)
    write_ranges("Built-in Hold'em ranges: 4 slots x 500 hands x 2 cards.", "tools/generate_holdem_ranges.py", slots)


if __name__ == "__main__":
    main()
