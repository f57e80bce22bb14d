"""The postflop solver through the package: a river spot solved to its target
with EVs that share the pot, nodes by path with NumPy strategies, weights, EVs
and equities per hand, the tree before solving, the memory bound, progress,
Ctrl-C (a real SIGINT) stopping a solve, the strategy chart, the errors, node
locks, and solutions saved and loaded."""
import os
import signal
import threading
import time
import xml.etree.ElementTree as tree

import pytest

import oddsmith

np = pytest.importorskip("numpy")

OOP = "QQ-22, AQs-A2s, ATo+, K9s+, KTo+, QTs+, JTs"
IP = "AA-22, AKs-A2s, AKo-A9o, K8s+, KTo+, Q9s+, QTo+, J9s+, T9s"
RIVER = dict(board="Qs Jh 2h 8d 3c", pot=100, stack=200, river_bets="50%, 100%", river_raises="2.5x",
             add_allin=0, force_allin=0, merge=0, max_raises=None)


def test_river_spot_and_nodes():
    sol = oddsmith.solve(OOP, IP, target=0.3, **RIVER)
    assert sol.converged and 0 <= sol.exploitability_pct <= 0.3
    assert sum(sol.ev) == pytest.approx(100, abs=1e-3)
    assert sum(sol.equity) == pytest.approx(1)
    root = sol.node()
    assert root.path == "" and root.kind == "action" and root.player == "oop"
    assert [str(a) for a in root.actions] == ["check", "bet 50", "bet 100"]
    assert sum(a.frequency for a in root.actions) == pytest.approx(1)
    acting = root.acting
    assert acting is root.ranges[0] and len(acting.hands) == root.strategy.shape[0]
    assert root.strategy.shape == (len(acting.hands), 3) and root.strategy.dtype == np.float64
    assert np.allclose(root.strategy.sum(axis=1), 1, atol=1e-5)
    assert acting.total_ev == pytest.approx(sol.ev[0], abs=1e-6)
    assert acting.hands[0][:2] != acting.hands[0][2:] and all(len(h) == 4 for h in acting.hands)
    # A raise facing a pot-sized bet: 2.5 times 100 is 250, over the stack: all-in.
    facing = sol.node("bet 100%")
    assert facing.path == "bet 100" and facing.player == "ip" and facing.pot == 200
    assert [a.name for a in facing.actions] == ["fold", "call", "allin"]
    assert facing.actions[2].amount == 200
    ip = facing.acting
    assert ip.weight.shape == ip.ev.shape == ip.equity.shape
    folded = sol.node("bet 100, fold")
    assert folded.kind == "fold" and folded.player == "ip" and folded.strategy is None
    svg = tree.fromstring(facing.to_svg())
    texts = [t.text for t in svg.iter("{http://www.w3.org/2000/svg}text")]
    assert "AA" in texts and any(t.startswith("fold ") for t in texts)
    with pytest.raises(ValueError, match="is not an action here"):
        sol.node("raise")
    with pytest.raises(ValueError, match="the hand has ended"):
        sol.node("bet 100, fold, check")


def test_turn_cards_and_resolve():
    sol = oddsmith.solve("QQ, JJ, AQs, KQs, T9s", "AA, KK, 88, AJs, 98s", board="Qs Jh 2h 8d", pot=100, stack=150,
                         turn_bets="75%", river_bets="75%", target=1.0, threads=2)
    chance = sol.node("check, check")
    assert chance.kind == "chance" and len(chance.cards) == 48 and "3c" in chance.cards
    river = sol.node("check, check, 3c")
    assert river.board == ["Qs", "Jh", "2h", "8d", "3c"]
    first = sol.exploitability_pct
    sol.resolve(target=0.2)
    assert sol.exploitability_pct <= 0.2 < first


def test_tree_and_memory_bound():
    info = oddsmith.solve_tree(OOP, IP, board="Qs Jh 2h", pot=60, stack=170, flop_bets="33%, 75%",
                               turn_bets="75%", river_bets="100%", max_raises=None, add_allin=0, force_allin=0,
                               merge=0, depth=2)
    assert info.street_trees > 3 and info.memory_bytes > 100 << 20 and not info.over_memory_bound
    assert info.text.startswith("Tree: ") and "flop tree 0 (pot 60, stacks 170)" in info.text
    started = time.monotonic()
    with pytest.raises(MemoryError, match="over the memory bound"):
        oddsmith.solve(OOP, IP, board="Qs Jh 2h", pot=60, stack=170, max_memory=64 << 20)
    assert time.monotonic() - started < 5


def test_progress_and_ctrl_c():
    calls = []
    oddsmith.solve(OOP, IP, board="Qs Jh 2h 8d", pot=100, stack=200, progress=lambda *report: calls.append(report),
                   target=0.0001, max_seconds=0.6)
    # At least every quarter second, and once at the end with where it stopped.
    assert len(calls) >= 2 and all(len(c) == 3 for c in calls)
    assert calls[-1][0] >= calls[0][0] and calls[-1][2] >= 0.5
    # A real Ctrl-C during a long solve (no target): it stops within half a second.
    sent = []
    timer = threading.Timer(0.3, lambda: (sent.append(time.monotonic()), os.kill(os.getpid(), signal.SIGINT)))
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        oddsmith.solve(OOP, IP, board="Qs Jh 2h 8d", pot=100, stack=200, target=0, max_iterations=100000)
    timer.join()
    assert time.monotonic() - sent[0] < 2  # 0.5 s asked; room for a loaded machine or the sanitizers


def test_omaha_and_five_card_omaha():
    sol = oddsmith.solve("AAKK, QQJJ, T987ds", "KKQQ, JJTT, 8765", game="omaha", target=0.3, **RIVER)
    assert sol.converged and sum(sol.ev) == pytest.approx(100, abs=1e-3)
    root = sol.node()
    assert all(len(h) == 8 for h in root.ranges[0].hands + root.ranges[1].hands)
    assert "AsAhKhKd" in root.ranges[0].hands and "KdKhAhAs" not in root.ranges[0].hands  # higher cards first
    assert root.strategy.shape == (len(root.ranges[0].hands), 3)
    with pytest.raises(ValueError, match="two-card classes"):
        root.to_svg()
    five = oddsmith.solve("AAKKQ", "JJTT9", game="omaha5", target=1.0, **RIVER).node()
    assert five.ranges[1].hands and all(len(h) == 10 for h in five.ranges[1].hands)


def test_bad_arguments():
    with pytest.raises(ValueError, match="OOP's range"):
        oddsmith.solve("QQ+, AKz", IP, **RIVER)
    with pytest.raises(ValueError, match="plays holdem, shortdeck, omaha and omaha5"):
        oddsmith.solve(OOP, IP, game="omaha-hilo", **RIVER)
    with pytest.raises(TypeError):
        oddsmith.solve(OOP, IP, river_bets=50, **{k: v for k, v in RIVER.items() if k != "river_bets"})
    with pytest.raises(ValueError, match="river bets"):
        oddsmith.solve(OOP, IP, river_bets="50%, 2x", **{k: v for k, v in RIVER.items() if k != "river_bets"})
    with pytest.raises(ValueError):
        oddsmith.solve(OOP, IP, **{**RIVER, "pot": 0})


def test_locks_and_saved_solutions(tmp_path):
    free = oddsmith.solve(OOP, IP, target=0.3, **RIVER)
    locked = oddsmith.solve(OOP, IP, target=0.3, locks=[("check", {"check": 1}), "bet 50%|AhAd|fold:1"], **RIVER)
    assert locked.locked_nodes == ["check", "bet 50"]
    node = locked.node("check")
    assert [a.frequency for a in node.actions] == [1, 0, 0] and node.locked_hands == len(node.ranges[1].hands)
    assert locked.ev[0] > free.ev[0] + 1
    for bits, tolerance in ((32, 0), (16, 1e-4)):
        path = tmp_path / f"river{bits}.osol"
        try:
            locked.save(path, bits=bits)
        except RuntimeError as e:
            if "no zstd" in str(e):
                pytest.skip(str(e))
            raise
        back = oddsmith.Solution.load(path)
        assert back.iterations == locked.iterations and back.ev == locked.ev and back.locked_nodes == ["check", "bet 50"]
        for where in ("", "check", "bet 50"):
            np.testing.assert_allclose(back.node(where).strategy, locked.node(where).strategy, rtol=0, atol=tolerance)
    path.write_bytes(path.read_bytes()[:-3])
    with pytest.raises(ValueError, match="truncated|corrupt"):
        oddsmith.load_solution(path)
