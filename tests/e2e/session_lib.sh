# Shared by the scripted X sessions: the counters and checks, the clean-up
# and a watchdog that makes a session fail within its limit whatever the
# program does. Source it after setting WORK (the session's scratch folder);
# the session sets XVFB_PID and APP_PID as it starts them.
#
#   start_watchdog SECONDS   after the limit: "FAIL: run stopped by the time
#                            limit", exit 3; ends the session's children
#                            itself and kills the session outright if its
#                            trap cannot run (bash runs a trap only when the
#                            command it waits for returns).
#   check NAME EXPECTED ACTUAL,  check_true NAME DETAIL COMMAND...

PASS=0
FAIL=0
XVFB_PID=""
APP_PID=""
WATCHDOG_PID=""
SESSION=$$

cleanup() {
    trap '' USR1
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    if [ -n "$WATCHDOG_PID" ]; then
        pkill -P "$WATCHDOG_PID" 2>/dev/null; kill "$WATCHDOG_PID" 2>/dev/null
    fi
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'echo "FAIL: run stopped by the time limit"; exit 3' USR1

start_watchdog() {
    (
        sleep "$1"
        kill -USR1 "$SESSION" 2>/dev/null || exit 0
        # The program, the X server and every X client waiting on it are the
        # session's children: ending them lets the session reach its trap.
        pkill -P "$SESSION" 2>/dev/null
        sleep 10
        if kill -0 "$SESSION" 2>/dev/null; then
            echo "FAIL: session did not stop; killed" >&2
            kill -KILL "$SESSION" 2>/dev/null
            rm -rf "$WORK"
        fi
    ) >/dev/null 2>&1 &
    WATCHDOG_PID=$!
}

check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then PASS=$((PASS + 1)); echo "PASS: $1"
    else FAIL=$((FAIL + 1)); echo "FAIL: $1 (expected [$2], got [$3])"; fi
}
check_true() {  # check_true NAME DETAIL command...
    local name="$1" detail="$2"; shift 2
    if "$@"; then PASS=$((PASS + 1)); echo "PASS: $name"
    else FAIL=$((FAIL + 1)); echo "FAIL: $name ($detail)"; fi
}
