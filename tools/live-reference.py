#!/usr/bin/env python3
"""Writes the reference values of the live view's own arithmetic, computed apart from the C++
code: the point-to-line distance, the three-point arc, the scale line and the circle grid.
Lengths and steps in exact decimal arithmetic; only the arc's angles go through binary
atan2, as the formulas prescribe. Cases whose result lies within a hair of a rounding or
truncation boundary are left out, since there binary rounding rather than the formula
decides the last digit.

Usage: tools/live-reference.py > tests/measure/live_reference_values.txt"""
import importlib.util
import math
import pathlib
import sys
from decimal import Decimal, getcontext, ROUND_HALF_EVEN

# The pixel factor by sensor class, size and unit, as the photo tools' reference has it.
_spec = importlib.util.spec_from_file_location(
    "measure_reference", pathlib.Path(__file__).resolve().parent / "measure-reference.py")
MEASURE = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(MEASURE)

getcontext().prec = 60

STEP = {"mm": "1", "cm": "0.1", "inch": "0.01", "mil": "10"}
ARC_TWO_PI = 6.2831854820251465
ARC_PI = 3.1415927410125732
VERTICAL = Decimal(1000000)


class NearBoundary(ValueError):
    pass


def pixel_factor(cls, w, h, unit):
    """The live view works on the 640 x 480 picture: no resolution ratio."""
    return MEASURE.pixel_factor(cls, w, h, unit, False)


def text(value, decimals):
    q = Decimal(1).scaleb(-decimals)
    rounded = Decimal(value).quantize(q, rounding=ROUND_HALF_EVEN)
    if abs(abs(Decimal(value) - rounded) - q / 2) < Decimal("1e-7") * q:
        raise NearBoundary()
    return format(rounded, "f")


def trunc(value):
    """Toward zero, refusing values within a hair of a whole number."""
    value = Decimal(value)
    if abs(value - value.to_integral_value()) < Decimal("1e-7") and value != value.to_integral_value():
        raise NearBoundary()
    return int(value)


def floor_half(value):
    """(int)(value + 0.5) for a non-negative value."""
    v = Decimal(value) + Decimal("0.5")
    if abs(v - v.to_integral_value()) < Decimal("1e-9") and v != v.to_integral_value():
        raise NearBoundary()
    return int(v)


def point_to_line(a, b, p):
    if a[0] == b[0]:
        fx, fy = Decimal(a[0]), Decimal(p[1])
    elif a[1] == b[1]:
        fx, fy = Decimal(p[0]), Decimal(a[1])
    else:
        m = Decimal(b[1] - a[1]) / Decimal(b[0] - a[0])
        fx = (a[0] * m * m + p[0] + p[1] * m - a[1] * m) / (m * m + 1)
        fy = p[1] + p[0] / m - fx / m
    f = (trunc(fx), trunc(fy))
    d = (Decimal(p[0] - f[0]) ** 2 + Decimal(p[1] - f[1]) ** 2).sqrt()
    return f, d


def slope(a, b):
    dx, dy = Decimal(b[0] - a[0]), Decimal(b[1] - a[1])
    return VERTICAL if dy == 0 else -(dx / dy)


def arc(p0, p1, p2):
    k1, k2 = slope(p0, p1), slope(p1, p2)
    m1 = (Decimal(p0[0] + p1[0]) / 2, Decimal(p0[1] + p1[1]) / 2)
    m2 = (Decimal(p1[0] + p2[0]) / 2, Decimal(p1[1] + p2[1]) / 2)
    cx = (m2[1] - m1[1] + k1 * m1[0] - k2 * m2[0]) / (k1 - k2)
    cy = k1 * (cx - m1[0]) + m1[1]
    radius = trunc(((cx - p0[0]) ** 2 + (cy - p0[1]) ** 2).sqrt())
    flag = (p1[0] - p0[0]) * (p2[1] - p0[1]) - (p2[0] - p0[0]) * (p1[1] - p0[1]) < 0
    a1 = math.atan2(float(cy - p0[1]), float(p0[0] - cx))
    a2 = math.atan2(float(cy - p2[1]), float(p2[0] - cx))
    sweep = a2 - a1
    if sweep < 0:
        sweep += ARC_TWO_PI
    degrees = Decimal(sweep) * 360 * Decimal("0.5") / Decimal(ARC_PI)
    if not flag:
        degrees = 360 - degrees
    return (trunc(cx), trunc(cy)), radius, degrees


def scale_line(area, centre, per_label, magnification, step):
    ticks = 4 if magnification <= 30 else 20
    t = floor_half(per_label / ticks)
    cx, cy = centre
    h = sum(1 for k in range(0, cx + 1) if k * t < cx)
    v = sum(1 for k in range(0, cy + 1) if k * t < cy)
    labels = []
    rows = (17, -34)
    for k in range(1, h):
        value = format((k * step).quantize(Decimal("0.01")), "f")
        y = cy + rows[(k - 1) % 2]
        labels.append((cx - 6 + ticks * k * t, y, value))
        labels.append((cx - 6 - ticks * k * t, y, "-" + value))
    for k in range(1, v):
        value = format((k * step).quantize(Decimal("0.01")), "f")
        x = cx + rows[(k - 1) % 2]
        labels.append((x, cy - 6 + ticks * k * t, value))
        labels.append((x, cy - 6 - ticks * k * t, "-" + value))
    inside = [l for l in labels if 0 <= l[0] < area[0] and 0 <= l[1] < area[1]]
    return ticks, t, h, v, inside


PTL_CASES = [
    # a, b, p, class, w, h, unit, scale, decimals
    ((100, 100), (300, 100), (200, 50), 1, 640, 480, "mm", "60", 3),
    ((100, 50), (100, 400), (250, 200), 3, 2592, 1944, "mm", "45.5", 4),
    ((10, 20), (400, 300), (123, 456), 1, 640, 480, "mm", "60", 3),
    ((0, 0), (640, 480), (0, 480), 2, 1600, 1200, "cm", "80", 5),
    ((50, 400), (500, 30), (320, 240), 4, 3264, 2448, "inch", "120", 5),
    ((20, 30), (620, 330), (220, 130), 5, 640, 480, "mil", "12.5", 2),
    ((600, 470), (30, 12), (111, 333), 3, 1920, 1080, "mm", "200", 3),
]

ARC_CASES = [
    # p0, p1, p2, class, w, h, unit, scale, decimals
    ((100, 200), (200, 100), (300, 200), 1, 640, 480, "mm", "60", 3),
    ((300, 200), (200, 100), (100, 200), 1, 640, 480, "mm", "60", 3),
    ((100, 300), (300, 300), (250, 150), 3, 2592, 1944, "mm", "45.5", 4),
    ((50, 60), (200, 20), (330, 210), 2, 1600, 1200, "cm", "80", 5),
    ((100, 200), (200, 300), (210, 110), 4, 3264, 2448, "inch", "120", 5),
    ((320, 100), (420, 240), (320, 380), 5, 640, 480, "mil", "20", 2),
    ((400, 400), (410, 380), (430, 372), 3, 1920, 1080, "mm", "30", 3),
]

OVERLAY_CASES = [
    # class, w, h, unit, scale, area w, h, still, overlay scale
    (1, 640, 480, "mm", "30", 640, 480, 0, "1"),
    (1, 640, 480, "mm", "31", 640, 480, 0, "1"),
    (1, 640, 480, "cm", "30", 640, 480, 0, "1"),
    (1, 640, 480, "inch", "30", 640, 480, 0, "1"),
    (1, 640, 480, "mil", "30", 640, 480, 0, "1"),
    (1, 640, 480, "mil", "60", 640, 480, 0, "1"),
    (5, 640, 480, "mm", "10", 640, 480, 0, "1"),
    (3, 1920, 1080, "mm", "60", 1920, 1080, 1, "2.25"),
    (4, 3264, 2448, "mm", "45", 3264, 2448, 1, "5.1"),
    (2, 1600, 1200, "cm", "100", 1600, 1200, 1, "2.5"),
    (3, 2592, 1944, "inch", "250", 2592, 1944, 1, "4.05"),
    (1, 640, 480, "mm", "30", 640, 480, 1, "1"),
]


def main():
    out = sys.stdout
    out.write("# PointToLine;a b p;class;width;height;unit;scale;decimals;foot;distance\n")
    for a, b, p, cls, w, h, unit, scale, dec in PTL_CASES:
        try:
            pf = pixel_factor(cls, w, h, unit)
            f, d = point_to_line(a, b, p)
            value = text(d * pf * 10 / Decimal(scale), dec)
        except NearBoundary:
            continue
        pts = " ".join(f"{x},{y}" for x, y in (a, b, p))
        out.write(f"PointToLine;{pts};{cls};{w};{h};{unit};{scale};{dec};{f[0]},{f[1]};{value}\n")

    out.write("# ThreePointArc;p0 p1 p2;class;width;height;unit;scale;decimals;centre;"
              "radius pixels;radius|angle|arc length\n")
    for p0, p1, p2, cls, w, h, unit, scale, dec in ARC_CASES:
        try:
            pf = pixel_factor(cls, w, h, unit)
            s = Decimal(scale)
            c, r, deg = arc(p0, p1, p2)
            values = [text(r * pf * 10 / s, dec), text(deg, 2),
                      text(r * Decimal("6.283") * pf * 10 * deg / (s * 360), dec)]
        except NearBoundary:
            continue
        pts = " ".join(f"{x},{y}" for x, y in (p0, p1, p2))
        out.write(f"ThreePointArc;{pts};{cls};{w};{h};{unit};{scale};{dec};{c[0]},{c[1]};{r};"
                  f"{'|'.join(values)}\n")

    out.write("# ScaleLine;class;width;height;unit;scale;area width;area height;still;"
              "overlay scale;ticks per label;tick distance;centre;horizontal ticks;"
              "vertical ticks;labels inside the area x,y,text|...\n")
    out.write("# CircleGrid;class;width;height;unit;scale;area width;area height;still;"
              "overlay scale;step;circles;largest radius\n")
    for cls, w, h, unit, scale, aw, ah, still, oscale in OVERLAY_CASES:
        s = Decimal(scale)
        per_unit = s / (pixel_factor(cls, w, h, unit) * 10)
        per_label = per_unit * Decimal(STEP[unit]) * (Decimal(oscale) if still else 1)
        centre = (aw // 2, ah // 2) if still else (aw // 2 + 1, ah // 2 + 1)
        head = f"{cls};{w};{h};{unit};{scale};{aw};{ah};{still};{oscale}"
        try:
            ticks, t, hk, vk, labels = scale_line((aw, ah), centre, per_label, s,
                                                  Decimal(STEP[unit]))
            shown = "|".join(f"{x},{y},{v}" for x, y, v in labels)
            out.write(f"ScaleLine;{head};{ticks};{t};{centre[0]},{centre[1]};{hk};{vk};{shown}\n")
        except NearBoundary:
            pass
        try:
            step = floor_half(per_label)
            radii = list(range(0, centre[1], step))
            out.write(f"CircleGrid;{head};{step};{len(radii)};{radii[-1]}\n")
        except NearBoundary:
            pass


if __name__ == "__main__":
    main()
