#!/usr/bin/env python3
"""Writes the reference values of the measuring tools, computed apart from the C++ code:
lengths and areas in exact decimal arithmetic, pixel areas by testing every pixel centre.
Cases whose value lies within a hair of a rounding boundary are left out, since there the
last digit depends on binary rounding rather than on the formula."""
import math
import sys
from decimal import Decimal, getcontext, ROUND_HALF_EVEN

getcontext().prec = 50
PI = Decimal("3.1415926")
TWO_PI = Decimal("6.2831852")

NOMINAL = {1: "63.829787234", 5: "63.829787234", 4: "66.666667"}
UNIT = {"mm": "0.001", "cm": "0.0001", "mil": "0.0394", "inch": "0.0000394"}
RATIO = {(320, 240): ("*", "2"), (352, 288): ("/", "0.55"), (800, 600): ("/", "1.25"),
         (1024, 768): ("/", "1.6"), (1280, 720): ("/", "1.5"), (1280, 960): ("*", "0.5"),
         (1280, 1024): ("*", "0.5"), (1600, 1200): ("/", "2.5"), (1920, 1080): ("/", "2.25"),
         (2048, 1536): ("/", "3.2"), (2592, 1944): ("/", "4.05"), (3264, 2448): ("/", "5.1")}


def nominal(cls, w, h):
    if cls in NOMINAL:
        return Decimal(NOMINAL[cls])
    if cls == 2:
        return Decimal("63.829787234") if (w, h) == (1280, 960) else Decimal("80.0")
    if cls == 3:
        return {(1920, 1080): Decimal("57.507987"), (1280, 720): Decimal("66.666667")}.get(
            (w, h), Decimal("100.0"))
    return None


def pixel_factor(cls, w, h, unit, full):
    n = nominal(cls, w, h)
    if n is None:
        return Decimal("0.001")
    pf = n * Decimal(UNIT[unit])
    if full and (w, h) in RATIO:
        op, r = RATIO[(w, h)]
        pf = pf * Decimal(r) if op == "*" else pf / Decimal(r)
    return pf


def text(value, decimals):
    q = Decimal(1).scaleb(-decimals)
    rounded = value.quantize(q, rounding=ROUND_HALF_EVEN)
    # Too close to a boundary to be sure of the last digit after binary rounding.
    if abs(abs(value - rounded) - q / 2) < Decimal("1e-9") * q:
        raise ValueError("near a rounding boundary")
    return format(rounded, "f")


def pixel_area(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    count = 0
    for y in range(min(ys), max(ys)):
        for x in range(min(xs), max(xs)):
            cx, cy = x + 0.5, y + 0.5
            inside = False
            for i in range(len(points)):
                (x1, y1), (x2, y2) = points[i], points[(i + 1) % len(points)]
                if (y1 > cy) != (y2 > cy):
                    if cx < x1 + (cy - y1) * (x2 - x1) / (y2 - y1):
                        inside = not inside
            count += inside
    return count


def angle(u, v):
    dot = u[0] * v[0] + u[1] * v[1]
    c = max(-1.0, min(1.0, dot / (math.hypot(*u) * math.hypot(*v))))
    return Decimal(math.acos(c)) * 180 / PI


def values(kind, pts, pf, s, d):
    L = lambda px: px * pf * 10 / s
    A = lambda px: px * pf * pf * 100 / (s * s)
    dist = lambda a, b: (Decimal(b[0] - a[0]) ** 2 + Decimal(b[1] - a[1]) ** 2).sqrt()
    if kind == "Line":
        return [text(L(dist(pts[0], pts[1])), d)]
    if kind == "RadiusCircle":
        r = dist(pts[0], pts[1])
        return [text(L(r), d), text(TWO_PI * r * pf * 10 / s, d), text(PI * r * r * pf * pf * 100 / (s * s), d)]
    if kind == "DiameterCircle":
        dd = dist(pts[0], pts[1])
        return [text(L(dd), d), text(PI * dd * pf * 10 / s, d),
                text(PI * (dd / 2) * (dd / 2) * pf * pf * 100 / (s * s), d)]
    if kind == "ThreePointCircle":
        (x1, y1), (x2, y2), (x3, y3) = [(Decimal(a), Decimal(b)) for a, b in pts]
        den = 2 * (x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2))
        s1, s2, s3 = x1 * x1 + y1 * y1, x2 * x2 + y2 * y2, x3 * x3 + y3 * y3
        cx = (s1 * (y2 - y3) + s2 * (y3 - y1) + s3 * (y1 - y2)) / den
        cy = (s1 * (x3 - x2) + s2 * (x1 - x3) + s3 * (x2 - x1)) / den
        r = ((x2 - cx) ** 2 + (y2 - cy) ** 2).sqrt()
        return [text(L(r), d), text(TWO_PI * r * pf * 10 / s, d), text(PI * r * r * pf * pf * 100 / (s * s), d)]
    if kind == "Rectangle":
        dx, dy = Decimal(pts[1][0] - pts[0][0]), Decimal(pts[1][1] - pts[0][1])
        return [text(abs(dx * pf) * 10 / s, d), text(abs(dy * pf) * 10 / s, d),
                text(abs(dx * pf * pf * dy) * 100 / (s * s), d)]
    if kind == "Polygon":
        return [text(A(Decimal(pixel_area(pts))), d)]
    if kind == "ThreePointAngle":
        a, v, b = pts
        return [text(angle((a[0] - v[0], a[1] - v[1]), (b[0] - v[0], b[1] - v[1])), 2)]
    raise ValueError(kind)


CASES = [
    # kind, points, sensor class, photo w, h, full size, unit, scale, decimals
    ("Line", [(0, 0), (100, 0)], 1, 640, 480, 0, "mm", "60", 3),
    ("Line", [(10, 20), (413, 317)], 3, 2592, 1944, 1, "mm", "45.5", 4),
    ("Line", [(5, 5), (5, 5)], 1, 640, 480, 0, "mm", "60", 3),
    ("Line", [(0, 0), (637, 479)], 2, 1280, 960, 0, "inch", "200", 5),
    ("Line", [(3, 9), (250, 41)], 0, 640, 480, 0, "cm", "10", 2),
    ("Line", [(100, 100), (101, 377)], 4, 3264, 2448, 1, "mil", "123.4", 3),
    ("RadiusCircle", [(320, 240), (400, 300)], 1, 640, 480, 0, "mm", "60", 3),
    ("RadiusCircle", [(10, 10), (13, 17)], 3, 1920, 1080, 1, "cm", "30", 5),
    ("DiameterCircle", [(100, 100), (300, 250)], 2, 1600, 1200, 1, "mm", "80", 4),
    ("DiameterCircle", [(0, 0), (1, 0)], 5, 640, 480, 0, "inch", "10", 5),
    ("ThreePointCircle", [(0, 0), (100, 0), (50, 10)], 1, 640, 480, 0, "mm", "60", 3),
    ("ThreePointCircle", [(10, 50), (60, 20), (200, 140)], 3, 1280, 720, 1, "mil", "12.5", 2),
    ("Rectangle", [(300, 200), (100, 50)], 1, 640, 480, 0, "mm", "60", 3),
    ("Rectangle", [(17, 33), (523, 401)], 4, 640, 480, 0, "cm", "250", 4),
    ("Polygon", [(10, 10), (200, 30), (120, 180), (40, 90)], 1, 640, 480, 0, "mm", "60", 3),
    ("Polygon", [(0, 0), (50, 50), (100, 100)], 1, 640, 480, 0, "mm", "60", 3),
    ("Polygon", [(0, 0), (60, 0), (0, 60), (60, 60)], 3, 2592, 1944, 1, "mm", "35", 5),
    ("Polygon", [(5, 5), (95, 12), (70, 88), (50, 30), (12, 77)], 2, 800, 600, 0, "inch", "20", 5),
    ("ThreePointAngle", [(100, 0), (0, 0), (0, 100)], 1, 640, 480, 0, "mm", "60", 3),
    ("ThreePointAngle", [(13, 7), (100, 100), (250, 31)], 1, 640, 480, 0, "mm", "60", 5),
    ("ThreePointAngle", [(0, 0), (50, 0), (100, 0)], 1, 640, 480, 0, "mm", "60", 3),
]


def main():
    out = sys.stdout
    out.write("# kind;points;class;width;height;fullsize;unit;scale;decimals;values\n")
    for kind, pts, cls, w, h, full, unit, scale, dec in CASES:
        pf = pixel_factor(cls, w, h, unit, full)
        try:
            vals = values(kind, pts, pf, Decimal(scale), dec)
        except ValueError:
            continue
        points = " ".join(f"{x},{y}" for x, y in pts)
        out.write(f"{kind};{points};{cls};{w};{h};{full};{unit};{scale};{dec};{'|'.join(vals)}\n")


if __name__ == "__main__":
    main()
