#!/usr/bin/env python3
"""Finds the times a campaign level may have so that both the casual and the
expert player meet their bars, from 20 runs of each (seeds 1 to 20, the runs
of the campaign's tables).

    scripts/fit-level-time.py [--build DIR] [--write] LEVEL...

Each level is played with four times its own time, so that nearly every run
ends in a win and its seconds can be read off; a run plays the same whatever
its clock says, until the clock runs out. A time T is allowed when
  - the casual player wins the level in at least 19 runs of 20 (levels 1-10),
    17 (11-40) or 14 (41 on) within T seconds,
  - the expert wins at least 19 runs within T seconds, and
  - from level 11 on, the expert's median time left is at most 70% of T.
It prints the allowed times and the one a third of the way in (some room for
either player); --write puts that time into the level's source. Build the
levels first (the game's build compiles content/levels into DIR/levels).
"""
import math
import os
import re
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCES = os.path.join(ROOT, 'content', 'levels', 'Game Levels')
RUN = re.compile(r'level\s+(\d+) seed (\d+)\s+(\S+)\s+left\s+(-?\d+) of\s+(\d+)')


def level_time(path):
    with open(path, encoding='utf-8') as f:
        for line in f:
            if line.startswith('time '):
                return int(line.split()[1])
    raise SystemExit(f'{path}: no time line')


def seconds_used(build, level, player):
    """Seconds each run took to win (None for a run that did not)."""
    out = subprocess.run([os.path.join(build, 'levelbot'), '--home', build, '--player', player,
                          '--levels', str(level), '--runs', '20', '--jobs', '2', '--time', 'x4',
                          '--verbose'], capture_output=True, text=True, check=False).stdout
    used = {}
    for m in RUN.finditer(out):
        won = m.group(3) == 'won'
        used[int(m.group(2))] = int(m.group(5)) - int(m.group(4)) if won else None
    if len(used) != 20:
        raise SystemExit(f'level {level}: levelbot gave {len(used)} runs\n{out[-2000:]}')
    return [u for u in used.values() if u is not None]


def allowed_times(level, casual, expert, longest):
    need = 19 if level <= 10 else 17 if level <= 40 else 14
    times = []
    for t in range(1, longest + 1):
        if sum(u <= t for u in casual) < need:
            continue
        won = [u for u in expert if u <= t]
        if len(won) < 19:
            continue
        if level >= 11 and statistics.median(t - u for u in won) > 0.7 * t:
            continue
        times.append(t)
    return times


def main(argv):
    build = os.path.join(ROOT, 'build')
    write = False
    levels = []
    args = iter(argv)
    for a in args:
        if a == '--build':
            build = os.path.abspath(next(args))
        elif a == '--write':
            write = True
        elif a.isdigit():
            levels.append(int(a))
        else:
            raise SystemExit(__doc__)
    if not levels:
        raise SystemExit(__doc__)
    for level in levels:
        path = os.path.join(SOURCES, f'{level:02d}.txt')
        own = level_time(path)
        times = allowed_times(level, seconds_used(build, level, 'casual'),
                              seconds_used(build, level, 'expert'), 4 * own)
        times = [t for t in times if t >= 40]  # a new player needs 40 s to find the first moves
        if not times:
            print(f'level {level}: no time suits both players (now {own} s); reshape the level')
            continue
        pick = times[len(times) // 3]
        print(f'level {level}: {times[0]}-{times[-1]} s allowed ({len(times)} values), '
              f'now {own} s, suggested {pick} s')
        if write and pick != own:
            with open(path, encoding='utf-8') as f:
                text = f.read()
            with open(path, 'w', encoding='utf-8') as f:
                f.write(re.sub(r'(?m)^time \d+$', f'time {pick}', text, count=1))


if __name__ == '__main__':
    main(sys.argv[1:])
