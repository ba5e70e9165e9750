#!/usr/bin/env bash
# Builds Kestrel and runs the agent under Wine.
#
# With a display ($DISPLAY set) the agent runs there until it is ended from its tray menu
# ("終了"), and the customizer opens beside it. Without one it runs on a private Xvfb
# display and plays a short demonstration: real presses of a seeded button (single,
# double, hold), each followed by what the agent did; then the customizer is closed with
# OK, and a last press shows that the button's assignment survived it.
#
# By default the prefix is a handheld's: its hardware-button list (Win + 0xC1-0xC6) and a
# demonstration for button C1. With --desktop it is a desktop PC's: the desktop list
# (F13-F24 and the launch keys, pressed bare) and a demonstration for F13.
#
# The Wine prefix is $WINEPREFIX, or ~/.kestrel-wine (~/.kestrel-wine-desktop with
# --desktop) when that is not set; it is kept between runs. The button list and the
# demonstration settings are seeded only where the prefix has none: settings already there
# are never overwritten. Everything the script starts ends with it, also on Ctrl+C.
# Usage: bash scripts/run.sh [--desktop]   (KESTREL_BUILD_DIR chooses the build folder)
set -euo pipefail
source "$(dirname "$0")/env.sh"

profile=handheld
case "${1:-}" in
    "") ;;
    --desktop) profile=desktop ;;
    *) fail "unknown option $1; usage: bash scripts/run.sh [--desktop]" ;;
esac

build_dir=${KESTREL_BUILD_DIR:-$KESTREL_ROOT/build}
if [ $profile = desktop ]; then
    prefix=${WINEPREFIX:-$HOME/.kestrel-wine-desktop}
    button_list=desktop-buttons.reg
    demo_settings=demo-desktop-settings.reg
    button=7C # F13
    button_name=F13
else
    prefix=${WINEPREFIX:-$HOME/.kestrel-wine}
    button_list=device-buttons.reg
    demo_settings=demo-settings.reg
    button=C1
    button_name="button C1"
fi
press_tool=$build_dir/tests/tools/press_button.exe
message_tool=$build_dir/tests/e2e_system/window_message.exe
settings_key='HKCU\Software\VelmoraLab\Kestrel'
agent_pid=""

build() {
    build_targets "$build_dir" Kestrel KestrelConfig press_button window_message
}

# Both programs side by side in the prefix, as installed.
install_programs() {
    install_dir="$WINEPREFIX/drive_c/Program Files/Kestrel"
    mkdir -p "$install_dir"
    cp "$build_dir/agent/Kestrel.exe" "$build_dir/customizer/KestrelConfig.exe" "$install_dir/"
}

# True when the settings hold a button subkey; without one the agent opens the customizer
# itself as it starts.
has_button_settings() {
    timeout 60 wine64 reg query "$settings_key" 2>/dev/null | tr -d '\r' | grep -q '\\Kestrel\\'
}

start_agent() {
    log "starting the agent"
    wine64 "$install_dir/Kestrel.exe" >/dev/null 2>&1 &
    agent_pid=$!
    timeout 120 wine64 "$press_tool" --wait-agent || fail "the agent did not start"
}

stop_agent() {
    [ -n "$agent_pid" ] || return 0
    timeout 30 wine64 "$press_tool" --close-agent >/dev/null 2>&1 || true
    timeout 30 tail --pid="$agent_pid" -f /dev/null 2>/dev/null || kill "$agent_pid" 2>/dev/null || true
    agent_pid=""
}

press() { timeout 60 wine64 "$press_tool" "$@" | tr -d '\r'; }

# message sheet|agent post|send MESSAGE WPARAM LPARAM
message() { timeout 30 wine64 "$message_tool" "$@" >/dev/null 2>&1; }
sheet_open() { message sheet send 0 0 0; }

# Ends a customizer that is still open (Cancel), the agent, and then every Wine process of
# the prefix, its wineserver and our Xvfb.
cleanup() {
    trap - EXIT INT TERM HUP
    if sheet_open; then
        message sheet post 0x471 5 0 || true # PSM_PRESSBUTTON: Cancel
    fi
    stop_agent
    stop_wine
}

play_demo() {
    log "demonstration: $button_name pressed once, twice, then held"
    press $button single
    press $button double
    press $button hold
    if [ $profile = handheld ]; then
        log "demonstration: button C2 pressed once"
        press C2 single
    fi
}

stored_time() {
    local hex
    hex=$(timeout 60 wine64 reg query "$settings_key" /v "$1" 2>/dev/null | tr -d '\r' |
        awk '$2 == "REG_DWORD" { print $3 }')
    [ -n "$hex" ] && printf '%d' "$hex" || printf 'missing'
}

# The customizer is opened, turned to its "詳細" page and closed with OK; it stores the
# settings and the agent reloads them before the customizer ends. The next single press is
# served from the reloaded table: Notepad, which the Start menu does not list, is still
# the button's assignment.
demo_customizer() {
    log "demonstration: the customizer opened, its 詳細 page shown, closed with OK"
    wine64 "$install_dir/KestrelConfig.exe" >/dev/null 2>&1 &
    local customizer_pid=$!
    if ! wait_for 60 sheet_open; then
        log "the customizer did not show its sheet within 60 s"
        kill "$customizer_pid" 2>/dev/null || true
        return 1
    fi
    message sheet post 0x465 1 0 # PSM_SETCURSEL: the 詳細 page
    sleep 1                      # let the page show before the sheet closes
    message sheet post 0x471 3 0 # PSM_PRESSBUTTON: OK
    if ! timeout 60 tail --pid="$customizer_pid" -f /dev/null; then
        log "the customizer did not close within 60 s"
        return 1
    fi
    printf 'customizer closed with OK: DoubleTime %s ms, HoldTime %s ms stored; the agent has reloaded\n' \
        "$(stored_time DoubleTime)" "$(stored_time HoldTime)"
    press $button single | sed "s/^single press of \(.*\): /single press of \1 after the customizer's OK: /"
}

# With a display: the customizer opens beside the agent and stays for the user. Without
# any button settings the agent opens it itself.
open_customizer() {
    if [ "$1" = agent-opens-it ]; then
        wait_for 60 sheet_open || log "the customizer the agent opens did not show within 60 s"
        return 0
    fi
    log "opening the customizer: its sheet Kestrel設定 has the pages ボタン and 詳細"
    wine64 "$install_dir/KestrelConfig.exe" >/dev/null 2>&1 &
}

main() {
    ensure_packages || fail "installing the packages failed"
    build || fail "the build failed"
    trap cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP
    local interactive=0
    if [ -n "${DISPLAY:-}" ]; then
        interactive=1
    else
        start_xvfb || fail "no display for the demonstration"
    fi
    start_wine "$prefix" || fail "Wine did not start in $prefix"
    # Each only where the prefix has none: what a prefix already holds is kept.
    seed_profile 'HKLM\SOFTWARE\Microsoft\Shell\Keys' "$button_list" "button list"
    seed_profile "$settings_key" "$demo_settings" "Kestrel settings"
    install_programs
    local customizer=we-open-it
    has_button_settings || customizer=agent-opens-it
    start_agent
    if [ $interactive -eq 1 ]; then
        log "Kestrel runs on $DISPLAY: its tray icon opens the menu (設定, バージョン情報, 終了)"
        open_customizer $customizer
        wait "$agent_pid" || true
        agent_pid=""
        log "the agent has ended"
    else
        play_demo
        demo_customizer
        stop_agent
        log "the agent has ended"
    fi
}

main "$@"
