"""The cost of one oddsmith.evaluate call on seven card numbers against that of
calling an empty Python function with seven arguments, in the same process:
medians of several timeit rounds, and their ratio (the aim: at most 3).

    python3 bench/python_call_cost.py      (with the package importable)
"""
import statistics
import timeit

import oddsmith


def empty(a, b, c, d, e, f, g):
    pass


def median_ns(statement, namespace, number=1_000_000, rounds=7):
    return statistics.median(timeit.repeat(statement, globals=namespace, number=number, repeat=rounds)) / number * 1e9


def main():
    hand = [51, 47, 43, 39, 35, 2, 7]
    namespace = {"evaluate": oddsmith.evaluate, "hand": hand, "empty": empty}
    compiled = oddsmith._library.extension() is not None
    call = median_ns("evaluate(hand)", namespace)
    baseline = median_ns("empty(51, 47, 43, 39, 35, 2, 7)", namespace)
    print(f"oddsmith.evaluate(7 numbers): {call:.0f} ns ({'compiled' if compiled else 'ctypes'}); "
          f"empty Python function, 7 arguments: {baseline:.0f} ns; ratio {call / baseline:.2f}")


if __name__ == "__main__":
    main()
