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
        cx, cy = circle_centre(*[(Decimal(a), Decimal(b)) for a, b in pts])
        x2, y2 = Decimal(pts[1][0]), Decimal(pts[1][1])
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
    if kind == "FourPointAngle":
        return [text(line_angle(*pts), 2)]
    if kind == "ContinuousLine":
        segments = [text(L(dist(pts[i - 1], pts[i])), d) for i in range(1, len(pts))]
        total = sum(Decimal(v) for v in segments)
        return segments + ["TL=" + format(total.quantize(Decimal("0.000001")), "f")]
    raise ValueError(kind)


def circle_centre(p1, p2, p3):
    """The circumcentre by the three slope branches, written as the formulas read."""
    (x1, y1), (x2, y2), (x3, y3) = p1, p2, p3
    if x1 == x2:
        m = (y3 - y2) / (x3 - x2)
        cy = (y1 + y2) / 2
        cx = (x2 + x3) / 2 + m * (y2 + y3) / 2 - m * (y1 + y2) / 2
    elif x3 == x2:
        m = (y1 - y2) / (x1 - x2)
        cy = (y2 + y3) / 2
        cx = (x1 + x2) / 2 + m * (y1 + y2) / 2 - m * (y2 + y3) / 2
    else:
        m1 = (y1 - y2) / (x1 - x2)
        m2 = (y3 - y2) / (x3 - x2)
        cx = ((x1 + x2) * m2 + m1 * m2 * (y1 - y3) - m1 * (x2 + x3)) / (2 * (m2 - m1))
        cy = (y2 + y3) / 2 - (cx - (x2 + x3) / 2) / m2
    return cx, cy


def line_angle(a0, a1, b0, b1):
    """The angle between two lines by their crossing, as the formulas read (no parallels)."""
    a_vertical, b_vertical = a1[0] == a0[0], b1[0] == b0[0]
    ma = None if a_vertical else (a1[1] - a0[1]) / (a1[0] - a0[0])
    mb = None if b_vertical else (b1[1] - b0[1]) / (b1[0] - b0[0])
    if a_vertical:
        ix, iy = a0[0], mb * (a0[0] - b1[0]) + b1[1]
    elif b_vertical:
        ix, iy = b0[0], ma * (b0[0] - a1[0]) + a1[1]
    else:
        ix = (b1[0] * mb - b1[1] - a1[0] * ma + a1[1]) / (mb - ma)
        iy = ma * (ix - a1[0]) + a1[1]
    far = lambda p, q: p if (p[0] - ix) ** 2 + (p[1] - iy) ** 2 > (q[0] - ix) ** 2 + (q[1] - iy) ** 2 else q
    ea, eb = far(a0, a1), far(b0, b1)
    return angle((ea[0] - ix, ea[1] - iy), (eb[0] - ix, eb[1] - iy))


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
    ("FourPointAngle", [(0, 0), (100, 0), (30, 40), (80, 90)], 1, 640, 480, 0, "mm", "60", 3),
    ("FourPointAngle", [(10, 10), (10, 200), (0, 50), (300, 170)], 1, 640, 480, 0, "mm", "60", 3),
    ("FourPointAngle", [(0, 120), (300, 30), (200, 0), (200, 400)], 1, 640, 480, 0, "mm", "60", 3),
    ("FourPointAngle", [(5, 7), (90, 61), (400, 3), (130, 222)], 1, 640, 480, 0, "mm", "60", 3),
    ("ContinuousLine", [(0, 0), (100, 0), (100, 75), (13, 200)], 1, 640, 480, 0, "mm", "60", 3),
    ("ContinuousLine", [(10, 10), (411, 317), (12, 9)], 3, 2592, 1944, 1, "cm", "45.5", 5),
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
        if kind == "ContinuousLine":
            vals[-1] += unit
        points = " ".join(f"{x},{y}" for x, y in pts)
        out.write(f"{kind};{points};{cls};{w};{h};{full};{unit};{scale};{dec};{'|'.join(vals)}\n")


if __name__ == "__main__":
    main()
