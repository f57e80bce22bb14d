"""The installed package as a user meets it: run with the wheel installed in a
fresh virtual environment (.ci/run), from a folder outside the source tree."""
import array
import os
import random
import re
import signal
import subprocess
import sys
import time

import pytest

import oddsmith

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(HERE)))


def test_the_installed_package_carries_its_library_version_and_types():
    package = os.path.dirname(oddsmith.__file__)
    assert not package.startswith(SOURCE + os.sep), f"imported from the source tree: {package}"
    assert os.path.exists(os.path.join(package, "py.typed"))
    assert oddsmith._l()._name == os.path.join(package, "liboddsmith.so.1")
    with open(os.path.join(SOURCE, "CMakeLists.txt")) as f:
        assert oddsmith.__version__ == re.search(r"project\(oddsmith VERSION ([0-9.]+)", f.read()).group(1)


def test_evaluation_of_text_card_numbers_and_batches():
    assert oddsmith.evaluate("As Ks Qs Js Ts") == 1
    assert oddsmith.evaluate([51, 47, 43, 39, 35]) == 1
    assert oddsmith.evaluate("As Ks Qs Js Ts 2c") == 1          # six cards: the best five
    assert oddsmith.omaha_high("AcAdAhAs", "KcKdQhQsJc") == 2468
    assert oddsmith.omaha_low("4s5s9c9d", "Ac2d3hKcKd") == 31
    rng = random.Random(5)
    hands = [rng.sample(range(52), 7) for _ in range(1000)]
    flat = array.array("i", [c for h in hands for c in h])
    values = oddsmith.evaluate_many(flat, cards_per_hand=7)
    assert list(values) == [oddsmith.evaluate(h) for h in hands]
    assert list(oddsmith.evaluate_many(array.array("i", [51, 51, 43, 39, 35]), cards_per_hand=5)) == [0]


def test_evaluate_many_on_a_million_numpy_hands():
    numpy = pytest.importorskip("numpy")
    rng = numpy.random.default_rng(1)
    hands = numpy.argsort(rng.random((1_000_000, 52)), axis=1)[:, :7].astype(numpy.int32)
    start = time.perf_counter()
    values = oddsmith.evaluate_many(hands)
    seconds = time.perf_counter() - start
    print(f"evaluate_many: 1,000,000 seven-card hands in {seconds * 1000:.1f} ms")
    assert values.shape == (1_000_000,) and values.dtype == numpy.int32
    assert values.min() >= 1 and values.max() <= 7462
    assert [int(v) for v in values[:50]] == [oddsmith.evaluate(h.tolist()) for h in hands[:50]]


def test_the_calculator_and_ranges():
    r = oddsmith.equity(["AhKh", "QsQd"], exact=True)
    assert r.exact and r.deals == 1712304
    assert abs(r.players[0].equity - 0.46214) < 1e-4 and r.players[0].stderr == 0
    assert abs(sum(p.equity for p in r.players) - 1) < 1e-12
    mc = oddsmith.equity(["AhKh", "QQ+, AKs"], board="Qh7c2d", trials=100000, seed=3)
    assert not mc.exact and mc.deals == 100000 and mc.seed == 3 and mc.players[0].stderr > 0
    assert mc.players == oddsmith.equity(["AhKh", "QQ+, AKs"], board="Qh7c2d", trials=100000, seed=3, threads=1).players
    assert len(oddsmith.parse_range("QQ+, AKs, AJo+")) == 58
    assert len(oddsmith.parse_range("AAxx", game="omaha")) == 6961
    assert [len(oddsmith.parse_range(t, game="omaha")) for t in ("AA", "AAKKds", "AAKKss", "AAKKrb")] == [6961, 6, 24, 6]
    assert len(oddsmith.parse_range("10%")) == 134


def test_runs_are_bounded():
    with pytest.raises(ValueError, match="use Monte Carlo, or raise the bound"):
        oddsmith.equity(["AhKh", "random", "random"], exact=True)
    with pytest.warns(RuntimeWarning, match="target was given up"):
        r = oddsmith.equity(["AA,22", "KK,33"], board="2c3d4h8s9c", exact=False, stderr=1e-9, seed=1)
    assert not r.target_met and r.deals > 0 and abs(sum(p.equity for p in r.players) - 1) < 1e-12
    assert oddsmith.equity(["AA,22", "KK,33"], board="2c3d4h8s9c", exact=False, stderr=0.01, seed=1).target_met
    with pytest.raises(ValueError, match="trials must be a whole number from 1 to 281474976710656"):
        oddsmith.equity(["AhKh", "QsQd"], trials=2**64 + 1000)
    # The bound: any finite number of seconds above 0, as --max-seconds takes (the library counts past 1e9 s as 1e9 s).
    assert oddsmith.equity(["AhKh", "QsQd"], board="Qh7c2d", max_seconds=1e300).exact
    for bad in (float("inf"), float("nan"), 0, -1, 10**400, True, "5"):
        with pytest.raises(ValueError, match="max_seconds must be a finite number of seconds above 0"):
            oddsmith.equity(["AhKh", "QsQd"], max_seconds=bad)


@pytest.mark.parametrize("call, words", [
    (lambda: oddsmith.equity(["AhKh", "AhQd"]), "player 1 and player 2 both hold Ah"),
    (lambda: oddsmith.equity(["AhKh", "QQ+, AZs"]), "column 7"),
    (lambda: oddsmith.equity(["AhKh"]), "2 to 23 players"),
    (lambda: oddsmith.equity(["AhKh", "QsQd"], board="Qh7x"), "bad card 'Qh7x'|bad card '7x'"),
    (lambda: oddsmith.evaluate("As Ks Qs Js Xs"), "bad card 'Xs'"),
    (lambda: oddsmith.evaluate([51, 47, 43, 39]), "5 or 6 or 7"),
    (lambda: oddsmith.evaluate_many(array.array("d", [1.0] * 5)), "integer card numbers"),
    (lambda: oddsmith.equity(["AhKh\x00, QQ", "KK"]), "NUL"),
    (lambda: oddsmith.equity(["AhKh", "KK"], board="Qh\x007c2d"), "NUL"),
    (lambda: oddsmith.parse_range("AhKh\x00, QQ"), "NUL"),
    (lambda: oddsmith.equity(["AhKh", "QsQd"], seed=2**64 + 7), "seed must be a whole number"),
    (lambda: oddsmith.parse_range("AK-"), "column 4"),
    # Text that is not UTF-8 (a lone surrogate) is bad input like any other.
    (lambda: oddsmith.equity(["AhKh", "\ud800"]), "player 2 is not valid text"),
    (lambda: oddsmith.equity(["AhKh", "QsQd"], board="Qh\ud800"), "board is not valid text"),
    (lambda: oddsmith.breakdown(["AhKh", "QsQd"], dead="\udfff"), "dead is not valid text"),
    (lambda: oddsmith.parse_range("A\ud800"), "a range is valid text"),
    # Counts are integers, not floats or booleans.
    (lambda: oddsmith.equity(["AhKh", "QsQd"], trials=1000.0), "trials must be a whole number"),
    (lambda: oddsmith.equity(["AhKh", "QsQd"], threads=True), "threads must be a whole number"),
    # A dead card the game does not play, as a board card or a hand's.
    (lambda: oddsmith.equity(["AhKh", "QsQd"], game="shortdeck", dead="5c"),
     "card 5c among the dead cards is not in the short deck"),
    (lambda: oddsmith.breakdown(["AhKh", "QsQd"], game="shortdeck", dead="Ts 4d"),
     "card 4d among the dead cards is not in the short deck"),
    # The compiled batch says when the library refuses a game or hand size.
    (lambda: oddsmith._library.extension()._evaluate_many(array.array("i", [0, 1, 2, 3, 4]), 5, array.array("i", [0]), 99),
     "the library evaluates no hands of 5 cards in game 99"),
])
def test_bad_input_raises_value_error_naming_the_piece(call, words):
    with pytest.raises(ValueError, match=words):
        call()


def test_the_compiled_part_takes_every_form_and_any_integer_array():
    assert os.path.dirname(oddsmith._library.extension().__file__) == os.path.dirname(oddsmith.__file__)
    assert oddsmith.evaluate(["As", "Ks", "Qs", "Js", "Ts"]) == oddsmith.evaluate("AsKsQsJsTs") == 1
    flop = oddsmith.equity(["AhKh", "QsQd"], board=["Qh", "7c", "2d"])
    assert flop.players == oddsmith.equity(["AhKh", "QsQd"], board="Qh 7c 2d").players
    hilo = oddsmith.equity(["Ah2h5c9d", "KcKdQhQs"], game="omaha-hilo", board="3c4d8h", exact=True)
    assert all(abs(p.high_equity + p.low_equity - p.equity) < 1e-12 for p in hilo.players)
    assert hilo.players[0].low_equity > 0.4 and hilo.players[1].low_equity == 0
    numpy = pytest.importorskip("numpy")
    hands = numpy.argsort(numpy.random.default_rng(2).random((2000, 52)), axis=1)[:, :7]  # int64
    seven = oddsmith.evaluate_many(numpy.ascontiguousarray(hands, dtype=numpy.int32))
    assert (oddsmith.evaluate_many(hands) == seven).all() and seven.dtype == numpy.int32
    strided = hands[:, ::-1][:, :5]  # a view: neither contiguous nor int32
    assert (oddsmith.evaluate_many(strided) == oddsmith.evaluate_many(numpy.ascontiguousarray(strided, numpy.int32))).all()
    six = oddsmith.evaluate_many(hands[:, :6].astype(numpy.uint8))
    assert [int(v) for v in six[:20]] == [oddsmith.evaluate(h.tolist()) for h in hands[:20, :6]]
    wrapped = numpy.array([[51 + 2**32, 47, 43, 39, 35]], dtype=numpy.int64)  # would wrap to a royal flush
    assert list(oddsmith.evaluate_many(wrapped)) == [0]
    # Short deck: a flush above a full house, through both paths.
    assert oddsmith.evaluate("As Ks Qs Js 9s 6c 6d", game="shortdeck") == 79
    assert oddsmith.category(oddsmith.evaluate("AsAhAdKsKh", game="shortdeck"), game="shortdeck") == "Full house"
    short = numpy.array([[51, 47, 43, 39, 35, 16, 20], [48, 16, 20, 24, 29, 40, 44]])
    assert list(oddsmith.evaluate_many(short, game="shortdeck")) == [oddsmith.evaluate(h.tolist(), game="shortdeck") for h in short]
    # Five-card Omaha: five hole cards, then the board; two of them play with three of the board.
    assert oddsmith.evaluate("AhKhQhJhTh 9c9d4s3c2d", game="omaha5") == oddsmith.evaluate("AhKh9c9d4s")
    omaha5 = numpy.argsort(numpy.random.default_rng(3).random((500, 52)), axis=1)[:, :10]
    assert list(oddsmith.evaluate_many(omaha5, game="omaha5")) == [oddsmith.evaluate(h.tolist(), game="omaha5") for h in omaha5]


def test_short_deck_and_five_card_omaha_games():
    # The same hands, other games: short deck's AK against QQ, five-card Omaha's ranges.
    short = oddsmith.equity(["AhKh", "QsQd"], game="shortdeck", exact=True)
    assert abs(short.players[0].equity - 0.54277) < 1e-5
    assert len(oddsmith.parse_range("random", game="shortdeck")) == 630
    assert len(oddsmith.parse_range("AAKKds", game="omaha5")) == 684
    assert all(len(hand) == 5 for hand, _ in oddsmith.parse_range("AAKKds", game="omaha5"))
    hilo = oddsmith.equity(["Ah2h5c9dTs", "As3s6cTdJc"], game="omaha5-hilo", board="4c7d8h", exact=True)
    assert abs(sum(p.equity for p in hilo.players) - 1) < 1e-12 and hilo.players[0].low_equity > 0.4
    with pytest.raises(ValueError, match="short deck plays sixes to aces: there is no 5c"):
        oddsmith.equity(["AhKh", "5c5d"], game="shortdeck")


@pytest.mark.parametrize("call", [
    "oddsmith.equity(['AhKh'] + ['random'] * 3, trials=10**11)",
    "oddsmith.breakdown(['random', 'random'], board='Qh7c2d', trials=10**6, seed=1)",
])
def test_ctrl_c_stops_a_long_run(call):
    # A run of many minutes, interrupted 1.5 s in: KeyboardInterrupt from the
    # call well within 2 s, and nothing swallowed or printed on the way.
    child = subprocess.Popen([sys.executable, "-c", "import oddsmith; print('started', flush=True)\n"
                              f"try:\n    {call}\nexcept KeyboardInterrupt:\n    print('interrupted')"],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    assert child.stdout.readline() == "started\n"
    time.sleep(1.5)
    child.send_signal(signal.SIGINT)
    sent = time.perf_counter()
    try:
        out, err = child.communicate(timeout=30)
    finally:
        child.kill()
    assert time.perf_counter() - sent < 2.0 and out == "interrupted\n" and err == "", err


def test_breakdown_reports_progress_and_raises_what_the_callable_raises():
    seen = []
    b = oddsmith.breakdown(["QQ+, AKs", "JJ"], board="Th7c2d", progress=seen.append)
    assert b.hands and seen and all(0 <= done <= 1 for done in seen)

    def refuse(done):
        raise ZeroDivisionError("stop here")
    with pytest.raises(ZeroDivisionError, match="stop here"):
        oddsmith.breakdown(["QQ+, AKs", "JJ"], board="Th7c2d", progress=refuse)


def test_numpy_integers_count_and_seed_as_ints_do():
    numpy = pytest.importorskip("numpy")
    plain = oddsmith.equity(["AhKh", "QQ+"], trials=1000, seed=7, threads=1)
    for kind in (numpy.int64, numpy.uint64, numpy.int32, numpy.uint16):
        r = oddsmith.equity(["AhKh", "QQ+"], trials=kind(1000), seed=kind(7), threads=kind(1))
        assert r.players == plain.players and r.deals == 1000 and r.seed == 7
    assert oddsmith.breakdown(["QQ+", "JJ"], board="Th7c2d", trials=numpy.int64(200), seed=numpy.uint64(3)).seed == 3
    for bad in (numpy.bool_(True), numpy.float64(1000), numpy.int64(-1)):
        with pytest.raises(ValueError, match="trials must be a whole number"):
            oddsmith.equity(["AhKh", "QQ+"], trials=bad)


def test_breakdown_hand_by_hand_agrees_with_equity():
    b = oddsmith.breakdown(["QQ+, AKs, 98s", "JJ-99, AQo"], board=["Th", "7c", "2d"])
    assert b.exact and len(b.hands) == 26 and len(b.next_cards) == 49 and b.board == "Th7c2d"
    for hand in (b.hands[0], b.hands[-1]):
        alone = oddsmith.equity([hand.hand, "JJ-99, AQo"], board="Th7c2d", exact=True).players[0].equity
        assert abs(hand.equity - alone) < 1e-9
    assert "Overpair" in [r.name for r in b.categories] and abs(sum(r.share for r in b.categories) - 1) < 1e-9
    assert oddsmith.breakdown(["QQ+", "JJ"], board="Th7c2d5s9h").next_cards == []


def test_breakdown_keeps_its_bound():
    # A target the bound cuts short: every hand there, the shortfall warned; work
    # that cannot fit: refused at once with the estimate, as the command line does.
    with pytest.warns(RuntimeWarning, match="time bound"):
        b = oddsmith.breakdown(["QQ+", "random", "random"], board="Th7c2d", exact=False, stderr=0.0001, max_seconds=2)
    assert not b.target_met and len(b.hands) == 18 and len(b.next_cards) == 49
    start = time.monotonic()
    with pytest.raises(ValueError, match="would take about"):
        oddsmith.breakdown(["AA, KK", "random"], board="QhJh2c", game="omaha5", max_seconds=5)
    assert time.monotonic() - start < 5
    # A large Omaha range against random answers, with fewer deals per hand.
    b = oddsmith.breakdown(["AA, KK", "random"], board="QhJh2c", game="omaha", seed=1)
    assert b.target_met and len(b.hands) == 12206 and 2000 * 12206 <= b.deals <= 20000 * 12206
    assert [row.name for row in b.categories][:2] == ["Set", "Two pair"]


def test_nothing_from_the_library_reaches_standard_output(capfd):
    oddsmith.omaha_equity("AhAsKhKs", opponents=1)
    oddsmith.holdem_equity("AhKh", opponents=1)
    oddsmith.equity(["AhKh", "random"], trials=10000, seed=1)
    out, _ = capfd.readouterr()
    assert out == ""


def test_the_package_calls_the_library_its_compiled_part_is_linked_to():
    # One library per installed package: the compiled part's, which load() hands
    # out by default; no variable swaps another build in under it (an
    # $ODDSMITH_LIBRARY is not read). A path given to load() must load.
    package = os.path.dirname(oddsmith.__file__)
    script = "import oddsmith; print(oddsmith.load()._name, oddsmith.evaluate('As Ks Qs Js Ts'))"
    run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                         env=dict(os.environ, ODDSMITH_LIBRARY="/nonexistent/liboddsmith.so"), cwd=HERE)
    assert run.stdout.split() == [os.path.join(package, "liboddsmith.so.1"), "1"], run.stderr
    with pytest.raises(OSError, match="/nonexistent/liboddsmith.so"):
        oddsmith.load("/nonexistent/liboddsmith.so")


@pytest.mark.parametrize("command", [[os.path.join(os.path.dirname(sys.executable), "oddsmith")],
                                     [sys.executable, "-m", "oddsmith"]], ids=["oddsmith", "python -m oddsmith"])
def test_the_command_line_comes_with_the_package(command, tmp_path):
    def run(*arguments):
        return subprocess.run(command + list(arguments), capture_output=True, text=True, cwd=tmp_path, timeout=60)
    shown = run("--help")
    assert shown.returncode == 0 and "equity" in shown.stdout, shown.stderr
    exact = run("equity", "AhKh", "QsQd", "--json")
    assert exact.returncode == 0, exact.stderr
    assert '"exact": true' in exact.stdout and '"deals": 1712304' in exact.stdout and '"equity": 0.4621' in exact.stdout
    qq = run("range", "QQ+")
    assert qq.returncode == 0 and qq.stdout.startswith("18 hands"), qq.stderr
    # Its answers, errors and exit status pass through untouched.
    refused = run("equity", "AhKh", "AhQd")
    assert (refused.returncode, refused.stdout) == (2, "") and "both hold Ah" in refused.stderr


def test_the_package_description_and_the_readme_name_every_game():
    with open(os.path.join(SOURCE, "python", "PACKAGE.md")) as f:
        described = f.read()
    with open(os.path.join(SOURCE, "README.md")) as f:
        readme = f.read()
    python_section = readme.split("### Python", 1)[1].split("\n### ", 1)[0]
    games = [game[1] for game in oddsmith._library.core._games()]
    assert len(games) == 6
    for game in games:
        assert f'"{game}"' in described and f'"{game}"' in python_section, game


def test_a_report_on_a_dask_cluster_equals_the_local_one(tmp_path):
    distributed = pytest.importorskip("distributed", reason="the cluster extra (dask.distributed) is not installed")
    pyarrow_parquet = pytest.importorskip("pyarrow.parquet", reason="the cluster extra (pyarrow) is not installed")
    spot = dict(flops="Kh 8d 3c, 9c 8c 7c, Ts Td 4h, Qs Jh 2h", pot=20, stack=40, flop_bets="50%", flop_raises=None,
                turn_bets="50%", turn_raises=None, river_bets="50%", river_raises=None, target=2)
    local = oddsmith.aggregate("AA, KK, AK, T9s", "QQ, JJ, AQs, 87s", workers=2, **spot)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        done = []
        remote = oddsmith.aggregate("AA, KK, AK, T9s", "QQ, JJ, AQs, 87s", client=client,
                                    progress=lambda n, total, flop: done.append((n, total)), **spot)
        # A flop holding the dead card fails on every try: reported, the others kept.
        failing = oddsmith.aggregate("AA, KK", "QQ, JJ", flops="Kh 8d 3c, As Ks 2c", kind="equity", dead="As",
                                     client=client, retries=1)
    assert done == [(n, 4) for n in range(1, 5)]

    def without_time(report):
        return [{k: v for k, v in row.items() if k != "seconds"} for row in report.rows]
    assert not local.failed and not remote.failed and remote.columns == local.columns
    assert without_time(remote) == without_time(local)
    assert [r["flop"] for r in failing.rows] == ["Kh8d3c"] and list(failing.failed) == ["AsKs2c"]
    remote.to_parquet(str(tmp_path / "r.parquet"))
    table = pyarrow_parquet.read_table(str(tmp_path / "r.parquet"))
    assert table.column_names == remote.columns and table.column("oop_ev").to_pylist() == remote.column("oop_ev")
