# The words every shell test reports in (sourced): a note, a skip (exit
# 77, which ctest counts as skipped), a failed check that lets the test go
# on, and a failure that ends it.
FAILURES=0
note() { echo "-- $*"; }
skip() {
  echo "SKIPPED: $*"
  exit 77
}
fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}
die() {
  echo "FAIL: $*"
  exit 1
}

# can_strace: whether strace can follow a program here (a container may
# forbid tracing).
can_strace() { command -v strace >/dev/null && strace -f -o /dev/null true 2>/dev/null; }

# renames_synced LOG TARGET: every rename onto TARGET in LOG (written by
# strace -f -y -e trace=fsync,rename,renameat,renameat2) comes after an
# fsync of the file renamed, and there is at least one; says what it found.
renames_synced() {
  awk -v target="$2" '
    / fsync\(/ { if (match($0, /<[^>]*>/)) synced[substr($0, RSTART + 1, RLENGTH - 2)] = 1 }
    / rename(at2?)?\(/ {
      if (split($0, q, "\"") < 5 || q[4] != target) next
      renames++
      if (!(q[2] in synced)) { print "renamed without an fsync first: " $0; bad++ }
    }
    END {
      if (renames == 0) { print "no rename onto " target; exit 1 }
      if (bad) exit 1
      print renames " rename(s) onto it, each after an fsync of the file renamed"
    }' "$1"
}
