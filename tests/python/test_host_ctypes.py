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
                           ("holdem_test", 1), ("omaha_test", 1), ("omahalow_test", 1)]:
            fn = getattr(cls.lib, name)
            fn.argtypes = [int32] * argc
            fn.restype = int32

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


if __name__ == "__main__":
    LIBRARY_PATH = sys.argv.pop(1)
    unittest.main(verbosity=2)
