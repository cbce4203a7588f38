#!/usr/bin/env python3
"""Writes the reference labels of Orbilux's measuring tools, computed apart from the C++ code
from the rules the viewer measures by. Single precision is imitated by rounding every float
operation's result to the nearest float32 (struct packing): for +, -, *, / and square roots
of float operands the double result rounded once to float32 is the float32 result.

The rules (points are the clicks, doubles, y up):
- length: dx = f(x2 - x1), dy = f(y2 - y1), sqrt(dx*dx + dy*dy) all in float.
- shown length n * unit length / magnification in float; area a * (L*L) / (M*M) in float.
- radius circle: r = length; C = f(6.283 * r) and A = f(3.1415 * r * r) in double.
- diameter circle: C = f(3.1415 * d), A = f(3.1415 * d * d * 0.25).
- three-point circle: D = 2((y3-y2)(x2-x1) - (x3-x2)(y2-y1)); |D| < 1e-10 gives r 0;
  otherwise the circumcentre in double, r = length between the points cut to whole numbers
  (towards zero) of P1 and the centre; C = f(r * 6.283), A = f(3.1415 * r * r).
- point to line: t = f(dot) / f(|P1 - P2|^2 of whole coordinates) in float, the foot
  P2 + t (P1 - P2) in double, then the length P3-foot; coinciding line points: foot P2.
- polygon: |sum(x_i y_i+1 - x_i+1 y_i)| / 2 in double, then float.
- polyline: the float sum of the float segment lengths.
- line-angle rule on whole-number points, every step in float, acos in double, times 180
  over 3.1415926; the three-point angle (lines P1-P3, P3-P2) decides its parallel case by
  the arms' directions (0 same way, 180 opposite, 0 with an arm of no length); the
  four-point angle takes lines (P1, P2) and (P4, P3).
- arc: bisector slopes -(xa - x3) / (ya - y3) in float (1e6 for equal y), their crossing in
  float, radius the float length P1-centre cut to a whole number, each point's angle by the
  rule between the rays centre->point and centre->(centre x + 100, centre y), points below
  the centre 360 minus it; the shown angle is largest minus smallest, "Rad" that angle times
  0.01745277777777778 in double.
- labels "%.*f" (round half to even on the exact binary value, as printf does).
"""
import math
import struct
import sys
from decimal import Decimal


def f(x):
    """The float32 nearest to the double x."""
    return struct.unpack("<f", struct.pack("<f", x))[0]


def f_text(text):
    """The float32 nearest to a decimal text (no double rounding on the way)."""
    exact = Decimal(text)
    guess = f(float(text))
    bits = struct.unpack("<I", struct.pack("<f", guess))[0]
    neighbours = [guess] + [struct.unpack("<f", struct.pack("<I", b))[0] for b in (bits - 1, bits + 1)]
    return min(neighbours, key=lambda c: (abs(Decimal(c) - exact), bits & 1))


def whole(v):
    return int(math.trunc(v))


def length(a, b):
    dx = f(b[0] - a[0])
    dy = f(b[1] - a[1])
    return f(math.sqrt(f(f(dx * dx) + f(dy * dy))))


def ray_angle(cx, cy, ea, eb):
    ux, uy = f(ea[0] - cx), f(ea[1] - cy)
    vx, vy = f(eb[0] - cx), f(eb[1] - cy)
    la = f(math.sqrt(f(f(ux * ux) + f(uy * uy))))
    lb = f(math.sqrt(f(f(vx * vx) + f(vy * vy))))
    if not la > 0 or not lb > 0:
        return 0.0
    c = f(f(f(ux * vx) + f(uy * vy)) / f(la * lb))
    c = max(-1.0, min(1.0, c))
    return f(math.acos(c) * 180 / 3.1415926)


def line_angle(a1, a2, b1, b2):
    """(degrees, parallel) for line A (a1, a2) and line B (b1, b2), whole-number points."""
    va, vb = a2[0] == a1[0], b2[0] == b1[0]
    if va and vb:
        return (180.0 if a2[1] < a1[1] < b2[1] else 0.0), True
    ka = 0.0 if va else f(f(a2[1] - a1[1]) / f(a2[0] - a1[0]))
    kb = 0.0 if vb else f(f(b2[1] - b1[1]) / f(b2[0] - b1[0]))
    if not va and not vb and ka == kb:
        return (180.0 if ka == 0 and a2[0] < a1[0] < b2[0] else 0.0), True
    if va:
        cx = f(a1[0])
        cy = f(f(kb * f(a1[0] - b2[0])) + b2[1])
    elif vb:
        cx = f(b1[0])
        cy = f(f(ka * f(b1[0] - a2[0])) + a2[1])
    else:
        t = f(kb * b2[0])
        t = f(t - b2[1])
        t = f(t - f(ka * a2[0]))
        t = f(t + a2[1])
        cx = f(t / f(kb - ka))
        cy = f(f(ka * f(cx - a2[0])) + a2[1])

    def d2(p):
        dx, dy = f(p[0] - cx), f(p[1] - cy)
        return f(f(dx * dx) + f(dy * dy))

    ea = a1 if d2(a1) > d2(a2) else a2
    eb = b1 if d2(b1) > d2(b2) else b2
    return ray_angle(cx, cy, ea, eb), False


def wp(p):
    return (whole(p[0]), whole(p[1]))


def three_point_angle(p1, p2, vertex):
    a, b, v = wp(p1), wp(p2), wp(vertex)
    degrees, parallel = line_angle(a, v, v, b)
    if not parallel:
        return degrees
    u = (a[0] - v[0], a[1] - v[1])
    w = (b[0] - v[0], b[1] - v[1])
    if u == (0, 0) or w == (0, 0):
        return 0.0
    return 0.0 if u[0] * w[0] + u[1] * w[1] > 0 else 180.0


def four_point_angle(p1, p2, p3, p4):
    return line_angle(wp(p1), wp(p2), wp(p4), wp(p3))[0]


def determinant(p1, p2, p3):
    (x1, y1), (x2, y2), (x3, y3) = p1, p2, p3
    return 2 * ((y3 - y2) * (x2 - x1) - (x3 - x2) * (y2 - y1))


def circle(p1, p2, p3):
    d = determinant(p1, p2, p3)
    if abs(d) < 1e-10:
        return 0.0
    (x1, y1), (x2, y2), (x3, y3) = p1, p2, p3
    s1, s2, s3 = x1 * x1 + y1 * y1, x2 * x2 + y2 * y2, x3 * x3 + y3 * y3
    cx = (s1 * (y2 - y3) + s2 * (y3 - y1) + s3 * (y1 - y2)) / d
    cy = (s1 * (x3 - x2) + s2 * (x1 - x3) + s3 * (x2 - x1)) / d
    return length((math.trunc(x1), math.trunc(y1)), (math.trunc(cx), math.trunc(cy)))


def arc(p1, p2, p3):
    x1, y1, x2, y2, x3, y3 = (f(v) for v in (*p1, *p2, *p3))
    k1 = 1e6 if y1 == y3 else f(-f(x1 - x3) / f(y1 - y3))
    k2 = 1e6 if y2 == y3 else f(-f(x2 - x3) / f(y2 - y3))
    if k1 == k2 or abs(determinant(p1, p2, p3)) < 1e-10:
        return 0.0, 0.0
    m1x, m1y = f(f(x1 + x3) / 2), f(f(y1 + y3) / 2)
    m2x, m2y = f(f(x2 + x3) / 2), f(f(y2 + y3) / 2)
    t = f(f(f(f(k1 * m1x) - m1y) - f(k2 * m2x)) + m2y)
    cx = f(t / f(k1 - k2))
    cy = f(f(k1 * f(cx - m1x)) + m1y)
    radius = float(math.trunc(length(p1, (cx, cy))))
    c = wp((cx, cy))
    angles = []
    for p in (p1, p2, p3):
        w = wp(p)
        a = line_angle(c, w, c, (c[0] + 100, c[1]))[0]
        angles.append(f(360.0 - a) if w[1] < c[1] else a)
    angles.sort()
    return radius, f(angles[2] - angles[0])


def foot_distance(p1, p2, p3):
    ax, ay = math.trunc(p1[0]) - math.trunc(p2[0]), math.trunc(p1[1]) - math.trunc(p2[1])
    squared = f(ax * ax + ay * ay)
    if squared == 0:
        foot = p2
    else:
        dot = f((p3[0] - p2[0]) * (p1[0] - p2[0]) + (p3[1] - p2[1]) * (p1[1] - p2[1]))
        t = f(dot / squared)
        foot = (p2[0] + t * (p1[0] - p2[0]), p2[1] + t * (p1[1] - p2[1]))
    return length(p3, foot)


def polygon(points):
    s = 0.0
    for i, a in enumerate(points):
        b = points[(i + 1) % len(points)]
        s += a[0] * b[1] - b[0] * a[1]
    return f(abs(s) / 2)


def polyline(points):
    total = 0.0
    for a, b in zip(points, points[1:]):
        total = f(total + length(a, b))
    return total


def labels(mode, pts, unit, unit_length, magnification, decimals):
    L, M = f_text(unit_length), f_text(magnification)
    shown = lambda n: f(f(n * L) / M)
    shown_area = lambda a: f(f(a * f(L * L)) / f(M * M))
    num = lambda v: "%.*f" % (decimals, v)
    ln = lambda prefix, n: prefix + num(shown(n)) + unit
    area = lambda a: "A:" + num(shown_area(a)) + unit + "\u00b2"
    deg = lambda a: "<:" + num(a) + "\u00b0"
    if mode == 1:
        return [ln("L:", length(pts[0], pts[1]))]
    if mode == 2:
        return [ln("L:", polyline(pts))]
    if mode == 3:
        return [ln("L:", foot_distance(*pts))]
    if mode in (4, 5, 6):
        if mode == 6:
            r = circle(*pts)
            c, a = f(r * 6.283), f(3.1415 * r * r)
        elif mode == 4:
            r = length(*pts)
            c, a = f(6.283 * r), f(3.1415 * r * r)
        else:
            r = length(*pts)
            c, a = f(3.1415 * r), f(3.1415 * r * r * 0.25)
        return [ln("D:" if mode == 5 else "R:", r), ln("C:", c), area(a)]
    if mode == 7:
        radius, sweep = arc(*pts)
        return [ln("R:", radius), deg(sweep), "Rad:" + num(sweep * 0.01745277777777778)]
    if mode == 8:
        return [deg(three_point_angle(*pts))]
    if mode == 9:
        return [deg(four_point_angle(*pts))]
    if mode == 10:
        return [area(polygon(pts))]
    raise ValueError(mode)


CASES = [
    # mode, clicks, unit, unit length, magnification, decimals
    (1, [(0, 0), (30, 40)], "mm", "1.2", "60", 3),
    (1, [(10, 20), (413, 317)], "mm", "1", "60", 4),
    (1, [(5, 5), (5, 5)], "mm", "1", "60", 3),
    (1, [(0.75, 3.5), (640.25, 479.5)], "um", "12.5", "200", 2),
    (1, [(799, 0), (0, 639)], "inch", "0.0394", "45.5", 5),
    (2, [(0, 0), (100, 0), (100, 75), (13, 200)], "mm", "1", "60", 3),
    (2, [(10, 10), (411, 317)], "cm", "0.125", "80", 4),
    (2, [(1, 2), (3, 5), (8, 13), (21, 34), (55, 89), (144, 233), (377, 610), (600, 100), (700, 500)],
     "mm", "2.5", "100", 3),
    (3, [(0, 0), (100, 0), (50, 40)], "mm", "1", "60", 3),
    (3, [(10, 10), (300, 200), (40, 380)], "mm", "0.8", "35", 4),
    (3, [(10.2, 10.9), (10.7, 10.1), (90, 40)], "mm", "1", "60", 3),
    (3, [(0, 0), (0.5, 0), (30, 40)], "mm", "1", "60", 3),
    (4, [(320, 240), (330, 240)], "mm", "1", "1", 3),
    (4, [(320, 240), (400, 300)], "mm", "1", "60", 3),
    (4, [(10, 10), (13, 17)], "cm", "0.125", "30", 5),
    (5, [(100, 100), (300, 250)], "mm", "1", "80", 4),
    (5, [(0, 0), (1, 0)], "inch", "0.0394", "10", 5),
    (6, [(0, 0), (100, 0), (50, 10)], "mm", "1", "60", 3),
    (6, [(10, 50), (60, 20), (200, 140)], "mm", "1.5", "12.5", 2),
    (6, [(0, 0), (50, 50), (100, 100)], "mm", "1", "60", 3),
    (6, [(100.6, 20.2), (220.9, 300.7), (400.1, 50.5)], "um", "1", "60", 3),
    (7, [(0, 100), (100, 0), (71, 71)], "mm", "1", "1", 3),
    (7, [(10, 50), (200, 140), (60, 20)], "mm", "1", "60", 4),
    (7, [(300, 100), (100, 100), (200, 173)], "mm", "2", "60", 3),
    (7, [(0, 0), (50, 50), (100, 100)], "mm", "1", "60", 3),
    (7, [(400, 300), (250, 120), (600, 180)], "cm", "0.1", "45", 5),
    (8, [(10, 0), (0, 10), (0, 0)], "mm", "1", "60", 3),
    (8, [(13, 7), (250, 31), (100, 100)], "mm", "1", "60", 5),
    (8, [(5, 0), (10, 0), (0, 0)], "mm", "1", "60", 3),
    (8, [(0, 0), (100, 0), (50, 0)], "mm", "1", "60", 3),
    (8, [(0, 5), (0, 10), (0, 0)], "mm", "1", "60", 3),
    (8, [(0, -5), (0, 10), (0, 0)], "mm", "1", "60", 3),
    (8, [(0, 0), (30, 40), (0, 0)], "mm", "1", "60", 3),
    (8, [(300, 200), (100, 400), (200, 300)], "mm", "1", "60", 3),
    (9, [(0, 0), (10, 0), (20, 0), (30, 0)], "mm", "1", "60", 3),
    (9, [(0, 0), (10, 0), (30, 0), (20, 0)], "mm", "1", "60", 3),
    (9, [(0, 0), (100, 0), (30, 40), (80, 90)], "mm", "1", "60", 3),
    (9, [(10, 10), (10, 200), (0, 50), (300, 170)], "mm", "1", "60", 3),
    (9, [(0, 120), (300, 30), (200, 0), (200, 400)], "mm", "1", "60", 3),
    (9, [(5, 7), (90, 61), (400, 3), (130, 222)], "mm", "1", "60", 4),
    (9, [(0, 10), (0, 0), (0, 30), (0, 20)], "mm", "1", "60", 3),
    (10, [(0, 0), (10, 0), (10, 10), (0, 10)], "mm", "1", "1", 3),
    (10, [(10, 10), (200, 30), (120, 180), (40, 90)], "mm", "1", "60", 3),
    (10, [(0, 0), (50, 50), (100, 100)], "mm", "1", "60", 3),
    (10, [(0, 0), (60, 0), (0, 60), (60, 60)], "cm", "0.125", "35", 5),
    (10, [(5, 5), (95, 12), (70, 88), (50, 30), (12, 77), (300, 400), (700, 20), (10, 600), (400, 400)],
     "mm", "1.2", "60", 2),
    # Enough decimals to show where single precision rounds.
    (1, [(0, 0), (1, 1)], "mm", "1", "1", 10),
    (1, [(0.1, 0.2), (100.7, 33.3)], "mm", "1", "1", 10),
    (2, [(0.1, 0.2), (100.7, 33.3), (7.25, 400.9)], "mm", "1", "1", 10),
    (4, [(0.3, 0.7), (500.1, 300.9)], "mm", "1", "1", 6),
    (1, [(13, 17), (711, 523)], "um", "0.3", "7", 9),
    (2, [(0, 0), (1, 1), (3, 2), (6, 7)], "mm", "1", "3", 9),
    (3, [(3, 9), (517, 411), (250, 30)], "mm", "1", "1", 9),
    (4, [(100, 100), (117, 131)], "mm", "1", "1", 9),
    (5, [(100, 100), (117, 131)], "mm", "0.1", "3", 10),
    (6, [(10, 50), (60, 20), (200, 140)], "mm", "1", "1", 9),
    (7, [(400, 300), (250, 120), (600, 180)], "mm", "1", "1", 9),
    (8, [(13, 7), (250, 31), (100, 100)], "mm", "1", "1", 10),
    (9, [(5, 7), (90, 61), (400, 3), (130, 222)], "mm", "1", "1", 10),
    (10, [(10, 10), (200, 30), (120, 180), (40, 90)], "mm", "0.7", "3", 9),
]


def main():
    out = sys.stdout
    out.write("# mode;clicks;unit;unit length;magnification;decimals;labels\n")
    for mode, pts, unit, unit_length, magnification, decimals in CASES:
        text = "|".join(labels(mode, pts, unit, unit_length, magnification, decimals))
        clicks = " ".join(f"{x},{y}" for x, y in pts)
        out.write(f"{mode};{clicks};{unit};{unit_length};{magnification};{decimals};{text}\n")


if __name__ == "__main__":
    main()
