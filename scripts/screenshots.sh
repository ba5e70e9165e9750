#!/usr/bin/env bash
# Takes the pictures in docs/screenshots/ as a user sees them under Wine, Japanese fonts in
# place: the customizer's Button page and Timing page, the agent's tray menu and its about
# box. Runs in a throwaway Wine prefix on a private Xvfb display.
# Usage: bash scripts/screenshots.sh   (KESTREL_BUILD_DIR chooses the build folder)
set -euo pipefail
source "$(dirname "$0")/env.sh"

ensure_packages
build_dir=${KESTREL_BUILD_DIR:-$KESTREL_ROOT/build}
build_targets "$build_dir" Kestrel KestrelConfig window_message

out=$KESTREL_ROOT/docs/screenshots
mkdir -p "$out"
stage=$(mktemp -d /tmp/kestrel-shots.XXXXXX)
prefix=$(mktemp -d /tmp/kestrel-shots-prefix.XXXXXX)
cleanup() { stop_wine; rm -rf "$stage" "$prefix"; }
trap cleanup EXIT

# The agent starts the customizer from its own folder, so both programs sit side by side.
cp "$build_dir/agent/Kestrel.exe" "$build_dir/customizer/KestrelConfig.exe" \
    "$build_dir/tests/e2e_system/window_message.exe" "$stage/"

start_xvfb
start_wine "$prefix"
wine_draws_frames
seed_device_profile
if [ -f "$KESTREL_ROOT/profiles/demo-settings.reg" ]; then
    wine64 reg import "$(wine64 winepath -w "$KESTREL_ROOT/profiles/demo-settings.reg" |
        tr -d '\r')" >/dev/null 2>&1
fi

# message sheet|agent post|send MESSAGE WPARAM LPARAM
message() { wine64 "$stage/window_message.exe" "$@" >/dev/null 2>&1; }
# wait_for sheet|agent: until the window exists (at most 30 s).
wait_for() {
    local i
    for i in $(seq 1 60); do
        message "$1" send 0 0 0 && return 0
        sleep 0.5
    done
    log "no $1 window"
    return 1
}
# shoot TITLE FILE: the top-level window with that title.
shoot() {
    local id
    id=$(xdotool search --sync --limit 1 --name "^$1\$")
    sleep 1
    import -window "$id" "$out/$2"
    log "wrote docs/screenshots/$2"
}

wine64 "$stage/Kestrel.exe" >/dev/null 2>&1 &
wait_for agent
# Without settings the agent opens the customizer itself; otherwise open it here.
sleep 2
message sheet send 0 0 0 || (wine64 "$stage/KestrelConfig.exe" >/dev/null 2>&1 &)
wait_for sheet
xdotool mousemove 1000 760
shoot "Kestrel設定" customizer-buttons.png

message sheet post 0x465 1 0 # PSM_SETCURSEL: the "詳細" tab
shoot "Kestrel設定" customizer-timing.png
message sheet post 0x471 5 0 # PSM_PRESSBUTTON, PSBTN_CANCEL
sleep 2

# The tray menu opens with its lower right corner at that of the handheld's 240 x 320 screen.
message agent post 32868 1 0x201 # MSG_TRAY, icon 1, WM_LBUTTONDOWN
sleep 2
import -window root -crop 240x320+0+0 +repage "$out/agent-tray-menu.png"
log "wrote docs/screenshots/agent-tray-menu.png"
message agent post 0x1F 0 0 # WM_CANCELMODE closes the menu
sleep 1

message agent post 0x111 40007 0 # IDM_ABOUT
shoot "Kestrelのバージョン情報" agent-about.png

message agent post 0x111 40006 0 # IDM_EXIT
