#!/usr/bin/env python3
"""Q and S/U rounded up, checked against Python's fractions over 100,000 random areas.

Usage: check_exact_rating.py PROGRAM. PROGRAM reads "CLASS HAZARD K×10 BUILDING×10 AREA" lines
and writes "Q S/U Q' S/U'": from the area as typed, and from the area stored as a double (its
shortest decimal, which Python's repr gives).
"""
import random
import subprocess
import sys
from fractions import Fraction

# U in m² per A or B, by class and hazard level (light, medium, serious).
UNIT_AREA = {"A": ["100", "75", "50"], "B": ["1.5", "1", "0.5"]}
FACTORS = [10, 9, 7, 5, 3]
CASES = 100_000


def ceil(x: Fraction) -> int:
    return -((-x.numerator) // x.denominator)


def area_text(rng: random.Random, fire_class: str, hazard: int, k: int, b: int) -> str:
    kind = rng.randrange(4)
    if kind == 0:  # a whole number up to 1e7
        return str(rng.randrange(0, 10_000_001))
    if kind == 1:  # up to nine decimals, up to 1e7
        decimals = rng.randrange(1, 10)
        return f"{rng.randrange(0, 10**7)}.{rng.randrange(0, 10**decimals):0{decimals}d}"
    # An area whose Q or S/U lies a hair above or below a whole number.
    u = Fraction(UNIT_AREA[fire_class][hazard])
    per = u * 100 / (k * b) if kind == 2 else u
    whole = rng.randrange(1, 200_000)
    decimals = rng.randrange(4, 10)
    step = Fraction(1, 10**decimals)
    s = whole * per
    s = (s / step).__floor__() * step + rng.choice([-1, 0, 1]) * step
    s = max(s, Fraction(0))
    if s > 10**7:
        s = Fraction(10**7)
    scaled = int(s * 10**decimals)  # s is a whole number of steps
    return f"{scaled // 10**decimals}.{scaled % 10**decimals:0{decimals}d}"


def main() -> int:
    program = sys.argv[1]
    rng = random.Random(20261207)
    cases = []
    for _ in range(CASES):
        fire_class = rng.choice("AB")
        hazard = rng.randrange(3)
        k = rng.choice(FACTORS)
        b = rng.choice([10, 13])
        cases.append((fire_class, hazard, k, b, area_text(rng, fire_class, hazard, k, b)))
    lines = "".join(f"{c} {h} {k} {b} {s}\n" for c, h, k, b, s in cases)
    run = subprocess.run([program], input=lines, capture_output=True, text=True, check=True)
    answers = run.stdout.split("\n")
    failures = 0
    for (c, h, k, b, s), answer in zip(cases, answers):
        u = Fraction(UNIT_AREA[c][h])
        expected = []
        for area in (Fraction(s), Fraction(repr(float(s)))):
            expected += [ceil(Fraction(k, 10) * Fraction(b, 10) * area / u), ceil(area / u)]
        if [int(x) for x in answer.split()] != expected:
            failures += 1
            if failures <= 10:
                print(f"{c} {h} K={k} B={b} S={s}: got {answer}, expected {expected}")
    checked = min(len(cases), len([a for a in answers if a]))
    print(f"{checked} areas checked, {failures} wrong")
    return 0 if failures == 0 and checked == CASES else 1


if __name__ == "__main__":
    sys.exit(main())
