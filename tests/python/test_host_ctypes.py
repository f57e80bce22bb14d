"""Loads the library by path through ctypes, as the host application does, and
calls every export with plain 32-bit integers.

    python3 test_host_ctypes.py <path to liboddsmith>
"""
import ctypes
import random
import sys
import unittest

LIBRARY_PATH = None
RANKS, SUITS = "23456789TJQKA", "cdhs"


def cards(text):
    return [RANKS.index(text[i]) * 4 + SUITS.index(text[i + 1]) for i in range(0, len(text), 2)]


class HostCallsEveryExport(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.lib = ctypes.CDLL(LIBRARY_PATH)
        int32 = ctypes.c_int32
        for name, argc in [("poker_ev5", 5), ("poker_ev7", 7), ("poker_evomaha", 9), ("poker_evomahalow", 9),
                           ("holdem_test", 1), ("omaha_test", 1), ("omahalow_test", 1),
                           ("poker_holdem_equity", 10), ("poker_omaha_equity", 12),
                           ("poker_omahahl_equity", 12)]:
            fn = getattr(cls.lib, name)
            fn.argtypes = [int32] * argc
            fn.restype = int32
        cls.lib.poker_set_holdem_range_simul.argtypes = [ctypes.POINTER(int32)]
        cls.lib.poker_set_holdem_range_simul.restype = int32
        cls.lib.poker_set_holdem_range_exact.argtypes = [int32, ctypes.c_wchar_p]
        cls.lib.poker_set_holdem_range_exact.restype = int32
        for name in ("poker_load_omaha_range", "poker_load_omahahl_range"):
            getattr(cls.lib, name).argtypes = [ctypes.POINTER(int32)]
            getattr(cls.lib, name).restype = int32

    def test_evaluators(self):
        lib = self.lib
        self.assertEqual(lib.poker_ev5(*cards("AsKsQsJsTs")), 1)
        self.assertEqual(lib.poker_ev5(*cards("7c5d4h3s2c")), 7462)
        self.assertEqual(lib.poker_ev7(1, 2, 3, 4, 5, 6, 7), 154)
        self.assertEqual(lib.poker_evomaha(*cards("AcAdAhAs"), *cards("KcKdQhQsJc")), 2468)
        self.assertEqual(lib.poker_evomahalow(*cards("4s5s9c9d"), *cards("Ac2d3hKcKd")), 31)
        self.assertEqual(lib.poker_evomahalow(*cards("4s4hQcQd"), *cards("8c7d6hKcKd")), 1024)

    def test_seven_is_best_five_of_seven(self):
        rng = random.Random(5)
        for _ in range(2000):
            hand = rng.sample(range(52), 7)
            best = min(self.lib.poker_ev5(*[hand[i] for i in range(7) if i not in (a, b)])
                       for a in range(7) for b in range(a + 1, 7))
            self.assertEqual(self.lib.poker_ev7(*hand), best)

    def test_bad_input_returns_zero_without_a_fault(self):
        lib = self.lib
        for bad in (-2**31, -1, 52, 2**31 - 1):
            self.assertEqual(lib.poker_ev5(bad, 1, 2, 3, 4), 0)
            self.assertEqual(lib.poker_ev7(0, 1, 2, 3, 4, 5, bad), 0)
            self.assertEqual(lib.poker_evomaha(0, 1, 2, 3, 4, 5, 6, 7, bad), 0)
            self.assertEqual(lib.poker_evomahalow(bad, 1, 2, 3, 4, 5, 6, 7, 8), 0)
        self.assertEqual(lib.poker_ev7(5, 5, 1, 2, 3, 4, 6), 0)
        self.assertEqual(lib.poker_evomaha(0, 1, 2, 3, 4, 5, 6, 7, 7), 0)

    def test_timing_exports(self):
        for fn in (self.lib.holdem_test, self.lib.omaha_test, self.lib.omahalow_test):
            self.assertGreaterEqual(fn(0), 0)
            self.assertGreaterEqual(fn(-5), 0)
            self.assertGreaterEqual(fn(200000), 0)


    def test_holdem_equity_and_ranges(self):
        lib = self.lib
        self.assertEqual(lib.poker_holdem_equity(*cards("2c7d"), 0, 0, 0, 0, 0, 0, 0, 0), 1000)
        self.assertEqual(lib.poker_holdem_equity(*cards("2c7d"), 5, 9, 0, *cards("AsKsQsJsTs")), 1000)
        aa = lib.poker_holdem_equity(*cards("AhAd"), 0, 1, 0, 0, 0, 0, 0, 0)
        self.assertTrue(840 <= aa <= 865, aa)  # about 85.3% against one random hand
        # Slot 0 filled with copies of Kc Kd: AA wins about 82% against it.
        hands = (ctypes.c_int32 * 4000)(*([44, 45] * 2000))
        self.assertEqual(lib.poker_set_holdem_range_simul(hands), 1)
        self.assertTrue(800 <= lib.poker_holdem_equity(*cards("AhAs"), 0, 1, 1, 0, 0, 0, 0, 0) <= 835)
        self.assertEqual(lib.poker_set_holdem_range_exact(0, "QQ+, AKs"), 1)
        self.assertEqual(lib.poker_set_holdem_range_exact(3, None), 1)
        self.assertEqual(lib.poker_set_holdem_range_exact(4, "AA"), 0)
        self.assertEqual(lib.poker_set_holdem_range_simul(None), 0)
        self.assertEqual(lib.poker_holdem_equity(*cards("AhAd"), 0, 23, 0, 0, 0, 0, 0, 0), -1)
        self.assertEqual(lib.poker_holdem_equity(*cards("AhAd"), 6, 1, 0, 0, 0, 0, 0, 0), -1)

    def test_omaha_equity_and_ranges(self):
        lib = self.lib
        player = cards("AhAsKhKs")
        self.assertEqual(lib.poker_omaha_equity(*player, 0, 0, 0, 0, 0, 0, 0, 0), 1000)
        self.assertEqual(lib.poker_omahahl_equity(*player, 0, 0, 0, 0, 0, 0, 0, 0), 1000)
        # Against copies of Jc Tc 9d 8d, ties split: roughly 60% for the aces.
        hands = (ctypes.c_int32 * 8000)(*(cards("JcTc9d8d") * 2000))
        self.assertEqual(lib.poker_load_omaha_range(hands), 1)
        self.assertEqual(lib.poker_load_omahahl_range(hands), 1)
        self.assertTrue(570 <= lib.poker_omaha_equity(*player, 0, 1, 1, 0, 0, 0, 0, 0) <= 650)
        self.assertTrue(0 <= lib.poker_omahahl_equity(*player, 0, 1, 1, 0, 0, 0, 0, 0) <= 1000)
        self.assertEqual(lib.poker_load_omaha_range(None), 0)
        self.assertEqual(lib.poker_load_omahahl_range(None), 0)
        self.assertEqual(lib.poker_omaha_equity(*player, 0, 11, 0, 0, 0, 0, 0, 0), -1)
        self.assertEqual(lib.poker_omahahl_equity(*player, 0, 1, 5, 0, 0, 0, 0, 0), -1)


if __name__ == "__main__":
    LIBRARY_PATH = sys.argv.pop(1)
    unittest.main(verbosity=2)
