#!/usr/bin/python3
"""kestrune-predict against Skyfield as whole processes: same element file, station, threshold
and days.

Every program runs as a process of its own, in turn, so that all see the same load on the
machine; the median wall time of each is printed with the ratio to Skyfield's. kestrune-predict
runs with --raw (every pass of every satellite, no schedule rules). Skyfield (Debian's
python3-skyfield, run by the system /usr/bin/python3) runs this script with --skyfield, which
loads the same element sets and calls EarthSatellite.find_events over the same window: all that
a pass search needs. Its rises are compared with Kestrune's to a second.

    bench/predict_vs_skyfield.py build/release/bin/kestrune-predict \\
        --tle data/tle/weather.txt --lat 55.9 --lon -3.2 --height 180 \\
        --start 20250528000000 --days 21 --sat "NOAA 19" --sat "NOAA 18" --sat "NOAA 15"

Give several executables to time them side by side (before and after a change); --first N
takes the first N element sets of the file instead of --sat.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time
from datetime import datetime, timedelta, timezone

TT_MINUS_UTC_S = 69.184  # UT1 = UTC, as Kestrune's sidereal time takes it


def read_sets(path):
    """(name, line1, line2) of every set of a two- or three-line file, in file order."""
    with open(path, newline="") as f:
        lines = [line.rstrip("\r\n") for line in f]
    sets = []
    for i, line in enumerate(lines):
        if line.startswith("1 ") and i + 1 < len(lines) and lines[i + 1].startswith("2 "):
            name = lines[i - 1].strip() if i > 0 else ""
            if name.startswith(("1 ", "2 ")):
                name = ""
            sets.append((name, line, lines[i + 1]))
    return sets


def utc(stamp):
    return datetime.strptime(stamp, "%Y%m%d%H%M%S").replace(tzinfo=timezone.utc)


def print_skyfield_rises(args):
    from skyfield.api import EarthSatellite, load, wgs84

    ts = load.timescale(delta_t=TT_MINUS_UTC_S)
    sets = {name: (line1, line2) for name, line1, line2 in read_sets(args.tle)}
    station = wgs84.latlon(args.lat, args.lon, elevation_m=args.height)
    start = utc(args.start)
    t0 = ts.from_datetime(start)
    t1 = ts.from_datetime(start + timedelta(days=args.days))
    for name in args.sat:
        satellite = EarthSatellite(*sets[name], name, ts)
        times, events = satellite.find_events(station, t0, t1, altitude_degrees=args.min_elevation)
        for t, event in zip(times, events):
            if event == 0:
                print(t.utc_datetime().strftime("%Y%m%d%H%M%S"), name)


def run_timed(command):
    begin = time.perf_counter()
    output = subprocess.run(command, check=True, stdout=subprocess.PIPE).stdout
    return time.perf_counter() - begin, output.decode().splitlines()


def rises(lines, fields_before_name):
    """{(name, Unix second)} of lines "yyyymmddhhnnss ... NAME" ("#" lines left out)."""
    found = set()
    for line in lines:
        if not line.startswith("#"):
            fields = line.split(None, fields_before_name)
            found.add((fields[-1], int(utc(fields[0]).timestamp())))
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("predict", nargs="*", help="kestrune-predict executables")
    parser.add_argument("--tle", required=True, help="element file")
    parser.add_argument("--lat", type=float, required=True)
    parser.add_argument("--lon", type=float, required=True)
    parser.add_argument("--height", type=float, required=True)
    parser.add_argument("--start", required=True, help="UTC as YYYYMMDDhhmmss")
    parser.add_argument("--days", type=int, required=True)
    parser.add_argument("--min-elevation", type=float, default=2.0)
    parser.add_argument("--sat", action="append", default=[])
    parser.add_argument("--first", type=int, help="the first N sets of the file")
    parser.add_argument("--runs", type=int, default=25,
                        help="runs of each kestrune-predict (Skyfield runs a fifth as often)")
    parser.add_argument("--skyfield", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.first:
        args.sat = [name for name, _, _ in read_sets(args.tle)[: args.first]]
    if args.skyfield:
        print_skyfield_rises(args)
        return
    if not args.predict or not args.sat:
        parser.error("give at least one kestrune-predict, and --sat or --first")

    window = ["--lat", str(args.lat), "--lon", str(args.lon), "--height", str(args.height),
              "--start", args.start, "--days", str(args.days),
              "--min-elevation", str(args.min_elevation)]
    skyfield = ["/usr/bin/python3", os.path.abspath(__file__), "--skyfield",
                "--tle", args.tle] + window
    for name in args.sat:
        skyfield += ["--sat", name]
    folder = tempfile.mkdtemp(prefix="kestrune-vs-skyfield-")
    try:
        shutil.copy(args.tle, folder)
        kestrune = ["--tle-dir", folder, "--raw"] + window
        for name in args.sat:
            kestrune += ["--sat", name + ",B,0"]
        our_seconds = {predict: [] for predict in args.predict}
        our_lines = {}
        their_seconds, their_lines = [], []
        for run in range(args.runs):
            for predict in args.predict:
                seconds, our_lines[predict] = run_timed([predict] + kestrune)
                our_seconds[predict].append(seconds)
            if run % 5 == 0:
                seconds, their_lines = run_timed(skyfield)
                their_seconds.append(seconds)
    finally:
        shutil.rmtree(folder)

    their_rises = rises(their_lines, 1)
    their_ms = statistics.median(their_seconds) * 1000.0
    print("%d satellites, %d days: skyfield %d passes, %.0f ms (median of %d runs)"
          % (len(args.sat), args.days, len(their_rises), their_ms, len(their_seconds)))
    for predict in args.predict:
        our_rises = rises(our_lines[predict], 5)  # pass lines
        unmatched = sorted((second, name) for name, second in their_rises
                           if not any((name, second + d) in our_rises for d in (-1, 0, 1)))
        our_ms = statistics.median(our_seconds[predict]) * 1000.0
        print("%s: %d passes (skyfield's rises not within 1 s: %d), %.1f ms (median of %d runs),"
              " ratio %.0f" % (predict, len(our_rises), len(unmatched), our_ms,
                               len(our_seconds[predict]), their_ms / our_ms))
        for second, name in unmatched[:3]:
            print("  e.g. %s %s" % (
                datetime.fromtimestamp(second, timezone.utc).strftime("%Y%m%d%H%M%S"), name))


if __name__ == "__main__":
    main()
