# Waiting for a condition, for the walk and test scripts (sourced): a
# command is polled until it succeeds, never a fixed time. The limit
# (WAIT_LIMIT seconds, 300 unless set: far beyond any machine's need) only
# turns a hang into a message, so a stuck walk says what it waited for
# before ctest's own timeout ends it unexplained.

# Says FAIL and why on standard error, runs the script's on_fail (when it
# defines one: a screen, a transcript's tail) and exits 1.
fail() {
  echo "FAIL: $*" >&2
  if declare -F on_fail >/dev/null; then on_fail >&2 || true; fi
  exit 1
}

# wait_until WHAT COMMAND...: runs COMMAND (its output dropped) every
# WAIT_STEP seconds (0.05) until it succeeds; gives up naming WHAT.
wait_until() {
  local what=$1 give_up=$((SECONDS + ${WAIT_LIMIT:-300}))
  shift
  until "$@" >/dev/null; do
    [ "$SECONDS" -lt "$give_up" ] || fail "no end to waiting for $what"
    sleep "${WAIT_STEP:-0.05}"
  done
}

# wait_for COMMAND...: the same, naming the command.
wait_for() { wait_until "$*" "$@"; }

# wait_removed PATH: until PATH no longer exists (a finaliser at work).
wait_removed() { wait_until "$1 to be removed" test ! -e "$1"; }
