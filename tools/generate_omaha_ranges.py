#!/usr/bin/env python3
"""Generates the library's built-in Omaha and Omaha Hi/Lo ranges: four slots of
500 concrete four-card hands, loose (slot 0) to tight (slot 3), matching each
slot's figures below exactly, with the given first hands in storage order.
Deterministic (its own fixed-seed generator): generated once and committed.

    generate_omaha_ranges.py high > oddsmith/host/builtin_omaha_ranges.txt
    generate_omaha_ranges.py hilo > oddsmith/host/builtin_omahahl_ranges.txt

Method: every hand gets a category (the features the figures count), the
categories are dealt out so that each count is exact, concrete hands are drawn
for each category, and hands are then redrawn within their category until the
average rank matches. Repeated hands are exact copies of another hand of the
slot, so the count of different hands is exact too.
"""
import sys

from range_rng import RANKS, SUITS, Rng, write_ranges
ACE, DEUCE, KING, QUEEN, NINE = 12, 0, 11, 10, 7
HANDS = 500

# Omaha high: distinct, with a pair, with two pairs, with an ace, double-suited,
# average rank (deuce 0 .. ace 12), first hands.
HIGH_SLOTS = [
    (500, 222, 7, 214, 99, 7.34, "Ah Jc 7d 8c; 8s Qc 5c Ts; Ah 6d Ks 5s"),
    (500, 327, 21, 254, 118, 8.04, "6d 7h Qs Qd; Ts Jd 9s Js; 4d Qc Qs 7c"),
    (497, 481, 37, 239, 112, 8.57, "4c Ks 4h Kd; Ah Ac 2h Qd; 7c Jc 6h Jh"),
    (484, 500, 44, 356, 98, 8.83, "Kh Ad Jd Ah; As 8h 4d Ah; As Qd Ah 9s"),
]

# Omaha Hi/Lo: with an ace, with two or more aces, with an ace and a deuce, with
# two or more cards of one rank, distinct, first hands.
HILO_SLOTS = [
    (282, 36, 60, 180, 500, "7s 4h 7h 4d; Kh 5h 6c Qc; 5s Qd 8s As"),
    (436, 44, 95, 170, 497, "2c 2h Ah Jd; 9s Ad Ah 6s; Qs Ad 4d Jh"),
    (464, 144, 138, 234, 493, "Ad 2d 4d Qc; 2c Jc Ah Ts; 8c As 8s 4c"),
    (500, 477, 98, 500, 487, "6d As Ah 8d; 2d As 7d Ah; 2s Ad Kd Ac"),
]


def parse_hands(text):
    return [[RANKS.index(c[0]) * 4 + SUITS.index(c[1]) for c in h.split()] for h in text.split("; ")]


def rank_counts(hand):
    counts = {}
    for c in hand:
        counts[c // 4] = counts.get(c // 4, 0) + 1
    return counts


def suit_pattern(hand):
    return sorted((sum(1 for c in hand if c % 4 == s) for s in range(4)), reverse=True)


# ---- features counted by the figures -------------------------------------------------

def high_category(hand):
    pairs = sum(1 for n in rank_counts(hand).values() if n >= 2)
    return (pairs, any(c // 4 == ACE for c in hand), suit_pattern(hand)[:2] == [2, 2])


def hilo_category(hand):
    counts = rank_counts(hand)
    aces = counts.get(ACE, 0)
    deuce = counts.get(DEUCE, 0) > 0 and aces > 0
    paired = max(counts.values()) >= 2
    other_pair = max([n for r, n in counts.items() if r != ACE] or [0]) >= 2
    return (min(aces, 2), deuce, paired if aces < 2 else True, other_pair if aces == 1 else None)


# ---- drawing a concrete hand of a category ---------------------------------------------

def rank_weights(tilt, rare_nine):
    weights = [1.0 + tilt * (r - 5.5) / 5.5 for r in range(12)]  # deuce .. king
    if rare_nine:
        weights[NINE] *= 0.45
    return [max(w, 0.05) for w in weights]


def draw_ranks(rng, needed, forbidden, weights, count):
    """`count` distinct ranks, none in `forbidden`, drawn with `weights` (ace excluded)."""
    out = list(needed)
    while len(out) < count:
        r = rng.weighted(weights)
        if r not in out and r not in forbidden and r != ACE:
            out.append(r)
    return out


def assign_suits(rng, ranks, double_suited):
    """Suits for a multiset of ranks: paired cards differ in suit; the suit pattern is
    2+2 exactly when `double_suited` (None: any pattern)."""
    for _ in range(1000):
        hand = []
        for r in ranks:
            used = [c % 4 for c in hand if c // 4 == r]
            free = [s for s in range(4) if s not in used]
            hand.append(r * 4 + rng.choice(free))
        if double_suited is None or (suit_pattern(hand)[:2] == [2, 2]) == double_suited:
            return hand
    raise RuntimeError("no suit assignment")


def draw_high_hand(rng, category, tilt):
    pairs, ace, ds = category
    weights = rank_weights(tilt, False)
    while True:
        if pairs == 2:
            ranks = draw_ranks(rng, [ACE] if ace else [], [], weights, 2)
            ranks = ranks * 2
        elif pairs == 1:
            pair_is_ace = ace and rng.below(3) == 0
            if pair_is_ace:
                ranks = [ACE, ACE] + draw_ranks(rng, [], [ACE], weights, 2)
            else:
                p = draw_ranks(rng, [], [], weights, 1)[0]
                kick = draw_ranks(rng, [ACE] if ace else [], [p], weights, 2)
                ranks = [p, p] + kick
        else:
            ranks = draw_ranks(rng, [ACE] if ace else [], [], weights, 4)
        hand = assign_suits(rng, ranks, ds)
        if high_category(hand) == category:
            rng.shuffle(hand)
            return hand


def draw_hilo_hand(rng, category, tilt, tight_slot):
    aces, deuce, paired, other_pair = category
    weights = rank_weights(tilt, True)
    while True:
        no_deuce = [] if deuce else [DEUCE]
        if aces == 2:
            ranks = [ACE, ACE] + draw_ranks(rng, [DEUCE] if deuce else [], no_deuce, weights, 2)
        elif aces == 1:
            base = [DEUCE] if deuce else []
            if other_pair:
                # In the tightest slot a one-ace hand holds a pair of kings or queens.
                p = rng.choice([KING, QUEEN]) if tight_slot else draw_ranks(rng, [], no_deuce + base, weights, 1)[0]
                ranks = [ACE, p, p] + draw_ranks(rng, base, no_deuce + [p], weights, 1)
            else:
                ranks = [ACE] + draw_ranks(rng, base, no_deuce, weights, 3)
        else:
            if paired:
                p = draw_ranks(rng, [], [], weights, 1)[0]
                ranks = [p, p] + draw_ranks(rng, [], [p], weights, 2)
            else:
                ranks = draw_ranks(rng, [], [], weights, 4)
        hand = assign_suits(rng, ranks, None)
        if hilo_category(hand) == category:
            rng.shuffle(hand)
            return hand


# ---- dealing out categories so that every count is exact --------------------------------

def spread(rng, total, *flag_counts):
    """`total` positions; for each (count) a random set of that many positions."""
    flags = []
    for n in flag_counts:
        pos = list(range(total))
        rng.shuffle(pos)
        chosen = set(pos[:n])
        flags.append([i in chosen for i in range(total)])
    return flags


def high_categories(rng, fixed, paired, two_pairs, with_ace, double_suited):
    cats = [high_category(h) for h in fixed]
    n = HANDS - len(fixed)
    left_two = two_pairs - sum(c[0] == 2 for c in cats)
    left_one = paired - two_pairs - sum(c[0] == 1 for c in cats)
    left_ace = with_ace - sum(c[1] for c in cats)
    left_ds = double_suited - sum(c[2] for c in cats)
    kinds = [2] * left_two + [1] * left_one + [0] * (n - left_two - left_one)
    rng.shuffle(kinds)
    ace, ds = spread(rng, n, left_ace, left_ds)
    return cats + [(kinds[i], ace[i], ds[i]) for i in range(n)]


def hilo_categories(rng, fixed, with_ace, two_aces, ace_deuce, paired, tight_slot):
    cats = [hilo_category(h) for h in fixed]
    n = HANDS - len(fixed)
    # Numbers of the eight kinds: (aces, deuce, paired, other pair).
    want_a2 = two_aces - sum(c[0] == 2 for c in cats)
    want_a1 = with_ace - two_aces - sum(c[0] == 1 for c in cats)
    want_a0 = n - want_a2 - want_a1
    want_ad = ace_deuce - sum(c[1] for c in cats)
    a2_deuce = min(want_a2, round(want_ad * want_a2 / max(1, want_a2 + want_a1)))
    a1_deuce = want_ad - a2_deuce
    want_paired = paired - sum(c[2] for c in cats) - want_a2
    groups = [want_a0, a1_deuce, want_a1 - a1_deuce]
    if tight_slot:  # every hand of the tightest slot is paired
        pair_split = groups[:]
    else:
        pair_split = [round(want_paired * g / max(1, sum(groups))) for g in groups]
        pair_split[0] += want_paired - sum(pair_split)
    out = []
    out += [(2, True, True, None)] * a2_deuce + [(2, False, True, None)] * (want_a2 - a2_deuce)
    out += [(1, True, True, True)] * pair_split[1] + [(1, True, False, False)] * (a1_deuce - pair_split[1])
    out += [(1, False, True, True)] * pair_split[2] + [(1, False, False, False)] * (groups[2] - pair_split[2])
    out += [(0, False, True, None)] * pair_split[0] + [(0, False, False, None)] * (want_a0 - pair_split[0])
    assert len(out) == n and min(pair_split) >= 0
    rng.shuffle(out)
    return cats + out


# ---- building a slot ----------------------------------------------------------------

def build_slot(rng, fixed, categories, distinct, draw, target_sum=None, check=None):
    n_fixed = len(fixed)
    hands = [list(h) for h in fixed] + [None] * (HANDS - n_fixed)
    # Repeated hands: copies of another hand of the same category.
    copies = {}
    free = list(range(n_fixed, HANDS))
    rng.shuffle(free)
    for j in free:
        if len(copies) == HANDS - distinct:
            break
        same = [i for i in range(HANDS) if i != j and categories[i] == categories[j] and i not in copies
                and j not in copies.values() and i not in copies.values()]
        if same:
            copies[j] = rng.choice(same)
    assert len(copies) == HANDS - distinct
    originals = [i for i in range(n_fixed, HANDS) if i not in copies]

    def key(h):
        return tuple(sorted(h))

    def place(i, tilt):
        while True:
            h = draw(rng, categories[i], tilt)
            taken = {key(hands[k]) for k in range(HANDS) if hands[k] and k != i and copies.get(k) != i}
            if key(h) not in taken:
                hands[i] = h
                return

    def sync_copies():
        for j, i in copies.items():
            h = list(hands[i])
            rng.shuffle(h)
            hands[j] = h

    for i in originals:
        place(i, 0.0)
    sync_copies()

    def rank_sum():
        return sum(c // 4 for h in hands for c in h)

    if target_sum is not None:
        movable = [i for i in originals if i not in copies.values()]
        for _ in range(200000):
            gap = target_sum - rank_sum()
            if gap == 0:
                break
            i = rng.choice(movable)
            before, old = rank_sum(), hands[i]
            place(i, 0.8 if gap > 0 else -0.8)
            if abs(target_sum - rank_sum()) > abs(target_sum - before):
                hands[i] = old
        assert rank_sum() == target_sum, (rank_sum(), target_sum)
    if check:
        for _ in range(1000):
            if check(hands):
                break
            place(rng.choice(originals), 0.0)
            sync_copies()
        assert check(hands)
    return hands


def nines_rarest(hands):
    counts = [0] * 13
    for h in hands:
        for c in h:
            counts[c // 4] += 1
    return all(counts[NINE] < counts[r] for r in range(13) if r != NINE)


def main():
    game = sys.argv[1] if len(sys.argv) > 1 else ""
    rng = Rng(0x0DD5A17B + (1 if game == "hilo" else 0))
    if game == "high":
        slots = []
        for distinct, paired, two, ace, ds, avg, first in HIGH_SLOTS:
            fixed = parse_hands(first)
            cats = high_categories(rng, fixed, paired, two, ace, ds)
            slots.append(build_slot(rng, fixed, cats, distinct, draw_high_hand, target_sum=round(avg * HANDS * 4)))
        write_ranges("Built-in Omaha ranges: 4 slots x 500 hands x 4 cards.",
                     "tools/generate_omaha_ranges.py high", slots)
    elif game == "hilo":
        slots = []
        for s, (ace, two_aces, ace_deuce, paired, distinct, first) in enumerate(HILO_SLOTS):
            fixed = parse_hands(first)
            tight = s == 3
            cats = hilo_categories(rng, fixed, ace, two_aces, ace_deuce, paired, tight)
            draw = lambda r, c, t, tight=tight: draw_hilo_hand(r, c, t, tight)
            slots.append(build_slot(rng, fixed, cats, distinct, draw, check=nines_rarest))
        write_ranges("Built-in Omaha Hi/Lo ranges: 4 slots x 500 hands x 4 cards.",
                     "tools/generate_omaha_ranges.py hilo", slots)
    else:
        sys.exit("usage: generate_omaha_ranges.py high|hilo")


if __name__ == "__main__":
    main()
