#!/usr/bin/env bash
# The scripted session ends within its limit whatever the program does. The
# program is started through a stand-in that, after a given delay, either
# kills it (a crash) or stops it (a hang); every such run must fail and end
# within the session's limit plus a margin.
#
#   bash tests/e2e/crash_sessions.sh BUILD_DIR [crash:SECONDS|hang:SECONDS ...]
#
# Default cases: crash while starting, crash early, crash mid-session and a
# hang (which only the watchdog can end). Prints one line per case and exits
# 0 only when every case failed in time. KEEP_FAULT_DIR=1 keeps the last
# run's log (run.log in the temporary folder) for a look.
set -u

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
BUILD_DIR="$(cd "${1:?usage: crash_sessions.sh BUILD_DIR [crash:S|hang:S ...]}" && pwd)"
shift
CASES=("$@")
[ ${#CASES[@]} -gt 0 ] || CASES=(crash:0.5 crash:4 crash:15 hang:6)
LIMIT=45      # the session's own limit in these runs
MARGIN=20     # what the watchdog may take after it
OK=0
BAD=0

FAKE="$(mktemp -d /tmp/zenmora-crash.XXXXXX)"
trap '[ -n "${KEEP_FAULT_DIR:-}" ] || rm -rf "$FAKE"' EXIT
mkdir -p "$FAKE/app"
ln -s "$BUILD_DIR/app/Lexora_Concept.mdb" "$FAKE/app/Lexora_Concept.mdb"
# The stand-in keeps the program's pid as its own child and passes on its end.
cat >"$FAKE/app/zenmora" <<EOS
#!/usr/bin/env bash
"$BUILD_DIR/app/zenmora" "\$@" &
pid=\$!
( sleep "\$ZENMORA_FAULT_AFTER"; kill -"\$ZENMORA_FAULT_SIGNAL" \$pid 2>/dev/null ) &
trap 'kill -KILL \$pid 2>/dev/null' TERM
wait \$pid
EOS
chmod +x "$FAKE/app/zenmora"

for c in "${CASES[@]}"; do
    kind="${c%%:*}"; after="${c#*:}"
    case "$kind" in crash) signal=SEGV ;; hang) signal=STOP ;; *) echo "unknown case $c"; exit 2 ;; esac
    start=$SECONDS
    ZENMORA_FAULT_AFTER="$after" ZENMORA_FAULT_SIGNAL="$signal" ZENMORA_E2E_LIMIT="$LIMIT" \
        ZENMORA_E2E_ARTIFACTS="$FAKE/artifacts" \
        timeout -k 5 $((LIMIT + MARGIN + 30)) bash "$HERE/user_session.sh" "$FAKE" >"$FAKE/run-$kind-$after.log" 2>&1
    rc=$?
    took=$((SECONDS - start))
    last="$(grep -E '^FAIL' "$FAKE/run-$kind-$after.log" | tail -1)"
    if [ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] && [ "$rc" -ne 137 ] && [ "$took" -le $((LIMIT + MARGIN)) ]; then
        OK=$((OK + 1)); echo "PASS: $kind after ${after}s fails in ${took}s (exit $rc; $last)"
    else
        BAD=$((BAD + 1)); echo "FAIL: $kind after ${after}s: exit $rc after ${took}s"; tail -5 "$FAKE/run-$kind-$after.log"
    fi
done
echo "$OK passed, $BAD failed"
[ "$BAD" -eq 0 ]
