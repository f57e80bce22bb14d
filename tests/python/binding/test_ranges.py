"""Range notation: expansion, combination counts, and the errors it raises."""
import pytest

from oddsmith.cards import name
from oddsmith.ranges import expand, parse, sample_slot


def classes(notation):
    out = set()
    for a, b in expand(notation):
        hi, lo = max(a, b), min(a, b)
        label = name(hi)[0] + name(lo)[0]
        if hi // 4 != lo // 4:
            label += "s" if hi % 4 == lo % 4 else "o"
        out.add(label)
    return out


@pytest.mark.parametrize("notation, count", [("AA", 6), ("AKs", 4), ("AKo", 12), ("AK", 16), ("AhKh", 1),
                                             ("22+", 78), ("QQ+", 18), ("TT-77", 24), ("76s-54s", 12),
                                             ("KTs-K7s", 16), ("AJo+", 36), ("KQ+", 16)])
def test_combination_counts(notation, count):
    assert len(expand(notation)) == count


def test_plus_raises_the_second_rank_up_to_below_the_first():
    assert classes("AJo+") == {"AJo", "AQo", "AKo"}
    assert classes("QTs+") == {"QTs", "QJs"}
    assert classes("22+") == {r + r for r in "23456789TJQKA"}


def test_spans_keep_the_first_rank_or_the_gap():
    assert classes("76s-54s") == {"76s", "65s", "54s"}
    assert classes("54s-76s") == classes("76s-54s")
    assert classes("KTs-K7s") == {"KTs", "K9s", "K8s", "K7s"}
    assert classes("TT-77") == {"TT", "99", "88", "77"}


def test_a_mixed_range_counts_each_combination_once():
    combos = expand("QQ+, AKs, AJo+, KQ, 76s-54s, AhKh")
    assert len(combos) == 18 + 4 + 36 + 16 + 12  # AhKh is already among the AKs
    assert len({tuple(sorted(c)) for c in combos}) == len(combos)


@pytest.mark.parametrize("bad, words", [("10s", "column 1: .*tens are written T"), ("AKx", "column 3"),
                                        ("AAs", "pair is neither"), ("AhAh", "Ah is repeated"), ("", "empty"),
                                        ("AK,,QQ", "column 4: expected a hand before ','"), ("K7s-Q5s", "span"),
                                        ("AKs-QQ", "two pairs"), ("ZY", "column 1: expected a hand"),
                                        ("AKé", "column 3: expected printable ASCII")])
def test_bad_notation_names_the_column_and_what_was_expected(bad, words):
    with pytest.raises(ValueError, match=words):
        expand(bad)


def test_weights_and_omaha_notation_come_from_the_library():
    assert parse("AKs:0.5, AhKh") == [((44, 48), 0.5), ((45, 49), 0.5), ((46, 50), 1.0), ((47, 51), 0.5)]
    assert len(expand("AAxx", game="omaha")) == 6961
    assert len(expand("random", game="omaha-hilo")) == 270725


def test_slot_sampling_draws_from_the_range_only():
    combos = expand("AKs")
    hands = sample_slot(combos)
    assert len(hands) == 500
    allowed = {tuple(sorted(c)) for c in combos}
    assert {tuple(sorted(h)) for h in hands} <= allowed
    assert any(h[0] < h[1] for h in hands) and any(h[0] > h[1] for h in hands)
    with pytest.raises(ValueError):
        sample_slot([])


@pytest.mark.parametrize("notation, board, game, kept", [
    # Overpairs and the set of queens (one queen is on the board); AKs and 98s make nothing there.
    ("QQ+, AKs, 98s where toppair+, flushdraw", "Qh7c2d", "holdem", 15),
    ("QQ+, AKs, 98s where toppair+, flushdraw", ["Qh", "7c", "2d"], "holdem", 15),
    # The suited aces with two hearts, less the king of hearts' pair: nine flush draws.
    ("Axs, KK where flushdraw, !pair", "Kh 7h 2d", "holdem", 9),
    # 528 hands miss the board; 210 make nothing: no A, K or Q, no pair, not two spades, not JT.
    ("xx where !nothing", "AsKsQs", "shortdeck", 528 - 210),
    # Hands holding a board card are left out, with or without filters.
    ("AA", "AhKd2c", "holdem", 3),
    ("AAxx where set", "Ah Kd 2c", "omaha", 3 * 1035 + 46),  # two of the three aces left, or all three
])
def test_board_filters_keep_the_hands_they_name(notation, board, game, kept):
    assert len(parse(notation, game, board=board)) == kept


def test_a_filtered_range_is_given_as_text():
    from oddsmith import parse_range, parse_range_text
    hands = parse_range_text("QQ+ where set", board="Qh7c2d")
    assert hands == [("QdQc", 1.0), ("QsQc", 1.0), ("QsQd", 1.0)]
    assert [name(c) for c in parse_range("QQ+ where set", board="Qh7c2d")[0][0]] == ["Qc", "Qd"]


@pytest.mark.parametrize("notation, board, words", [
    ("QQ+ where toppair", None, "at column 5: 'where' filters the range on the board, but no board was given"),
    ("QQ+ where topair", "Qh7c2d", "at column 11: unknown board filter 'topair'"),
    ("QQ+ where oesd+", "Qh7c2d", "a draw takes no '+'"),
    ("QQ+", "Qh7c2x", "board: bad card '2x'"),
    ("AhAs", "Ah7c2d", "no hand of the range is left beside the board"),
])
def test_board_filter_errors(notation, board, words):
    with pytest.raises(ValueError) as raised:
        parse(notation, board=board)
    assert words in str(raised.value)
