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
