#!/usr/bin/env bash
# Chinese typed through a real input method: ibus with the Cangjie 5 table,
# reached through Qt's own ibus input context, on a virtual X server, driven
# by real X keys and clicks (xdotool).  Every case leaves a composition
# pending (keys typed, no space yet) and then does what a user does next:
# posts, moves, cancels, changes page, clicks another box, presses Tab or
# Enter, closes the window.  What was composed must reach the box and the
# record it was typed into exactly once, and nothing else may change.
#
#   bash tests/e2e/input_method_session.sh BUILD_DIR [ibus|fcitx5]
#
# BUILD_DIR holds app/zenmora and app/Lexora_Concept.mdb.  Stored bytes are
# read back with sqlite3.  Everything runs in a private temporary folder:
# its own HOME and XDG folders, its own X display, its own session D-Bus
# (no service activation, so nothing is started behind the script's back)
# and its own input-method daemon.  Every process the script starts is
# recorded and ended by its id; a watchdog ends them and fails the run after
# a bounded time whatever the program or the input method does.
# One line per check; the last line is "N passed, M failed"; exit 0 only when
# every check passed, 2 when a tool is missing.

set -u

HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
BUILD_DIR="$(cd "${1:?usage: input_method_session.sh BUILD_DIR [ibus|fcitx5]}" && pwd)"
IM="${2:-ibus}"
APP="$BUILD_DIR/app/zenmora"
DB_SRC="$BUILD_DIR/app/Lexora_Concept.mdb"
ART="$ROOT/artifacts/e2e-im-$IM"
CAPTION="Zenmora１．０１版"
LIMIT=900

case "$IM" in
    ibus) IM_TOOLS="ibus-daemon ibus" ;;
    fcitx5) IM_TOOLS="fcitx5 fcitx5-remote" ;;
    *) echo "unknown input method: $IM"; exit 2 ;;
esac
for tool in Xvfb xdotool xclip xdpyinfo import sqlite3 python3 dbus-daemon timeout $IM_TOOLS; do
    command -v "$tool" >/dev/null || { echo "missing tool: $tool"; exit 2; }
done
[ -x "$APP" ] || { echo "no program at $APP"; exit 2; }
[ -f "$DB_SRC" ] || { echo "no database at $DB_SRC"; exit 2; }

WORK="$(mktemp -d /tmp/zenmora-im.XXXXXX)"
DB="$WORK/Lexora_Concept.mdb"
cp "$DB_SRC" "$DB"
mkdir -p "$ART" "$WORK/home" "$WORK/config" "$WORK/cache" "$WORK/data" "$WORK/runtime"
chmod 700 "$WORK/runtime"
rm -f "$ART"/*.png
PIDS="$WORK/pids"   # every process started, one id a line
: >"$PIDS"

export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_CACHE_HOME="$WORK/cache"
export XDG_DATA_HOME="$WORK/data" XDG_RUNTIME_DIR="$WORK/runtime" LANG=C.UTF-8
# The input method's settings live in memory: nothing is read from or
# written to the user's configuration, and no settings service is needed.
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
unset QT_IM_MODULE GTK_IM_MODULE XMODIFIERS IBUS_ADDRESS DBUS_SESSION_BUS_ADDRESS

PASS=0
FAIL=0
WATCHDOG_PID=""

started() { echo "$1" >>"$PIDS"; }
# The processes recorded, and the children they started themselves (the
# input-method daemon starts its engine), ended by id.
end_started() {
    local pid child
    while read -r pid; do
        [ -n "$pid" ] || continue
        for child in $(ps -o pid= --ppid "$pid" 2>/dev/null); do kill "$child" 2>/dev/null; done
        kill "$pid" 2>/dev/null
    done <"$PIDS"
}
cleanup() {
    trap '' USR1 EXIT
    cp "$WORK"/*.log "$ART/" 2>/dev/null
    [ -n "$WATCHDOG_PID" ] && kill "$WATCHDOG_PID" 2>/dev/null
    end_started
    sleep 0.3
    while read -r pid; do [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; done <"$PIDS"
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'echo "FAIL: run stopped by the time limit (${LIMIT} s)"; echo "$PASS passed, $((FAIL + 1)) failed"; exit 3' USR1
# The watchdog first ends every process the script started (so a command
# waiting on the X server or the program returns), then stops the script.
( sleep "$LIMIT"; end_started; kill -USR1 $$; sleep 10; kill -9 $$ ) >/dev/null 2>&1 &
WATCHDOG_PID=$!

check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        PASS=$((PASS + 1)); echo "PASS: $1"
    else
        FAIL=$((FAIL + 1)); echo "FAIL: $1 (expected [$2], got [$3])"
    fi
}
sql() { timeout 20 sqlite3 "$DB" "$1"; }
# A field as text, control characters shown as \xNN so that a stored TAB or
# line break is visible in the result.
field() {
    sql "SELECT IFNULL(\"$2\",'') FROM \"0_Data_Input\" WHERE ID=$1" |
        python3 -c 'import sys; t=sys.stdin.read()[:-1]; print("".join(c if ord(c) >= 32 else "\\x%02x" % ord(c) for c in t))'
}

# ---- X server, session bus, input method --------------------------------------
echo "# X server, session bus, $IM (t=${SECONDS}s)"
DISP=""
for n in $(seq 201 299); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then DISP=$n; break; fi
done
[ -n "$DISP" ] || { echo "no free display"; exit 2; }
Xvfb ":$DISP" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
started $!
export DISPLAY=":$DISP"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

cat >"$WORK/session-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$WORK/session-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
dbus-daemon --nofork --config-file="$WORK/session-bus.conf" >"$WORK/dbus.log" 2>&1 &
started $!
export DBUS_SESSION_BUS_ADDRESS="unix:path=$WORK/session-bus"
for _ in $(seq 50); do [ -S "$WORK/session-bus" ] && break; sleep 0.1; done

IM_READY=""
if [ "$IM" == ibus ]; then
    export IBUS_ADDRESS="unix:path=$WORK/ibus-bus"
    ibus-daemon --panel=disable --emoji-extension=disable --config=disable --address="$IBUS_ADDRESS" \
        >"$WORK/ibus.log" 2>&1 &
    started $!
    for _ in $(seq 100); do timeout 5 ibus list-engine >/dev/null 2>&1 && break; sleep 0.1; done
    ENGINE="$(timeout 5 ibus list-engine 2>/dev/null | awk '$1 ~ /^table:cangjie5$/ {print $1}')"
    check "ibus offers the Cangjie 5 table" "table:cangjie5" "$ENGINE"
    # The engine is switched on only while a case types: the jump box and the
    # reading back of texts go without it.
    im_on() { timeout 5 ibus engine table:cangjie5; sleep 0.3; }
    im_off() { timeout 5 ibus engine xkb:us::eng; sleep 0.3; }
    [ "$ENGINE" == "table:cangjie5" ] && IM_READY=1
    export QT_IM_MODULE=ibus
else
    # fcitx5 with its Cangjie table (fcitx5-table, libime-data) and Qt's
    # fcitx5 input context (fcitx5-frontend-qt6); the profile names the
    # input methods, the rest of its settings stay at their defaults.
    mkdir -p "$XDG_CONFIG_HOME/fcitx5"
    printf '%s\n' '[Groups/0]' 'Name=Default' 'Default Layout=us' 'DefaultIM=cangjie' '' \
        '[Groups/0/Items/0]' 'Name=keyboard-us' 'Layout=' '' '[Groups/0/Items/1]' 'Name=cangjie' 'Layout=' '' \
        '[GroupOrder]' '0=Default' >"$XDG_CONFIG_HOME/fcitx5/profile"
    fcitx5 --disable=wayland,waylandim,kimpanel,notificationitem,notifications,clipboard,emoji,spell \
        >"$WORK/fcitx5.log" 2>&1 &
    started $!
    for _ in $(seq 100); do timeout 5 fcitx5-remote >/dev/null 2>&1 && break; sleep 0.1; done
    im_on() { timeout 5 fcitx5-remote -s cangjie; sleep 0.3; }
    im_off() { timeout 5 fcitx5-remote -s keyboard-us; sleep 0.3; }
    im_on
    im_off
    IM_READY=1
    export QT_IM_MODULE=fcitx
fi
# What the box shows of a pending composition, and so what committing it
# stores: ibus-table shows the first candidate, fcitx5's table the keys.
# Tab: ibus-table commits the candidate followed by a TAB (the program takes
# the TAB as the key and moves on); fcitx5's table takes Tab itself, commits
# the candidate and the focus stays.
if [ "$IM" == ibus ]; then WO=我; ZI=字; TAB_WO=我; else WO=hqi; ZI=jnd; TAB_WO=我; fi
[ -n "$IM_READY" ] || { echo "$PASS passed, $((FAIL + 1)) failed"; exit 1; }
unset QT_QPA_PLATFORM
export QT_QPA_PLATFORM=xcb

APP_PID=""
WIN=""
start_app() {
    (cd "$WORK" && exec "$APP") >>"$WORK/app.log" 2>&1 &
    APP_PID=$!
    started "$APP_PID"
    WIN="$(timeout 20 xdotool search --sync --onlyvisible --name "^${CAPTION}\$" 2>/dev/null | head -1)"
    sleep 0.8
}

# Page coordinates as in user_session.sh: the first tab page starts at (3, 24).
PX=3; PY=24
click_at() {  # click_at PAGE_X PAGE_Y
    timeout 5 xdotool mousemove --window "$WIN" $((PX + $1)) $((PY + $2))
    sleep 0.15
    timeout 5 xdotool click 1
    sleep 0.3
}
click_window() {  # click_at WINDOW_X WINDOW_Y (the tab bar is outside the page)
    timeout 5 xdotool mousemove --window "$WIN" "$1" "$2"; sleep 0.15; timeout 5 xdotool click 1; sleep 0.3
}
key() { timeout 5 xdotool key --delay 60 "$@"; sleep 0.2; }
compose() { timeout 10 xdotool type --delay 90 "$1"; sleep 0.5; }  # Cangjie keys, left pending
settle() { sleep 0.8; }  # time for late commits of the input method to arrive
shot() { timeout 10 import -window "$WIN" "$ART/$1.png" 2>/dev/null; }
read_box() {  # text of a focusable box via the clipboard (input method off)
    # xclip stays in the foreground (-quiet) until the program takes the
    # clipboard over, so that it is a process of this script's, ended by id.
    printf '<nothing copied>' | xclip -quiet -selection clipboard >/dev/null 2>&1 &
    started $!
    sleep 0.1
    click_at "$1" "$2"
    key ctrl+a ctrl+c
    sleep 0.2
    timeout 5 xclip -selection clipboard -o 2>/dev/null
}
nav() { click_at $((232 + $1 * 29 + 14)) 355; sleep 0.2; }
NAV_NEXT=2; NAV_POST=6; NAV_CANCEL=7
DEF=(100 163); NOTE=(100 240); SEARCH=(70 355)
FIELD_DEF=CJ_Input; FIELD_NOTE=Note
goto() {  # goto RECORD_NUMBER: through the jump box, input method off
    im_off
    # Keys pass through the input-method daemon, clicks do not: each step
    # waits so that keys are not overtaken by the next click.
    click_at 175 355
    key End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
    timeout 5 xdotool type --delay 60 "$1"
    sleep 0.4
    key Return
    sleep 0.6
}
# After a case the record is left through the jump box, which posts an edit
# still open: a copy that arrived late and put the record back into edit
# state is then stored and seen.
leave() { goto 1; }

start_app
check "window with caption $CAPTION appears" "1" "$([ -n "$WIN" ] && echo 1)"
[ -n "$WIN" ] || { echo "$PASS passed, $((FAIL + 1)) failed"; exit 1; }

# Records used by the cases, each a fresh one, and what they held before.
before_all="$(sql 'SELECT count(*) FROM "0_Data_Input" WHERE IFNULL(CJ_Input,"")<>"" OR IFNULL(Note,"")<>""')"
check "no record has a definition or a note before the run" "0" "$before_all"
EXPECTED="$WORK/expected"   # ID|field|text, one line for every stored value
: >"$EXPECTED"
expect() { echo "$1|$2|$3" >>"$EXPECTED"; }

box_of() { if [ "$1" == def ]; then echo "${DEF[@]}"; else echo "${NOTE[@]}"; fi; }
field_of() { if [ "$1" == def ]; then echo "$FIELD_DEF"; else echo "$FIELD_NOTE"; fi; }
other_of() { if [ "$1" == def ]; then echo note; else echo def; fi; }

REC=100
run_case() {  # run_case BOX NAME: one row of the table in one box
    local box="$1" name="$2" f o of
    f="$(field_of "$box")"; o="$(other_of "$box")"; of="$(field_of "$o")"
    REC=$((REC + 1))
    local r=$REC
    echo "# $box: $name on record $r (t=${SECONDS}s)"
    goto "$r"
    # shellcheck disable=SC2046
    click_at $(box_of "$box")
    im_on
    case "$name" in
        commit-post)
            compose hqi; key space; nav $NAV_POST; settle; shot "$box-$name"; leave
            check "$box $name: record $r stores 我 once" "我" "$(field $r "$f")"; expect $r "$f" 我 ;;
        pending-next)
            compose jnd; nav $NAV_NEXT; settle; shot "$box-$name"; leave
            check "$box $name: record $r stores $ZI once" "$ZI" "$(field $r "$f")"; expect $r "$f" "$ZI"
            check "$box $name: next record $((r + 1)) untouched" "" "$(field $((r + 1)) "$f")"
            REC=$((REC + 1)) ;;
        pending-post)
            compose hqi; nav $NAV_POST; settle; shot "$box-$name"; leave
            check "$box $name: record $r stores $WO once" "$WO" "$(field $r "$f")"; expect $r "$f" "$WO" ;;
        pending-cancel)
            compose hqi; nav $NAV_CANCEL; settle; shot "$box-$name"; leave
            check "$box $name: record $r keeps nothing" "" "$(field $r "$f")" ;;
        pending-click-other)
            compose jnd
            # shellcheck disable=SC2046
            click_at $(box_of "$o"); settle; shot "$box-$name"; leave
            check "$box $name: record $r stores $ZI in $box once" "$ZI" "$(field $r "$f")"; expect $r "$f" "$ZI"
            check "$box $name: the $o box got nothing" "" "$(field $r "$of")" ;;
        pending-tab)
            compose hqi; key Tab; settle; shot "$box-$name-after-tab"
            if [ "$box" == def ] && [ "$IM" == ibus ]; then
                # The focus went on to the note box: what is typed next goes there.
                compose jnd; key space; settle
                check "$box $name: the focus moved on to the note box" "字" "$(field_of_screen note)"
                expect $r "$of" 字
            fi
            shot "$box-$name"; leave
            check "$box $name: record $r stores $TAB_WO without a TAB" "$TAB_WO" "$(field $r "$f")"; expect $r "$f" "$TAB_WO" ;;
        candidate-not-big5)
            compose hqi; key 2; settle; shot "$box-$name"; leave
            check "$box $name: 𥫻 (not Big5) refused, nothing stored" "" "$(field $r "$f")" ;;
        pending-page)
            compose jnd; click_window 100 12; settle; shot "$box-$name"; click_window 35 12; leave
            check "$box $name: record $r stores $ZI once" "$ZI" "$(field $r "$f")"; expect $r "$f" "$ZI" ;;
    esac
    im_off
}
# What a box shows now (used while the record is still open).
field_of_screen() { im_off; read_box $(box_of "$1"); }

# IM_CASES (for a person trying one case): "BOX:NAME ..." instead of all.
ALL_CASES=""
for box in def note; do
    for name in commit-post pending-next pending-post pending-cancel pending-click-other pending-tab \
                candidate-not-big5 pending-page; do
        ALL_CASES="$ALL_CASES $box:$name"
    done
done
for c in ${IM_CASES:-$ALL_CASES}; do run_case "${c%%:*}" "${c#*:}"; done

# ---- the search box -----------------------------------------------------------
WO_ID="$(sql "SELECT ID FROM \"0_Data_Input\" WHERE B5_Word='我'")"
ZI_ID="$(sql "SELECT ID FROM \"0_Data_Input\" WHERE B5_Word='字'")"
echo "# search box: composition pending, Enter (t=${SECONDS}s)"
goto 1
click_at "${SEARCH[@]}"
im_on; compose hqi; key Return; settle; im_off
shot search-enter
# ibus-table commits the keys themselves on Enter, another input method may
# commit the character: either way it arrives once.
AFTER_ENTER="$(read_box "${SEARCH[@]}")"
case "$AFTER_ENTER" in 我|hqi) AFTER_ENTER=once ;; esac
check "search box after Enter holds the composition once" "once" "$AFTER_ENTER"
leave
check "the definition of 我 (record $WO_ID) got nothing after Enter" "" "$(field "$WO_ID" "$FIELD_DEF")"
echo "# search box: composition pending, click into the definition box (t=${SECONDS}s)"
goto 1
click_at "${SEARCH[@]}"
im_on; compose jnd; click_at "${DEF[@]}"; settle; im_off
shot search-click
check "search box after the click shows $ZI once" "$ZI" "$(read_box "${SEARCH[@]}")"
if [ "$ZI" == 字 ]; then
    check "search after the click went to the record of 字" "字" "$(read_box 28 20)"
fi
leave
check "the definition of 字 (record $ZI_ID) got nothing" "" "$(field "$ZI_ID" "$FIELD_DEF")"
check "the definition of 我 (record $WO_ID) got nothing" "" "$(field "$WO_ID" "$FIELD_DEF")"

# ---- closing the window with a composition pending ------------------------------
REC=$((REC + 1)); r=$REC
echo "# def: pending-close on record $r (t=${SECONDS}s)"
goto "$r"
click_at "${DEF[@]}"
im_on; compose jnd
timeout 10 python3 "$HERE/wm_delete.py" "$WIN"
for _ in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
APP_RC="gone"
if kill -0 "$APP_PID" 2>/dev/null; then APP_RC="still running"; kill "$APP_PID"; fi
check "program ends on closing the window with a composition pending" "gone" "$APP_RC"
check "def pending-close: record $r stores $ZI once" "$ZI" "$(field $r "$FIELD_DEF")"; expect $r "$FIELD_DEF" "$ZI"

# ---- nothing else changed, no control character anywhere ------------------------
sort "$EXPECTED" >"$WORK/expected.sorted"
sql "SELECT ID || '|CJ_Input|' || CJ_Input FROM \"0_Data_Input\" WHERE IFNULL(CJ_Input,'')<>''
     UNION ALL SELECT ID || '|Note|' || Note FROM \"0_Data_Input\" WHERE IFNULL(Note,'')<>''" | sort >"$WORK/stored.sorted"
check "stored definitions and notes are exactly the expected ones" "" \
    "$(diff "$WORK/expected.sorted" "$WORK/stored.sorted" | grep '^[<>]' | tr '\n' ' ')"
check "no control character stored" "0" \
    "$(sql "SELECT count(*) FROM \"0_Data_Input\" WHERE CJ_Input GLOB '*[$(printf '\t\r\n')]*' OR Note GLOB '*[$(printf '\t\r\n')]*'")"

echo "$PASS passed, $FAIL failed"
[ "$FAIL" -eq 0 ]
