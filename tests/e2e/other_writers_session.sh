#!/usr/bin/env bash
# The built program while other programs use its file: a backup copying the
# file, a network share, another user deleting the record being edited.
# Driven through a real X server (Xvfb) with xdotool; the file is read and
# changed with sqlite3 while the program runs.
#
#   bash tests/e2e/other_writers_session.sh BUILD_DIR
#
# The share is simulated: ZENMORA_FILE_SYSTEM_TYPE=0x6969 makes the engine's
# file-system probe report NFS for the file. Checked: on the local disk a
# post is in the database file itself (a copy of that file alone, taken
# while the program runs, holds it); on the share the program works in
# rollback-journal mode (no -wal beside the file), says once in the status
# line that several machines writing the file is not safe, without a box to
# dismiss, and the first move shows the record status as on a local disk;
# after a post fails because another user deleted the record, cancel shows
# the record number and count of the rows there are (compared with a run on
# a copy from which that record was deleted beforehand).
# One line per check; the last line is "N passed, M failed"; exit 0 only
# when every check passed. The whole run is bounded (watchdog at 170 s).

set -u

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
BUILD_DIR="$(cd "${1:?usage: network_share_session.sh BUILD_DIR}" && pwd)"
APP="$BUILD_DIR/app/zenmora"
DB_SRC="$BUILD_DIR/app/Lexora_Concept.mdb"
ART="$ROOT/artifacts/e2e-other-writers"
CAPTION="Zenmora１．０１版"

for tool in Xvfb xdotool xwininfo import compare sqlite3 python3; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool"; exit 2; }
done
[ -x "$APP" ] || { echo "no program at $APP"; exit 2; }
[ -f "$DB_SRC" ] || { echo "no database at $DB_SRC"; exit 2; }

WORK="$(mktemp -d /tmp/zenmora-share.XXXXXX)"
mkdir -p "$WORK/local" "$WORK/share" "$WORK/lost" "$WORK/reference" "$ART"
for folder in local share lost reference; do cp "$DB_SRC" "$WORK/$folder/Lexora_Concept.mdb"; done
rm -f "$ART"/*.png

source "$HERE/session_lib.sh"
start_watchdog 170
cj_of() { sqlite3 "$1" "SELECT IFNULL(CJ_Input,'') FROM \"0_Data_Input\" WHERE ID=$2"; }

echo "# X server on a free display (t=${SECONDS}s)"
DISP=""
for n in $(seq 91 199); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then DISP=$n; break; fi
done
[ -n "$DISP" ] || { echo "no free display"; exit 2; }
Xvfb ":$DISP" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
export DISPLAY=":$DISP"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
unset QT_QPA_PLATFORM
export QT_QPA_PLATFORM=xcb LANG=C.UTF-8

WIN=""
start_app() {  # start_app FOLDER [VARIABLE=VALUE ...]
    local folder="$1"; shift
    (cd "$folder" && exec env "$@" "$APP") >>"$WORK/app.log" 2>&1 &
    APP_PID=$!
    WIN="$(timeout 20 xdotool search --sync --onlyvisible --name "^${CAPTION}\$" 2>/dev/null | head -1)"
    sleep 0.8   # let the first paint finish
}
stop_app() {
    python3 "$ROOT/tests/e2e/wm_delete.py" "$WIN"
    local i
    for i in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; return 1
    fi
    wait "$APP_PID"; local rc=$?; APP_PID=""; return $rc
}

# Page origin, navigator and boxes as in user_session.sh.
PX=3; PY=24
click_at() {
    xdotool mousemove --window "$WIN" $((PX + $1)) $((PY + $2))
    sleep 0.15
    xdotool click 1
    sleep 0.3
}
nav() { click_at $((232 + $1 * 29 + 14)) 355; sleep 0.2; }
NAV_NEXT=2; NAV_POST=6; NAV_CANCEL=7
BOX_DEF=(100 163)  # the definition box, bound to CJ_Input
status_crop() {  # the record status part of the status line
    import -window "$WIN" -crop 220x16+$((PX + 0))+$((PY + 311)) +repage "$1" 2>/dev/null
}
line_crop() {  # the whole status line, for a person to look at
    import -window "$WIN" -crop 470x18+$((PX + 0))+$((PY + 310)) +repage "$1" 2>/dev/null
}
same_image() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" == "0" ]; }
diff_image() { ! same_image "$1" "$2"; }
type_definition() {  # replaces the text of the definition box and posts
    click_at "${BOX_DEF[0]}" "${BOX_DEF[1]}"
    xdotool key ctrl+a
    xdotool type --delay 40 "$1"
    sleep 0.2
    nav $NAV_POST
    sleep 0.5
}
visible_windows() { xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l; }

# ---- 1. local disk ----------------------------------------------------------
echo "# 1. local disk (t=${SECONDS}s)"
LOCAL="$WORK/local/Lexora_Concept.mdb"
start_app "$WORK/local"
check_true "local: window shown" "no window" test -n "$WIN"
status_crop "$ART/local-1.png"
line_crop "$ART/local-1-line.png"
nav $NAV_NEXT
status_crop "$ART/local-2.png"
check_true "local: the status line changes on Next" "same image" diff_image "$ART/local-1.png" "$ART/local-2.png"
type_definition "localpost"
# A backup taken the simple way: the database file alone, while the program runs.
cp "$LOCAL" "$WORK/copy.mdb"
check "local: a copy of the database file alone holds the post" "localpost" "$(cj_of "$WORK/copy.mdb" 2)"
check "local: the write-ahead log holds nothing" "0" "$(stat -c %s "$LOCAL-wal" 2>/dev/null || echo missing)"
check "local: the file keeps the write-ahead log" "wal" "$(sqlite3 "$LOCAL" 'PRAGMA journal_mode')"
check_true "local: the program closes" "exit status" stop_app

# ---- 2. network share -------------------------------------------------------
echo "# 2. network share (t=${SECONDS}s)"
SHARE="$WORK/share/Lexora_Concept.mdb"
start_app "$WORK/share" ZENMORA_FILE_SYSTEM_TYPE=0x6969
check_true "share: window shown" "no window" test -n "$WIN"
check "share: one window, no box to dismiss" "1" "$(visible_windows)"
check "share: the file is in rollback-journal mode" "delete" "$(sqlite3 "$SHARE" 'PRAGMA journal_mode')"
check_true "share: no write-ahead log beside the file" "-wal exists" test ! -e "$SHARE-wal"
status_crop "$ART/share-1.png"
line_crop "$ART/share-1-line.png"
check_true "share: the status line carries the notice, not the record status" "same as local" \
    diff_image "$ART/local-1.png" "$ART/share-1.png"
nav $NAV_NEXT
status_crop "$ART/share-2.png"
check_true "share: after a move the status line is the record status again" "differs from local" \
    same_image "$ART/local-2.png" "$ART/share-2.png"
type_definition "sharepost"
check "share: the post is in the file" "sharepost" "$(cj_of "$SHARE" 2)"
check_true "share: still no write-ahead log" "-wal exists" test ! -e "$SHARE-wal"
check_true "share: the program closes" "exit status" stop_app
check "share: the file is sound" "ok" "$(sqlite3 "$SHARE" 'PRAGMA integrity_check')"

# ---- 3. the record lost to another user ------------------------------------
echo "# 3. the record lost to another user (t=${SECONDS}s)"
REFERENCE="$WORK/reference/Lexora_Concept.mdb"
LOST="$WORK/lost/Lexora_Concept.mdb"
sqlite3 "$REFERENCE" 'DELETE FROM "0_Data_Input" WHERE ID=2'
start_app "$WORK/reference"
nav $NAV_NEXT
status_crop "$ART/reference-2.png"
nav $NAV_NEXT
status_crop "$ART/reference-3.png"
check_true "reference: the program closes" "exit status" stop_app
start_app "$WORK/lost"
nav $NAV_NEXT
click_at "${BOX_DEF[0]}" "${BOX_DEF[1]}"
xdotool key ctrl+a
xdotool type --delay 40 "mine"
sqlite3 "$LOST" 'DELETE FROM "0_Data_Input" WHERE ID=2'
nav $NAV_POST
sleep 0.5
check "lost: the post fails with a message box" "2" "$(visible_windows)"
xdotool key Return
sleep 0.4
nav $NAV_CANCEL
status_crop "$ART/lost-2.png"
check_true "lost: after cancel the status line is as if the record had never been there" "differs" \
    same_image "$ART/reference-2.png" "$ART/lost-2.png"
nav $NAV_NEXT
status_crop "$ART/lost-3.png"
check_true "lost: Next counts on from there" "differs" same_image "$ART/reference-3.png" "$ART/lost-3.png"
check_true "lost: the program closes" "exit status" stop_app
check "lost: the other user's delete stands" "0" "$(sqlite3 "$LOST" 'SELECT count(*) FROM "0_Data_Input" WHERE ID=2')"

echo "$PASS passed, $FAIL failed"
[ "$FAIL" -eq 0 ]
