#!/usr/bin/env python3
"""Writes a synthetic historical sheet and its two mapping files.

    make_sheet.py [--events N | --tiny] [--pad N] [--name BASE] [--no-sheet] DIR

Creates, in DIR:
  BASE.sheet               N events (default 100000, about 1.7 million lines
                           and 55 MB for the default), each an E line, 5 to 20
                           P lines in the default layout, 1 to 4 amplitude
                           lines (D, A, S, B), sometimes a C line, and an X line
  station.mapping.out      5,000 stations "NN STA"
  instrument.mapping.out   1,000 instruments "INST NUM PREFIX"

--pad N puts N lines at the top of both mapping files that no sheet line
refers to (distinct lower-case names, which never match the upper-case sheet
names), so the sheet and every match stay the same; only the search distance
and the size of the tables grow.  5,000,000 lines of padding make mapping
files of about 120 MB together.

--tiny writes a sheet of 10 lines instead (two events: E, P, A, B and X
lines), whose stations and instruments come from the real lists at the end
of the mapping files, so that the mapping files' reading dominates a run.
--no-sheet writes the mapping files only.

The output depends only on the options: the random generator has a fixed
seed, and the padding does not draw from it.  Standard library only.
"""

import argparse
import itertools
import os
import random
import string
import sys

SEED = 19750701
N_STATIONS = 5000
N_INSTRUMENTS = 1000

UPPER = string.ascii_uppercase
BASE36 = string.digits + string.ascii_lowercase

SEED_PREFIXES = ["BH", "SH", "EH", "HH", "LH", "MH", "SL", "BL", "HN", "EL"]
PHASES = ["P", "P", "P", "Pn", "Pn", "Pg", "Pg", "S", "S", "Sn", "Sg", "Lg",
          "PKP", "pP", "PcP", "ScS", "PP", "SKS", "-", "-"]
ONSETS = ["(e)", "(e)", "(i)", "(i)", "e", "i", "(e)", "E", "I", "(x)"]
COMPONENTS = ["Z", "Z", "Z", "Z", "N", "N", "E", "E", "NE", "NZ", "EZ", "NEZ"]
MOTIONS = ["c", "d", "-", "-", "-", "c", "d", "-"]
AMP_LETTERS = "DASB"
WORDS = ("felt widely strongly lightly damage chimneys cracked plaster windows "
         "broken reported by residents observers station operator notes trace "
         "clipped record unclear microseisms storm aftershock swarm foreshock "
         "sequence district valley county coast offshore near north south east "
         "west of the town mine blast possible explosion readings revised from "
         "bulletin card").split()


def station_names(rng):
    """5,000 distinct upper-case names of 3 to 5 characters."""
    names, seen = [], set()
    while len(names) < N_STATIONS:
        length = rng.choice((3, 3, 4, 4, 4, 5))
        name = "".join(rng.choice(UPPER) for _ in range(length))
        if name not in seen:
            seen.add(name)
            names.append(name)
    return names


def pad_names(count):
    """The first `count` base-36 numbers in lower case, in increasing order,
    of 4 digits, or more when 36**4 are too few."""
    width = 4
    while 36 ** width < count:
        width += 1
    names = itertools.product(BASE36, repeat=width)
    return map("".join, itertools.islice(names, count))


def write_padding(f, count, before, after):
    """Writes `count` lines before + name + after, in blocks."""
    names = pad_names(count)
    while True:
        block = list(itertools.islice(names, 100000))
        if not block:
            return
        f.write(before + (after + before).join(block) + after)


def write_mappings(directory, rng, pad):
    stations = station_names(rng)
    networks = ["".join(rng.choice(UPPER) for _ in range(2)) for _ in range(60)]
    instruments = ["I%04d" % (i + 1) for i in range(N_INSTRUMENTS)]

    with open(os.path.join(directory, "station.mapping.out"), "w",
              newline="\n") as f:
        write_padding(f, pad, "zz s", "\n")  # lower case: never a sheet station
        for name in stations:
            f.write("%s %s\n" % (rng.choice(networks), name))

    with open(os.path.join(directory, "instrument.mapping.out"), "w",
              newline="\n") as f:
        write_padding(f, pad, "x", " 999 ZZ\n")  # never a sheet instrument
        for i, code in enumerate(instruments):
            f.write("%s %03d %s\n" % (code, (i + 1) % 1000,
                                      SEED_PREFIXES[i % len(SEED_PREFIXES)]))
    return stations, instruments


def clock(seconds):
    """hhmmss.ss of a time of day in hundredths; hours may exceed 23."""
    h, rest = divmod(seconds, 360000)
    m, s = divmod(rest, 6000)
    return h, m, s


def time_text(h, m, s):
    return "%02d%02d%05.2f" % (h, m, s / 100.0)


def amplitude(rng):
    r = rng.random()
    if r < 0.15:
        return rng.choice(("0", "0.0", "0.00"))
    if r < 0.25:
        return "%.3f" % rng.uniform(0.001, 0.999)
    return "%.2f" % rng.uniform(0.1, 950.0)


def comment(rng):
    if rng.random() < 0.3:  # longer than one 80-character piece
        target = rng.randint(81, 260)
    else:
        target = rng.randint(8, 79)
    words = []
    length = 0
    while length < target:
        w = rng.choice(WORDS)
        words.append(w)
        length += len(w) + 1
    text = " ".join(words)[:target]
    return text[0].upper() + text[1:]


def write_sheet(path, rng, n_events, stations, instruments):
    # Readings come from a regional subset of stations per event, as on a
    # real bulletin; a few names no mapping line lists.
    unlisted_stations = ["QQX", "ZZTOP", "UNKN"]
    unlisted_instruments = ["U0001", "U0002", "K9"]
    out = []
    write = out.append
    lines = 0
    with open(path, "w", newline="\n") as f:
        for _ in range(n_events):
            year = rng.randint(1930, 1980)
            month = rng.randint(1, 12)
            mdays = [31, 29 if year % 4 == 0 else 28, 31, 30, 31, 30, 31, 31,
                     30, 31, 30, 31][month - 1]
            day = rng.randint(1, mdays)
            origin = rng.randrange(0, 24 * 360000)  # hundredths of a second
            lat = rng.randint(0, 89)
            lon = rng.randint(0, 179)
            if rng.random() < 0.002:
                depth = "-%.1f" % rng.uniform(0.5, 5)  # rejected event
            elif rng.random() < 0.05:
                depth = "0.0"
            else:
                depth = "%.1f" % rng.uniform(1.0, 650.0)
            mag = "0.0" if rng.random() < 0.05 else "%.1f" % rng.uniform(2.0, 7.8)
            h, m, s = clock(origin)
            write("E %02d%02d%02d %s %02d-%04.1f %03d-%04.1f %s %s\n" % (
                month, day, year % 100, time_text(h, m, s),
                lat, rng.uniform(0, 59.9), lon, rng.uniform(0, 59.9),
                depth, mag))
            lines += 1

            if rng.random() < 0.15:
                write("C %s\n" % comment(rng))
                lines += 1

            first = rng.randrange(0, N_STATIONS - 40)
            region = stations[first:first + 40]
            travel = rng.randint(200, 4000)  # hundredths, first arrival
            for _ in range(rng.randint(5, 20)):
                r = rng.random()
                sta = (rng.choice(unlisted_stations) if r < 0.002
                       else rng.choice(region))
                r = rng.random()
                if r < 0.001:
                    inst = rng.choice(unlisted_instruments)
                elif r < 0.05:
                    inst = "-"
                else:
                    inst = rng.choice(instruments)
                travel += rng.randint(50, 9000)
                h, m, s = clock(origin + travel)
                r = rng.random()
                if r < 0.05 and m > 0 and s < 4000:  # seconds of 60 to 99
                    m -= 1
                    s += 6000
                elif r < 0.07 and h > 0 and m < 40:  # minutes of 60 and more
                    h -= 1
                    m += 60
                if h > 24:
                    h -= 24
                write("P %s %s %s %s %s %s %s\n" % (
                    sta, inst, rng.choice(ONSETS), rng.choice(PHASES),
                    rng.choice(COMPONENTS), time_text(h, m, s),
                    rng.choice(MOTIONS)))
                lines += 1

            for _ in range(rng.randint(1, 4)):
                letter = rng.choice(AMP_LETTERS)
                sta = rng.choice(region)
                inst = (rng.choice(unlisted_instruments) if rng.random() < 0.001
                        else rng.choice(instruments))
                z, n, e = amplitude(rng), amplitude(rng), amplitude(rng)
                if letter == "D":
                    write("D %s %s %.1f %s %.1f %s %.1f %s\n" % (
                        sta, inst, rng.uniform(0.1, 20), z,
                        rng.uniform(0.1, 20), n, rng.uniform(0.1, 20), e))
                elif letter == "B":
                    freq = "0" if rng.random() < 0.1 else "%.2f" % rng.uniform(0.05, 9.9)
                    write("B %s %s %s %s %s %s\n" % (sta, inst, freq, z, n, e))
                else:
                    write("%s %s %s %s %s %s\n" % (letter, sta, inst, z, n, e))
                lines += 1

            if rng.random() < 0.15:
                write("C %s\n" % comment(rng))
                lines += 1
            write("X\n")
            lines += 1
            if len(out) >= 50000:
                f.write("".join(out))
                out.clear()
        f.write("".join(out))
    return lines


def write_tiny_sheet(path, stations, instruments):
    """Ten lines, two events, with listed names only; draws nothing from
    the random generator."""
    s, i = stations, instruments
    lines = [
        "E 031550 061502.40 34-03.0 118-15.0 12.0 4.6",
        "P %s %s (e) P Z 061530.15 c" % (s[0], i[0]),
        "P %s %s i S NE 061551.80 -" % (s[-1], i[-1]),
        "P %s - e Pn Z 061602.05 d" % s[len(s) // 2],
        "A %s %s 12.50 3.10 0.00" % (s[0], i[len(i) // 2]),
        "X",
        "E 110672 233010.00 41-30.5 072-10.2 5.0 3.2",
        "P %s %s I Pg EZ 233055.61 -" % (s[1], i[1]),
        "B %s %s 1.25 0.80 0.40 0.20" % (s[1], i[1]),
        "X",
    ]
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    return len(lines)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("directory")
    parser.add_argument("--events", type=int, default=100000)
    parser.add_argument("--pad", type=int, default=0)
    parser.add_argument("--name", default="bench", help="base name of the sheet")
    parser.add_argument("--tiny", action="store_true",
                        help="write a sheet of 10 lines instead")
    parser.add_argument("--no-sheet", action="store_true",
                        help="write the mapping files only")
    args = parser.parse_args(argv)
    if args.pad < 0 or args.events < 0:
        parser.error("--pad and --events: not negative")

    os.makedirs(args.directory, exist_ok=True)
    rng = random.Random(SEED)
    stations, instruments = write_mappings(args.directory, rng, args.pad)
    if args.no_sheet:
        return 0
    path = os.path.join(args.directory, args.name + ".sheet")
    if args.tiny:
        lines = write_tiny_sheet(path, stations, instruments)
    else:
        lines = write_sheet(path, rng, args.events, stations, instruments)
    print("%s: %d lines, %.1f MB" % (path, lines, os.path.getsize(path) / 1e6))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
