"""The fixed-seed generator shared by the range generators."""


class Rng:
    """xorshift64*: small, fixed, the same on every Python version."""

    def __init__(self, seed):
        self.x = seed

    def next(self):
        x = self.x
        x ^= x >> 12
        x ^= (x << 25) & 0xFFFFFFFFFFFFFFFF
        x ^= x >> 27
        self.x = x
        return (x * 0x2545F4914F6CDD1D) & 0xFFFFFFFFFFFFFFFF

    def below(self, n):
        return (self.next() >> 11) % n

    def choice(self, items):
        return items[self.below(len(items))]

    def weighted(self, weights):
        total = sum(weights)
        pick = (self.next() >> 11) / float(1 << 53) * total
        for i, w in enumerate(weights):
            pick -= w
            if pick < 0:
                return i
        return len(weights) - 1

    def shuffle(self, items):
        for i in range(len(items) - 1, 0, -1):
            j = self.below(i + 1)
            items[i], items[j] = items[j], items[i]
