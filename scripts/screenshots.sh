#!/usr/bin/env bash
# Takes the pictures in docs/screenshots/ as a user sees them under Wine, Japanese fonts in
# place: the customizer's Button page and Timing page with the handheld's buttons, the
# agent's tray menu and its about box, the Button page with a desktop PC's keys, and there
# a key combination recorded and a program chosen through the file dialog, the Button page
# with one program's settings chosen, and two dual-role buttons (Ctrl while held). Runs in
# a throwaway Wine prefix on a private Xvfb display; everything it starts ends with it, also
# on Ctrl+C.
# Usage: bash scripts/screenshots.sh   (KESTREL_BUILD_DIR chooses the build folder)
set -euo pipefail
source "$(dirname "$0")/env.sh"

ensure_packages || fail "installing the packages failed"
build_dir=${KESTREL_BUILD_DIR:-$KESTREL_ROOT/build}
build_targets "$build_dir" Kestrel KestrelConfig window_message || fail "the build failed"

out=$KESTREL_ROOT/docs/screenshots
mkdir -p "$out"
stage=$(mktemp -d /tmp/kestrel-shots.XXXXXX)
prefix=$(mktemp -d /tmp/kestrel-shots-prefix.XXXXXX)
cleanup() {
    trap - EXIT INT TERM HUP
    stop_wine
    rm -rf "$stage" "$prefix"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# The agent starts the customizer from its own folder, so both programs sit side by side.
cp "$build_dir/agent/Kestrel.exe" "$build_dir/customizer/KestrelConfig.exe" \
    "$build_dir/tests/e2e_system/window_message.exe" "$stage/"

start_xvfb || fail "no display for the screenshots"
start_wine "$prefix" || fail "Wine did not start in $prefix"
wine_draws_frames || fail "Wine cannot draw the window frames"

import_profile device-buttons.reg
import_profile demo-settings.reg

# message sheet|agent post|send MESSAGE WPARAM LPARAM
message() { timeout 30 wine64 "$stage/window_message.exe" "$@" >/dev/null 2>&1; }
# wait_for sheet|agent|no-sheet|no-agent: until that is so, at most 30 s.
wait_for() {
    local i
    for i in $(seq 1 60); do
        case $1 in
            no-sheet) message sheet send 0 0 0 || return 0 ;;
            no-agent) message agent send 0 0 0 || return 0 ;;
            *) message "$1" send 0 0 0 && return 0 ;;
        esac
        sleep 0.5
    done
    fail "waited 30 s for: $1"
}
# shoot TITLE FILE: the top-level window with that title.
shoot() {
    local id
    id=$(timeout 30 xdotool search --sync --limit 1 --name "^$1\$") ||
        fail "no window \"$1\" to photograph within 30 s"
    sleep 1 # let it finish drawing
    import -window "$id" "$out/$2"
    log "wrote docs/screenshots/$2"
}
open_customizer() {
    wine64 "$stage/KestrelConfig.exe" >/dev/null 2>&1 &
    wait_for sheet
    xdotool mousemove 1000 760 # the pointer out of the picture
}

# The settings have buttons, so the agent opens no customizer by itself.
wine64 "$stage/Kestrel.exe" >/dev/null 2>&1 &
wait_for agent
open_customizer
shoot "Kestrel設定" customizer-buttons.png

message sheet post 0x465 1 0 # PSM_SETCURSEL: the "詳細" tab
shoot "Kestrel設定" customizer-timing.png
message sheet post 0x471 5 0 # PSM_PRESSBUTTON, PSBTN_CANCEL
wait_for no-sheet

# The tray menu opens with its lower right corner at that of the work area.
# MSG_TRAY in the form of the icon's version 4: where (1000, 740), then WM_LBUTTONDOWN on icon 1.
message agent post 32868 0x2E403E8 0x10201
sleep 2 # the menu shows; another process cannot see a menu of Wine's
import -window root -crop 320x240+704+528 +repage "$out/agent-tray-menu.png"
log "wrote docs/screenshots/agent-tray-menu.png"
message agent post 0x1F 0 0 # WM_CANCELMODE closes the menu
sleep 1

message agent post 0x111 40007 0 # IDM_ABOUT
shoot "Kestrelのバージョン情報" agent-about.png
message agent post 0x111 40006 0 # IDM_EXIT
wait_for no-agent

# A desktop PC: its key list in place of the handheld's, F13 with the demonstration's
# assignments.
quietly "removing the handheld's button list" \
    timeout 120 wine64 reg delete 'HKLM\SOFTWARE\Microsoft\Shell\Keys' /f
quietly "removing the handheld's settings" \
    timeout 120 wine64 reg delete 'HKCU\Software\VelmoraLab\Kestrel' /f
import_profile desktop-buttons.reg
import_profile demo-desktop-settings.reg
open_customizer
shoot "Kestrel設定" customizer-desktop-buttons.png

# F13's single press gets Ctrl+Shift+T, pressed on the real (X) keyboard into "キー操作…".
message page post 0x111 1021 0 # WM_COMMAND, IDC_RECORD_KEYS
recorder=$(timeout 30 xdotool search --sync --limit 1 --name '^キー操作$') ||
    fail "the key recorder did not open"
# The window can be found before X shows it, and X refuses the focus to a window not shown.
for attempt in $(seq 1 20); do
    xdotool windowfocus "$recorder" 2>/dev/null && break
    [ "$attempt" -lt 20 ] || fail "the key recorder did not take the focus"
    sleep 0.5
done
sleep 1
xdotool key ctrl+shift+t
shoot "キー操作" customizer-key-recorder.png
message "キー操作" post 0x111 1 0 # IDOK; a key would be recorded
sleep 1
# Its double press gets a program chosen through "参照…": the press-kind list is two tab
# stops after the button list, which has the focus.
xdotool windowfocus "$(xdotool search --limit 1 --name '^Kestrel設定$')"
sleep 0.5
xdotool key Tab Tab Down
message page post 0x111 1020 0 # WM_COMMAND, IDC_BROWSE
# Wine's file dialog, in English; it opens with its file-name box focused.
timeout 30 xdotool search --sync --limit 1 --name '^Open$' >/dev/null ||
    fail "the file dialog did not open"
sleep 1
xdotool type --delay 50 'C:\windows\regedit.exe'
xdotool key Return
sleep 2
shoot "Kestrel設定" customizer-desktop-choices.png
message sheet post 0x471 5 0 # PSM_PRESSBUTTON, PSBTN_CANCEL
wait_for no-sheet

# The same PC with two keys of the user's own, as "キーを追加…" stores them: Pause and the
# mouse's back button, after the desktop list. End shows the list's last rows.
cat >"$stage/added-keys.txt" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\VelmoraLab\Kestrel\4005]
"Name"="マウス 戻るボタン"
"Icon"=""
"UserButton"=dword:00000001
"Enabled"=dword:00000001
"Enabled_2"=dword:00000001
"Mode_2"=dword:00000003
"Cmd_2"=""

[HKEY_CURRENT_USER\Software\VelmoraLab\Kestrel\4013]
"Name"="Pause"
"Icon"=""
"UserButton"=dword:00000001
"Enabled"=dword:00000001
"Enabled_0"=dword:00000001
"Mode_0"=dword:00000002
"Cmd_0"="#CC"
REG
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$stage/added-keys.txt"; } >"$stage/added-keys.reg"
quietly "adding the user's own keys" timeout 120 wine64 reg import \
    "$(timeout 60 wine64 winepath -w "$stage/added-keys.reg" 2>/dev/null | tr -d '\r')"
open_customizer
timeout 30 xdotool search --sync --limit 1 --name "^Kestrel設定\$" windowfocus --sync key End ||
    fail "could not scroll the button list"
shoot "Kestrel設定" customizer-added-keys.png
message sheet post 0x471 5 0 # PSM_PRESSBUTTON, PSBTN_CANCEL
wait_for no-sheet

# Settings per program on the same PC: the mouse's back button types Alt+Left in the
# browser and Ctrl+Z in the drawing program, F13 has its own assignment there and Pause is
# off there, and Kestrel stays out of a game. The Button page with the drawing program
# chosen in the selector (Alt+A puts the focus on it).
cat >"$stage/apps.txt" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\VelmoraLab\Kestrel\Apps\game.exe]
"Name"="ゲーム"
"Off"=dword:00000001

[HKEY_CURRENT_USER\Software\VelmoraLab\Kestrel\Apps\msedge.exe]
"Name"="Microsoft Edge"

[HKEY_CURRENT_USER\Software\VelmoraLab\Kestrel\Apps\msedge.exe\4005]
"Enabled"=dword:00000001
"Enabled_0"=dword:00000001
"Mode_0"=dword:00000002
"Cmd_0"="#<A"

[HKEY_CURRENT_USER\Software\VelmoraLab\Kestrel\Apps\mspaint.exe]
"Name"="ペイント"

[HKEY_CURRENT_USER\Software\VelmoraLab\Kestrel\Apps\mspaint.exe\407C]
"Enabled"=dword:00000001
"Enabled_0"=dword:00000001
"Mode_0"=dword:00000002
"Cmd_0"="#ZC"

[HKEY_CURRENT_USER\Software\VelmoraLab\Kestrel\Apps\mspaint.exe\4005]
"Enabled"=dword:00000001
"Enabled_0"=dword:00000001
"Mode_0"=dword:00000002
"Cmd_0"="#ZC"

[HKEY_CURRENT_USER\Software\VelmoraLab\Kestrel\Apps\mspaint.exe\4013]
"Enabled"=dword:00000000
REG
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$stage/apps.txt"; } >"$stage/apps.reg"
quietly "adding settings per program" timeout 120 wine64 reg import \
    "$(timeout 60 wine64 winepath -w "$stage/apps.reg" 2>/dev/null | tr -d '\r')"
open_customizer
timeout 30 xdotool search --sync --limit 1 --name "^Kestrel設定\$" windowfocus --sync \
    key alt+a Down Down Down || fail "could not choose a program"
shoot "Kestrel設定" customizer-apps.png

# Dual-role buttons: Caps Lock is Esc on a tap and Ctrl while held, the back button Alt+Left
# on a click and Ctrl while held. End selects Caps Lock, the last row; the press-kind list
# is two tab stops after the button list, and two rows down is the hold.
cat >"$stage/dual-role.txt" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\VelmoraLab\Kestrel\4014]
"Name"="Caps Lock"
"Icon"=""
"UserButton"=dword:00000001
"Enabled"=dword:00000001
"Enabled_0"=dword:00000001
"Mode_0"=dword:00000002
"Cmd_0"="#&#"
"Enabled_2"=dword:00000001
"Mode_2"=dword:00000005
"Cmd_2"="C"

[HKEY_CURRENT_USER\Software\VelmoraLab\Kestrel\4005]
"Enabled_0"=dword:00000001
"Mode_0"=dword:00000002
"Cmd_0"="+12$25"
"Enabled_2"=dword:00000001
"Mode_2"=dword:00000005
"Cmd_2"="C"
REG
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$stage/dual-role.txt"; } >"$stage/dual-role.reg"
quietly "adding the dual-role keys" timeout 120 wine64 reg import \
    "$(timeout 60 wine64 winepath -w "$stage/dual-role.reg" 2>/dev/null | tr -d '\r')"
open_customizer
timeout 30 xdotool search --sync --limit 1 --name "^Kestrel設定\$" windowfocus --sync key End ||
    fail "could not select Caps Lock"
sleep 0.5
xdotool key Tab Tab Down Down
shoot "Kestrel設定" customizer-dual-role.png
message sheet post 0x471 5 0 # PSM_PRESSBUTTON, PSBTN_CANCEL
wait_for no-sheet
