# filter.awk: keeps the good fix blocks of a GPS track log.
#
#   awk -v kmh=100 -v ratio=3 -f bench/filter.awk in.log > out.log
#
# A block is the run of lines up to and including the line $PGRMM,Tokyo*2F.
# It is judged by its first line that starts with $GPRMC, split at commas:
# the fix status ($3) must be exactly A, and its speed over ground ($8, in
# knots) must be below kmh km/h (1.852 km/h to the knot) and less than ratio
# times the speed of the block before. A negative kmh or ratio switches that
# test off. The speed before the first block counts as 1000 knots; every
# block, kept or not, passes its speed on to the next, and a block without a
# valid fix passes on 0. Kept blocks are written whole, every line ending in
# CR LF whatever the input used. Logs that make tracksift fail (a block cut
# short at the end, a block without $GPRMC, a valid fix without a readable
# speed) are not told apart here: such blocks are simply judged or dropped.
#
# The ratio test compares the quotient speed / prev as tracksift forms it,
# with a 64-bit significand, not rounded to a double first. awk's own
# division rounds to a double, and for pairs such as 3.9 after 1.3 that
# rounding lands exactly on the limit (3) although the quotient lies below
# it. Only when awk's quotient equals the limit is the question settled
# exactly, by below_ratio(); every other quotient already answers it.
# That exact step assumes speeds and ratio far from the ends of the double
# range (no overflow or underflow in the products it forms), as speeds in
# knots are.
#
# The speed limit is left plain: kmh / 1.852 in doubles. tracksift divides
# by 1.852 held with a 64-bit significand and then rounds, so for some kmh
# (about a third of the whole numbers) the two limits differ in their last
# bit; that changes a verdict only for a speed lying between them, which
# takes a kmh such as 3.5188 (1.9 knots) and never happens with kmh=100.

BEGIN {
    FS = ","
    ORS = "\r\n"
    limit = kmh / 1.852
    prev = 1000
    n = 0
    judged = 0
    if (ratio > 0)
        ratio_half_gap = half_gap_below(ratio)
}

{
    sub(/\r$/, "")
    block[n++] = $0
}

!judged && substr($0, 1, 6) == "$GPRMC" {
    judged = 1
    status = $3
    speed = $8 + 0
}

$0 == "$PGRMM,Tokyo*2F" {
    keep = 0
    if (status == "A") {
        keep = limit < 0 || speed < limit
        if (keep && ratio >= 0) {
            if (prev == 0) {
                keep = 0
            } else {
                q = speed / prev
                keep = q < ratio || (q == ratio && ratio > 0 && below_ratio(speed, prev))
            }
        }
    } else {
        speed = 0
    }
    prev = speed
    if (keep)
        for (i = 0; i < n; i++)
            print block[i]
    n = 0
    judged = 0
    status = ""
}

# Half the distance from r (> 0) down to the next smaller number with a
# 64-bit significand: a quotient at least r minus this rounds to r or above.
function half_gap_below(r,    e, ulp, i) {
    e = 1
    while (e > r) e /= 2
    while (e * 2 <= r) e *= 2
    ulp = e
    for (i = 0; i < 63; i++) ulp /= 2
    if (r == e) ulp /= 2
    return ulp / 2
}

# The exact rounding error of the double product x = a * b (Dekker).
function product_error(a, b, x,    c, ah, al, bh, bl) {
    c = 134217729 * a; ah = c - (c - a); al = a - ah
    c = 134217729 * b; bh = c - (c - b); bl = b - bh
    return ((ah * bh - x) + ah * bl + al * bh) + al * bl
}

# The exact rounding error of the double sum t = a + b (Knuth).
function sum_error(a, b, t,    bb) {
    bb = t - a
    return (a - (t - bb)) + (b - bb)
}

# Whether s / p, rounded to a 64-bit significand, is below ratio; called
# only when the double quotient equals ratio (> 0). The rounded quotient is
# below ratio exactly when s / p < ratio - h, h being ratio_half_gap (a tie
# rounds to ratio, whose significand is even). With p > 0 that is
# s - p*ratio + p*h < 0. Let x + y = p*ratio exactly; s - x is exact, as s
# and x are within a factor 2 of each other. What is left is the sign of
# a - (y - p*h), with a = s - x: b = y - p*h rounded, g its error.
function below_ratio(s, p,    x, y, a, d, b, g, diff) {
    x = p * ratio
    y = product_error(p, ratio, x)
    a = s - x
    d = -(p * ratio_half_gap)
    b = y + d
    g = sum_error(y, d, b)
    if (a != b)
        diff = a < b ? -1 : 1
    else
        diff = g > 0 ? -1 : (g < 0 ? 1 : 0)
    # diff is the sign of s - p*(ratio - h); for p < 0 the test turns round.
    return p > 0 ? diff < 0 : diff > 0
}
