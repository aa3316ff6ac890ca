#!/bin/bash
# The player's settings file, kept by the window's F10 (the 4:3 view):
# - a settings file that is a link to a file with CR line ends keeps being
#   the link; the file it names gets view-4-3 = on, with every line the
#   player wrote kept (a comment, arrow-keys = walk) and every line end CR;
#   under strace, the rename that puts it in place follows an fsync of it;
# - a settings file the player cannot read (mode 000, the game run as an
#   ordinary user with folders of its own) is said once and left exactly as
#   it was, F10 or not.
source "$(dirname "$0")/window_lib.sh"
require_x
start_x 1024 768

# 1. A link to a file with CR line ends, F10, traced where strace can.
mkdir -p "$WORK/kept" "$XDG_CONFIG_HOME/duskwarren"
target="$WORK/kept/my-settings"
link="$XDG_CONFIG_HOME/duskwarren/settings"
printf '# mine\rarrow-keys = walk\rfullscreen = off\r' >"$target"
ln -s "$target" "$link"
tracer=()
if can_strace; then
  tracer=(strace -f -qq -y -e trace=fsync,rename,renameat,renameat2 -e signal=none
    -o "$WORK/settings.strace")
else
  note "strace cannot trace here: the sync before the rename is not checked"
fi
start_app "${tracer[@]}" "$DUSKWARREN"
press F10
for _ in $(seq 100); do
  grep -q "view-4-3 = on" "$target" && break
  sleep 0.1
done
press Escape
expect_exit 0 "Escape on the start screen"
wanted=$(printf '# mine\rarrow-keys = walk\rfullscreen = off\rview-4-3 = on\rterminal-colours = auto\r' | od -c)
if [ -L "$link" ] && [ "$(readlink "$link")" = "$target" ]; then
  note "the settings link stays a link to the player's file"
else
  fail "the settings link was replaced: $(ls -l "$link")"
fi
if [ "$(od -c <"$target")" = "$wanted" ]; then
  note "F10 wrote view-4-3 = on into the linked file, keeping its lines and CR line ends"
else
  fail "the linked file holds, after F10:"
  od -c <"$target"
fi
if [ ${#tracer[@]} -gt 0 ]; then
  if report=$(renames_synced "$WORK/settings.strace" "$target"); then
    note "the settings: $report"
  else
    fail "the settings: $report"
  fi
fi

# 2. Settings the player cannot read, the game run as an ordinary user.
chmod 711 "$WORK"
home="$WORK/player"
mkdir -p "$home/config/duskwarren" "$home/data"
printf 'view-4-3 = off\n' >"$home/config/duskwarren/settings"
chmod 000 "$home/config/duskwarren/settings"
chown -R 65534:65534 "$home"
state() { stat -c '%A %U %s %Y' "$1" && md5sum <"$1"; }
before=$(state "$home/config/duskwarren/settings")
start_app setpriv --reuid=65534 --regid=65534 --clear-groups \
  env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" "$DUSKWARREN"
press F10
sleep 1
press F10
sleep 1
press Escape
expect_exit 0 "Escape on the start screen, as an ordinary user"
if [ "$(state "$home/config/duskwarren/settings")" = "$before" ]; then
  note "the unreadable settings are left exactly as they were"
else
  fail "the unreadable settings changed: $before -> $(state "$home/config/duskwarren/settings")"
fi
said=$(grep -c "settings" "$WORK/app.err")
if [ "$said" -eq 1 ] && grep -q "cannot read .*settings: Permission denied" "$WORK/app.err"; then
  note "said once: $(grep settings "$WORK/app.err")"
else
  fail "wanted one line naming the unreadable settings; stderr: $(cat "$WORK/app.err")"
fi
finish
