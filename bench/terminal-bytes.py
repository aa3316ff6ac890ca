#!/usr/bin/env python3
"""What the terminal game writes and spends in real play.

Plays `duskwarren --terminal` in a pseudo-terminal of 80 x 30 cells: a seed,
then a fixed walk of moves, pick-ups, spells, Bombs and member switches, one
key at a time, each key sent once the screen has settled from the last. It
prints the bytes the game wrote for each cycle (median, mean, largest, the
first screen), and the CPU time the process used over five seconds of
waiting for a key.

    bench/terminal-bytes.py GAME_DIR [MOVES] [TERM] [COLORTERM]

GAME_DIR holds duskwarren and its data. TERM (default xterm, 16 colours;
xterm-256color for 256) and COLORTERM (default none; truecolor for 24-bit
colour) say what the terminal can show.
"""
import os
import pty
import random
import select
import signal
import statistics
import struct
import sys
import time
import fcntl
import termios

game_dir = os.path.abspath(sys.argv[1])
moves = int(sys.argv[2]) if len(sys.argv) > 2 else 400
term = sys.argv[3] if len(sys.argv) > 3 else "xterm"
colours = sys.argv[4] if len(sys.argv) > 4 else ""

# Read what the game writes until it has been quiet this long (seconds), or
# at most for `limit` seconds.
QUIET = 0.15


def drain(fd, limit=5.0):
    got = 0
    end = time.monotonic() + limit
    while time.monotonic() < end:
        ready, _, _ = select.select([fd], [], [], QUIET)
        if not ready:
            break
        try:
            data = os.read(fd, 65536)
        except OSError:
            break
        if not data:
            break
        got += len(data)
    return got


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


env = dict(os.environ, TERM=term, LANG="C.UTF-8", LC_ALL="C.UTF-8")
env.pop("COLORTERM", None)
if colours:
    env["COLORTERM"] = colours
pid, fd = pty.fork()
if pid == 0:
    os.chdir(game_dir)
    os.execve("./duskwarren", ["./duskwarren", "--terminal"], env)

fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", 30, 80, 0, 0))
try:
    report = drain(fd, 10)
    os.write(fd, b"@42\r")
    drain(fd)
    os.write(fd, b" ")
    first = drain(fd)

    rng = random.Random(16)
    keys = "2468" * 20 + " " * 6 + "hvwtpf" + "b+-"
    per_cycle = []
    for _ in range(moves):
        os.write(fd, rng.choice(keys).encode())
        per_cycle.append(drain(fd))

    before = cpu_seconds(pid)
    time.sleep(5)
    waited = cpu_seconds(pid) - before
finally:
    os.kill(pid, signal.SIGTERM)
    os.waitpid(pid, 0)

print(f"TERM={term} COLORTERM={colours}: start-up report {report} bytes, first level {first} bytes")
print(f"{moves} cycles: median {statistics.median(per_cycle):.0f} bytes, "
      f"mean {statistics.mean(per_cycle):.0f}, largest {max(per_cycle)}, total {sum(per_cycle)}")
print(f"CPU while waiting 5 s: {waited * 1000:.0f} ms")
