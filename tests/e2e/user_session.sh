#!/usr/bin/env bash
# A person's sitting with Zenmora, driven through a real X server (Xvfb) with
# real X input only (xdotool mouse and keys, xclip for the clipboard).
#
#   bash tests/e2e/user_session.sh BUILD_DIR
#
# BUILD_DIR holds app/zenmora and app/Lexora_Concept.mdb.  The database is
# copied to a fresh temporary folder and the program is started there.
# Screenshots go to artifacts/e2e/NN-step.png (repository root), or to
# ZENMORA_E2E_ARTIFACTS when that is set.
# One line per check; the last line is "N passed, M failed"; exit 0 only when
# every check passed.  The whole run is bounded: a watchdog ends it after
# ZENMORA_E2E_LIMIT seconds (170 by default), and a check that finds the
# program gone ends it at once.
#
# Reading state back: there is no accessibility interface, so texts of
# focusable boxes are read by clicking into the box, Ctrl+A Ctrl+C and reading
# the CLIPBOARD with xclip (the jump box filters control characters, so it is
# read by double-clicking its digits and reading the PRIMARY selection).  The
# status line is a label: it is checked through screenshots (crops of the line
# are compared between steps and saved for a person to look at).  Stored data
# is read with sqlite3 on the database file.
#
# On a server: with ZENMORA_E2E_DATABASE set to a PostgreSQL connection string
# (an empty database on a throwaway server), the bundled database is copied
# there with `zenmora-db copy`, the program is started with --database, and
# stored data is read with psql (the queries are written to mean the same on
# both); the export is checked against a copy of the server database taken
# back into a file at that moment.
#
# Closing the window: bare Xvfb has no window manager, so the script sends the
# WM_DELETE_WINDOW client message a window manager would send for the close box
# (tests/e2e/wm_delete.py, libX11 through ctypes).

set -u

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
BUILD_DIR="$(cd "${1:?usage: user_session.sh BUILD_DIR}" && pwd)"
APP="$BUILD_DIR/app/zenmora"
DB_SRC="$BUILD_DIR/app/Lexora_Concept.mdb"
ART="${ZENMORA_E2E_ARTIFACTS:-$ROOT/artifacts/e2e}"
CAPTION="Zenmora１．０１版"

SERVER="${ZENMORA_E2E_DATABASE:-}"
DB_TOOL="$BUILD_DIR/tools/zenmora-db"
for tool in Xvfb xdotool xclip xwininfo import compare sqlite3 python3 ${SERVER:+psql}; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool"; exit 2; }
done
[ -x "$APP" ] || { echo "no program at $APP"; exit 2; }
[ -f "$DB_SRC" ] || { echo "no database at $DB_SRC"; exit 2; }

WORK="$(mktemp -d /tmp/zenmora-e2e.XXXXXX)"
DB="$WORK/Lexora_Concept.mdb"
cp "$DB_SRC" "$DB"
if [ -n "$SERVER" ]; then
    [ -x "$DB_TOOL" ] || { echo "no zenmora-db at $DB_TOOL"; exit 2; }
    "$DB_TOOL" copy "$DB" "$SERVER" --replace >"$WORK/copy.log" 2>&1 \
        || { cat "$WORK/copy.log"; echo "could not copy the database to the server"; rm -rf "$WORK"; exit 2; }
fi
mkdir -p "$ART"
rm -f "$ART"/*.png

PASS=0
FAIL=0
XVFB_PID=""
APP_PID=""
WATCHDOG_PID=""

LIMIT="${ZENMORA_E2E_LIMIT:-170}"
SESSION=$$

cleanup() {
    trap '' USR1
    if [ "$FAIL" -gt 0 ] && [ -s "$WORK/app.log" ]; then
        echo "--- the program's output (last lines)"; tail -n 20 "$WORK/app.log"
    fi
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
# The watchdog does not rely on the signal alone: bash runs a trap only when
# the command it waits for returns, and a command can wait for ever on a dead
# program. So it also ends the session's children itself: the program, the X
# server (every X client still waiting on it, xclip and xdotool included,
# then gives up) and whatever else the session started. The session then
# runs its trap; if even that does not happen it is killed outright.
# Pids are read from files because the watchdog starts before them.
watchdog() {
    sleep "$LIMIT"
    kill -USR1 "$SESSION" 2>/dev/null || return 0
    local f
    for f in "$WORK/app.pid" "$WORK/xvfb.pid"; do
        [ -f "$f" ] && kill "$(cat "$f")" 2>/dev/null
    done
    pkill -P "$SESSION" 2>/dev/null
    sleep 10
    if kill -0 "$SESSION" 2>/dev/null; then
        echo "FAIL: session did not stop; killed" >&2
        [ -f "$WORK/xvfb.pid" ] && kill -KILL "$(cat "$WORK/xvfb.pid")" 2>/dev/null
        kill -KILL "$SESSION" 2>/dev/null
        rm -rf "$WORK"
    fi
}
watchdog >/dev/null 2>&1 &
WATCHDOG_PID=$!

# The program died under the session (not closed by it): every later check
# would only fail slowly, so the run ends here.
program_gone() {
    [ -n "$APP_PID" ] || return 1
    local state
    state="$(awk '{print $3}' "/proc/$APP_PID/stat" 2>/dev/null)"
    [ -z "$state" ] || [ "$state" == "Z" ]
}
end_if_program_gone() {
    if program_gone; then
        wait "$APP_PID" 2>/dev/null; local rc=$?
        APP_PID=""
        FAIL=$((FAIL + 1)); echo "FAIL: the program ended during the session (exit status $rc)"
        echo "$PASS passed, $FAIL failed"
        exit 1
    fi
}
check() {  # check NAME EXPECTED ACTUAL
    end_if_program_gone
    if [ "$2" == "$3" ]; then
        PASS=$((PASS + 1)); echo "PASS: $1"
    else
        FAIL=$((FAIL + 1)); echo "FAIL: $1 (expected [$2], got [$3])"
    fi
}
check_true() {  # check_true NAME DETAIL command...
    local name="$1" detail="$2"; shift 2
    end_if_program_gone
    if "$@"; then PASS=$((PASS + 1)); echo "PASS: $name"
    else FAIL=$((FAIL + 1)); echo "FAIL: $name ($detail)"; fi
}
if [ -n "$SERVER" ]; then
    sql() { psql -X -q -A -t -v ON_ERROR_STOP=1 -d "$SERVER" -c "$1"; }
else
    sql() { sqlite3 "$DB" "$1"; }
fi
# A file holding the data as stored now (on a server: copied back into a file).
stored_file() {
    if [ -z "$SERVER" ]; then echo "$DB"; return; fi
    rm -f "$WORK/snapshot.mdb"
    "$DB_TOOL" copy "$SERVER" "$WORK/snapshot.mdb" >>"$WORK/copy.log" 2>&1 && echo "$WORK/snapshot.mdb"
}
# No X tool may wait for ever on a program that died under it (timeout runs
# the tool itself, not these functions).
xdotool() { timeout 10 xdotool "$@"; }
import() { timeout 10 import "$@"; }
field() { sql "SELECT COALESCE(\"$2\",'') FROM \"0_Data_Input\" WHERE \"ID\"=$1"; }

# ---- X server on a free display ---------------------------------------------
echo "# X server on a free display (t=${SECONDS}s)"
DISP=""
for n in $(seq 91 199); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then DISP=$n; break; fi
done
[ -n "$DISP" ] || { echo "no free display"; exit 2; }
Xvfb ":$DISP" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
echo "$XVFB_PID" >"$WORK/xvfb.pid"
export DISPLAY=":$DISP"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
unset QT_QPA_PLATFORM
export QT_QPA_PLATFORM=xcb LANG=C.UTF-8

WIN=""
start_app() {
    (cd "$WORK" && exec "$APP" ${SERVER:+--database "$SERVER"}) >>"$WORK/app.log" 2>&1 &
    APP_PID=$!
    echo "$APP_PID" >"$WORK/app.pid"
    WIN="$(timeout 20 xdotool search --sync --onlyvisible --name "^${CAPTION}\$" 2>/dev/null | head -1)"
    sleep 0.8   # let the first paint finish
}
stop_app() {  # close through the window system, wait for the process
    python3 "$HERE/wm_delete.py" "$WIN"
    local i
    for i in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$APP_PID" 2>/dev/null; then
        kill "$APP_PID"; wait "$APP_PID" 2>/dev/null; APP_PID=""; return 1
    fi
    wait "$APP_PID"; local rc=$?; APP_PID=""; rm -f "$WORK/app.pid"; return $rc
}

# Positions within the window: the first tab page's origin is at (3, 24)
# (measured on a screenshot: DBEdit1 at page 8,8 shows at window 11,32).
PX=3; PY=24
click_at() {  # click_at PAGE_X PAGE_Y  (mouse moves, rests, then clicks)
    xdotool mousemove --window "$WIN" $((PX + $1)) $((PY + $2))
    sleep 0.15
    xdotool click 1
    sleep 0.3
}
shot() { import -window "$WIN" "$ART/$1.png" 2>/dev/null; }
shot_root() { import -window root "$ART/$1.png" 2>/dev/null; }
status_crop() {  # the status line (Label2 at page 0,312) as an image
    import -window "$WIN" -crop 220x16+$((PX + 0))+$((PY + 311)) +repage "$1" 2>/dev/null
}
same_image() { [ "$(compare -metric AE "$1" "$2" null: 2>&1)" == "0" ]; }
diff_image() { ! same_image "$1" "$2"; }
read_box() {  # read_box PAGE_X PAGE_Y: text of a focusable box via the clipboard
    printf '<nothing copied>' | xclip -selection clipboard >/dev/null 2>&1
    click_at "$1" "$2"
    xdotool key ctrl+a ctrl+c
    sleep 0.3
    timeout 5 xclip -selection clipboard -o 2>/dev/null
}
read_jump_box() {  # the jump box filters Ctrl+A/Ctrl+C: select by double click
    xdotool mousemove --window "$WIN" $((PX + 175)) $((PY + 355))
    sleep 0.15
    xdotool click --repeat 2 --delay 80 1
    sleep 0.3
    timeout 5 xclip -selection primary -o 2>/dev/null
}
paste_text() {  # put Unicode text on the clipboard and paste it with Ctrl+V
    printf '%s' "$1" | xclip -selection clipboard >/dev/null 2>&1
    sleep 0.1
    xdotool key ctrl+v
    sleep 0.3
}
# Navigator at page 232,343: eight 29-pixel buttons first, prior, next, last,
# insert, delete, post, cancel.
nav() { click_at $((232 + $1 * 29 + 14)) 355; sleep 0.2; }
NAV_FIRST=0; NAV_PRIOR=1; NAV_NEXT=2; NAV_POST=6
# Drop-down lists at top 96 (24 high); the arrow is the last 16 pixels.  An
# open list shows its items below the box, 16 pixels each.
pick() {  # pick LIST_LEFT LIST_WIDTH ITEM_NUMBER(1-based) SHOT_NAME
    click_at $(($1 + $2 - 8)) 108
    sleep 0.2
    shot_root "$4"
    xdotool mousemove --window "$WIN" $((PX + $1 + 20)) $((PY + 120 + 8 + 16 * ($3 - 1)))
    sleep 0.25
    xdotool click 1
    sleep 0.4
}
# Read-only code boxes of the classification row (page coordinates).
BOX_LI=(12 108); BOX_XX=(108 108); BOX_RZ=(204 108); BOX_SB=(308 108)
BOX_8XI=(408 108); BOX_GN=(520 108); BOX_HEX=(564 108)
BOX_WORD=(28 20); BOX_CJ=(400 20); BOX_DEF=(100 163); BOX_NOTE=(100 240)

TOTAL="$(sql 'SELECT count(*) FROM "0_Data_Input"')"
LAST_ID="$(sql 'SELECT max("ID") FROM "0_Data_Input"')"

# ---- 1. start ---------------------------------------------------------------
echo "# 1. start (t=${SECONDS}s)"
start_app
check_true "window with caption $CAPTION appears" "no window within 20 s" test -n "$WIN"
[ -n "$WIN" ] || { echo "$PASS passed, $((FAIL + 1)) failed"; exit 1; }
shot 01-start
SIZE="$(xwininfo -id "$WIN" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}')"
check "client area is 591x391" "591x391" "$SIZE"
status_crop "$WORK/status-start.png"; cp "$WORK/status-start.png" "$ART/01-status-start.png"
check "record shown at start is record 1 ($(field 1 B5_Word))" "$(field 1 B5_Word)" "$(read_box "${BOX_WORD[@]}")"

# ---- 2. search box: type 中 ---------------------------------------------------
echo "# 2. search box: type 中 (t=${SECONDS}s)"
ZH_ID="$(sql "SELECT \"ID\" FROM \"0_Data_Input\" WHERE \"B5_Word\"='中'")"
click_at 70 355
paste_text "中"
sleep 0.3
shot 02-search-zhong
status_crop "$WORK/status-search.png"; cp "$WORK/status-search.png" "$ART/02-status-search.png"
check_true "status line changes after the search" "same pixels as at start" diff_image "$WORK/status-start.png" "$WORK/status-search.png"
check "DBEdit11 shows the Cangjie code of 中" "$(field "$ZH_ID" CJ_Code)" "$(read_box "${BOX_CJ[@]}")"
check "DBEdit1 shows 中 after the search" "中" "$(read_box "${BOX_WORD[@]}")"

# ---- 3. jump box: 37, then 999999 ---------------------------------------------
echo "# 3. jump box: 37, then 999999 (t=${SECONDS}s)"
click_at 175 355
xdotool type --delay 60 "37"; xdotool key Return; sleep 0.5
shot 03-jump-37
status_crop "$WORK/status-37.png"; cp "$WORK/status-37.png" "$ART/03-status-37.png"
check "jump to 37 shows record 37 ($(field 37 B5_Word))" "$(field 37 B5_Word)" "$(read_box "${BOX_WORD[@]}")"
check_true "status line changes after the jump to 37" "same pixels as after the search" diff_image "$WORK/status-search.png" "$WORK/status-37.png"
click_at 175 355
xdotool key End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 60 "999999"; xdotool key Return; sleep 0.5
shot 04-jump-999999
status_crop "$WORK/status-last.png"; cp "$WORK/status-last.png" "$ART/04-status-last.png"
check "jump to 999999 shows the last record ($(field "$LAST_ID" B5_Word))" "$(field "$LAST_ID" B5_Word)" "$(read_box "${BOX_WORD[@]}")"
check "jump box then shows the last record number" "$TOTAL" "$(read_jump_box)"

# ---- 4. classify through the five lists with the mouse, post ------------------
echo "# 4. classify through the five lists with the mouse, post (t=${SECONDS}s)"
pick 24 57 2 05-list1-open      # 主觀
shot 06-list1-chosen
pick 120 57 2 07-list2-open     # 行為
pick 216 65 2 08-list3-open     # 經驗
pick 320 57 4 09-list4-open     # 控制
pick 424 57 8 10-list5-open     # 殺戮
shot 11-classified
nav $NAV_POST
sleep 0.4
shot 12-posted
for pair in "Li_Chang:主觀" "Li_Chang_B:1" "Xian_Xiang:行為" "Xian_Xiang_B:1" "Ren_Zhi:經驗" \
            "Ren_Zhi_B:1" "Si_Bei:控制" "Si_Bei_B:11" "Gai_Nian:殺戮" "8_XI_B:111" "Gai_Nian_Hex:0FFH"; do
    check "stored $LAST_ID.${pair%%:*} after post" "${pair#*:}" "$(field "$LAST_ID" "${pair%%:*}")"
done
check "DBEdit2 shows 1" "1" "$(read_box "${BOX_LI[@]}")"
check "DBEdit3 shows 1" "1" "$(read_box "${BOX_XX[@]}")"
check "DBEdit4 shows 1" "1" "$(read_box "${BOX_RZ[@]}")"
check "DBEdit5 shows 11" "11" "$(read_box "${BOX_SB[@]}")"
check "DBEdit8 shows 111" "111" "$(read_box "${BOX_8XI[@]}")"
check "DBEdit7 shows 0FFH" "0FFH" "$(read_box "${BOX_HEX[@]}")"
check "DBEdit9 shows 殺戮" "殺戮" "$(read_box "${BOX_GN[@]}")"

# ---- 5. export with the title -------------------------------------------------
echo "# 5. export with the title (t=${SECONDS}s)"
click_at 480 328          # 標題匯出
printf 'before export' | xclip -selection clipboard >/dev/null 2>&1
click_at 528 355          # 單筆匯出剪貼
sleep 0.3
shot 13-exported
timeout 5 xclip -selection clipboard -o -t text/plain >"$WORK/got.utf8" 2>/dev/null
timeout 5 xclip -selection clipboard -o -t 'text/plain;charset=Big5' >"$WORK/got.big5" 2>/dev/null
if python3 "$HERE/expected_line.py" "$(stored_file)" "$LAST_ID" 1 "$WORK/want"; then
    check_true "clipboard text/plain equals the expected line (UTF-8), byte for byte" \
        "see $ART/export-got.utf8" cmp -s "$WORK/want.utf8" "$WORK/got.utf8"
    check_true "clipboard Big5 target equals the expected line, byte for byte" \
        "see $ART/export-got.big5" cmp -s "$WORK/want.big5" "$WORK/got.big5"
    cp "$WORK/want.utf8" "$WORK/want.big5" "$WORK/got.utf8" "$WORK/got.big5" "$ART/" 2>/dev/null
    for f in want.utf8 want.big5 got.utf8 got.big5; do mv "$ART/$f" "$ART/export-$f"; done
else
    check "expected line can be built" "0" "$?"
fi

# ---- 6. definition and note, move, close ---------------------------------------
echo "# 6. definition and note, move, close (t=${SECONDS}s)"
DEF_TEXT="測試定義 e2e"
NOTE_TEXT="筆記：一次使用者操作"
click_at 100 163
paste_text "$DEF_TEXT"
click_at 100 240
paste_text "$NOTE_TEXT"
shot 14-definition-note
# The last record has no next record (the navigator's next button is off
# there), so the move that saves is to the prior record.
nav $NAV_PRIOR
sleep 0.3
shot 15-moved
check "move left the last record" "$(field $((LAST_ID - 1)) B5_Word)" "$(read_box "${BOX_WORD[@]}")"
check "definition stored after the move" "$DEF_TEXT" "$(field "$LAST_ID" CJ_Input)"
check "note stored after the move" "$NOTE_TEXT" "$(field "$LAST_ID" Note)"
stop_app; RC=$?
check "program ends cleanly on WM_DELETE_WINDOW (exit code)" "0" "$RC"

# ---- 7. restart: the work is there ----------------------------------------------
echo "# 7. restart: the work is there (t=${SECONDS}s)"
start_app
check_true "window appears again" "no window within 20 s" test -n "$WIN"
[ -n "$WIN" ] || { echo "$PASS passed, $((FAIL + 1)) failed"; exit 1; }
shot 16-restart
status_crop "$WORK/status-restart.png"; cp "$WORK/status-restart.png" "$ART/16-status-restart.png"
check_true "status line after restart is the same as at first start" "pixels differ" \
    same_image "$WORK/status-start.png" "$WORK/status-restart.png"
click_at 175 355
xdotool type --delay 60 "999999"; xdotool key Return; sleep 0.5
shot 17-restart-last-record
status_crop "$WORK/status-last2.png"
check_true "status line on the last record is the same as before the restart" "pixels differ" \
    same_image "$WORK/status-last.png" "$WORK/status-last2.png"
check "after restart DBEdit2 shows 1" "1" "$(read_box "${BOX_LI[@]}")"
check "after restart DBEdit3 shows 1" "1" "$(read_box "${BOX_XX[@]}")"
check "after restart DBEdit4 shows 1" "1" "$(read_box "${BOX_RZ[@]}")"
check "after restart DBEdit5 shows 11" "11" "$(read_box "${BOX_SB[@]}")"
check "after restart DBEdit8 shows 111" "111" "$(read_box "${BOX_8XI[@]}")"
check "after restart DBEdit7 shows 0FFH" "0FFH" "$(read_box "${BOX_HEX[@]}")"
check "after restart DBEdit9 shows 殺戮" "殺戮" "$(read_box "${BOX_GN[@]}")"
check "after restart DBEdit6 shows the definition" "$DEF_TEXT" "$(read_box "${BOX_DEF[@]}")"
check "after restart DBMemo1 shows the note" "$NOTE_TEXT" "$(read_box "${BOX_NOTE[@]}")"
shot 18-restart-read-back
for pair in "Li_Chang_B:1" "Xian_Xiang_B:1" "Ren_Zhi_B:1" "Si_Bei_B:11" "8_XI_B:111" "Gai_Nian_Hex:0FFH"; do
    check "after restart stored $LAST_ID.${pair%%:*}" "${pair#*:}" "$(field "$LAST_ID" "${pair%%:*}")"
done
check "after restart stored definition" "$DEF_TEXT" "$(field "$LAST_ID" CJ_Input)"
check "after restart stored note" "$NOTE_TEXT" "$(field "$LAST_ID" Note)"
check "no other record changed" "1" "$(sql "SELECT count(*) FROM \"0_Data_Input\" WHERE COALESCE(\"CJ_Input\",'')<>'' OR COALESCE(\"Note\",'')<>'' OR COALESCE(\"Li_Chang_B\",'')<>''")"

# ---- 8. a filled list does not write its first entry into its field -------------
echo "# 8. a filled list does not write its first entry into its field (t=${SECONDS}s)"
# Choosing in a list fills the next list; until the user chooses there, the
# next level's field stays as the handler left it (empty).
nav $NAV_FIRST
nav $NAV_NEXT
pick 24 57 2 20-record2-list1-open     # 主觀
nav $NAV_POST
shot 21-record2-list1-posted
check "record 2: after choosing only list 1 and posting, Xian_Xiang stays empty" "" "$(field 2 Xian_Xiang)"
pick 120 57 2 22-record2-list2-open    # 行為
pick 216 65 2 23-record2-list3-open    # 經驗
pick 320 57 4 24-record2-list4-open    # 控制
nav $NAV_POST
shot 25-record2-list4-posted
check "record 2: after choosing lists 1 to 4 and posting, Gai_Nian stays empty" "" "$(field 2 Gai_Nian)"
check "record 2: Si_Bei_B stored as 11" "11" "$(field 2 Si_Bei_B)"

# ---- 9. closing the window keeps what was typed -----------------------------
# A record still being edited is posted when the window closes, as a move
# would post it: typing is never lost with the window.
echo "# 9. closing keeps a record still being edited (t=${SECONDS}s)"
nav $NAV_FIRST
click_at 100 163
paste_text "關窗前"
shot 19-edit-before-close
stop_app; RC=$?
check "program ends cleanly with an edit pending (exit code)" "0" "$RC"
check "closing with an edit pending stores it (record 1 CJ_Input)" "關窗前" "$(field 1 CJ_Input)"

# The status lines of the run, one under the other, for a person to read:
# start, after the search, record 37, the last record, after the restart.
convert "$ART/01-status-start.png" "$ART/02-status-search.png" "$ART/03-status-37.png" \
    "$ART/04-status-last.png" "$ART/16-status-restart.png" -append -scale 300% \
    "$ART/status-lines.png" 2>/dev/null

echo "$PASS passed, $FAIL failed"
[ "$FAIL" -eq 0 ]
