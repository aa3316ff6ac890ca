#!/bin/bash
# The window game's start: time from launch to the first frame and to the
# start screen waiting for a key, and the peak memory by then, under Xvfb,
# for each way SDL can draw the window.
#   bench/window-startup.sh BUILD_DIR [RUNS]
# Needs xvfb, gcc and libsdl2-dev. Prints one line per run and the medians.
set -eu
build=$(cd "$1" && pwd)
runs=${2:-7}
game="$build/game/duskwarren"
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/dw-startup.XXXXXX")
xvfb=""
cleanup() {
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

gcc -O2 -shared -fPIC -o "$work/probe.so" "$here/first_frame_probe.c" \
  $(pkg-config --cflags --libs sdl2) -ldl
display=:$((90 + $$ % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 50); do
  DISPLAY=$display xdpyinfo > /dev/null 2>&1 && break
  sleep 0.1
done

cd "$build/game"  # the game reads its data from the working folder
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

measure() {  # label, then environment settings
  local label=$1
  shift
  : > "$work/frames" ; : > "$work/ready" ; : > "$work/rss"
  for _ in $(seq "$runs"); do
    rm -f "$work/log"
    env "$@" DISPLAY=$display DW_PROBE_LOG="$work/log" DW_EXIT_WHEN_READY=1 \
      LD_PRELOAD="$work/probe.so" DW_LAUNCH_NS=$(date +%s%N) \
      /usr/bin/time -f "%M" -o "$work/time" timeout 20 "$game" \
      > /dev/null 2>&1 || true
    awk '/^first frame/ { print $3 }' "$work/log" >> "$work/frames"
    awk '/^waiting/ { print $5 }' "$work/log" >> "$work/ready"
    cat "$work/time" >> "$work/rss"
    renderer=$(awk '/^renderer/ { print $2 }' "$work/log" | head -1)
  done
  printf '%-34s renderer %-10s first frame %6s ms, start screen %6s ms, peak RSS %6s KB\n' \
    "$label" "${renderer:-none}" "$(median < "$work/frames")" "$(median < "$work/ready")" \
    "$(median < "$work/rss")"
}

measure "default" DW_NOTHING=1
measure "SDL_RENDER_DRIVER=opengl" SDL_RENDER_DRIVER=opengl
measure "SDL_RENDER_DRIVER=opengles2" SDL_RENDER_DRIVER=opengles2
measure "SDL_RENDER_DRIVER=software" SDL_RENDER_DRIVER=software
measure "software, no framebuffer accel." SDL_RENDER_DRIVER=software \
  SDL_FRAMEBUFFER_ACCELERATION=0
