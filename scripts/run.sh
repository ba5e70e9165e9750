#!/usr/bin/env bash
# Builds Kestrel and runs the agent under Wine.
#
# With a display ($DISPLAY set) the agent runs there until it is ended from its tray menu
# ("終了"). Without one it runs on a private Xvfb display and plays a short demonstration:
# real presses of a seeded button (single, double, hold), each followed by what the agent
# did, then ends the agent.
#
# The Wine prefix is $WINEPREFIX, or ~/.kestrel-wine when that is not set; it is kept
# between runs. The device's button list and the demonstration settings are seeded only
# where the prefix has none: settings already there are never overwritten.
# Usage: bash scripts/run.sh   (KESTREL_BUILD_DIR chooses the build folder)
set -euo pipefail
source "$(dirname "$0")/env.sh"

build_dir=${KESTREL_BUILD_DIR:-$KESTREL_ROOT/build}
prefix=${WINEPREFIX:-$HOME/.kestrel-wine}
press_tool=$build_dir/tests/tools/press_button.exe
agent_pid=""

build() {
    build_targets "$build_dir" Kestrel press_button
    # The customizer, where the build has it: the agent starts it from its own folder.
    if cmake --build "$build_dir" --target help 2>/dev/null | grep -q '^KestrelConfig:'; then
        cmake --build "$build_dir" --target KestrelConfig
    fi
    # Turns the customizer's pages and closes it in the demonstration.
    if cmake --build "$build_dir" --target help 2>/dev/null | grep -q '^window_message:'; then
        cmake --build "$build_dir" --target window_message
    fi
}

# Both programs side by side in the prefix, as installed.
install_programs() {
    install_dir="$WINEPREFIX/drive_c/Program Files/Kestrel"
    mkdir -p "$install_dir"
    cp "$build_dir/agent/Kestrel.exe" "$install_dir/"
    if [ -f "$build_dir/customizer/KestrelConfig.exe" ]; then
        cp "$build_dir/customizer/KestrelConfig.exe" "$install_dir/"
    fi
}

seed_demo_settings() {
    if wine64 reg query 'HKCU\Software\VelmoraLab\Kestrel' >/dev/null 2>&1; then
        log "keeping the Kestrel settings this prefix already has"
        return 0
    fi
    log "seeding the demonstration settings (profiles/demo-settings.reg)"
    wine64 reg import "$(wine64 winepath -w "$KESTREL_ROOT/profiles/demo-settings.reg" |
        tr -d '\r')" >/dev/null 2>&1
}

start_agent() {
    log "starting the agent"
    wine64 "$install_dir/Kestrel.exe" &
    agent_pid=$!
    wine64 "$press_tool" --wait-agent
}

stop_agent() {
    [ -n "$agent_pid" ] || return 0
    wine64 "$press_tool" --close-agent || true
    wait "$agent_pid" 2>/dev/null || true
    agent_pid=""
}

press() { wine64 "$press_tool" "$@" | tr -d '\r'; }

play_demo() {
    log "demonstration: button 40C1 pressed once, twice, then held; button 40C2 pressed once"
    press C1 single
    press C1 double
    press C1 hold
    press C2 single
}

# The customizer, as the agent's "設定" item opens it.
message_tool=$build_dir/tests/e2e_system/window_message.exe
sheet() { wine64 "$message_tool" sheet "$@" >/dev/null 2>&1; }

wait_for_sheet() {
    local i
    for i in $(seq 1 60); do
        sheet send 0 0 0 && return 0
        sleep 0.5
    done
    return 1
}

# With a display: the customizer opens beside the agent and stays for the user.
open_customizer() {
    [ -f "$install_dir/KestrelConfig.exe" ] || return 0
    # Without any button settings the agent has opened it already.
    sleep 2
    [ -f "$message_tool" ] && sheet send 0 0 0 && return 0
    log "opening the customizer: its sheet Kestrel設定 has the pages ボタン and 詳細"
    wine64 "$install_dir/KestrelConfig.exe" >/dev/null 2>&1 &
}

stored_time() {
    local hex
    hex=$(wine64 reg query 'HKCU\Software\VelmoraLab\Kestrel' /v "$1" 2>/dev/null | tr -d '\r' |
        awk '$2 == "REG_DWORD" { print $3 }')
    [ -n "$hex" ] && printf '%d' "$hex" || printf 'missing'
}

# Without a display: the customizer is opened, turned to its "詳細" page and closed with
# OK; it stores the settings and the agent reloads them before the customizer ends, so the
# next press is served from the reloaded table. Closing the customizer rewrites every
# button's settings, so the demonstration puts them back as they were afterwards.
demo_customizer() {
    [ -f "$install_dir/KestrelConfig.exe" ] && [ -f "$message_tool" ] || return 0
    local saved saved_windows
    saved=$(mktemp /tmp/kestrel-settings.XXXXXX)
    saved_windows=$(wine64 winepath -w "$saved" | tr -d '\r')
    wine64 reg export 'HKCU\Software\VelmoraLab\Kestrel' "$saved_windows" /y >/dev/null 2>&1
    log "demonstration: the customizer opened, its 詳細 page shown, closed with OK"
    wine64 "$install_dir/KestrelConfig.exe" >/dev/null 2>&1 &
    local customizer_pid=$!
    if wait_for_sheet; then
        sheet post 0x465 1 0 # PSM_SETCURSEL: the 詳細 page
        sleep 1
        sheet post 0x471 3 0 # PSM_PRESSBUTTON: OK
        wait "$customizer_pid" || true
        printf 'customizer closed with OK: DoubleTime %s ms, HoldTime %s ms stored; the agent has reloaded\n' \
            "$(stored_time DoubleTime)" "$(stored_time HoldTime)"
        press C1 double
    else
        log "the customizer did not show its sheet"
        kill "$customizer_pid" 2>/dev/null || true
    fi
    wine64 reg delete 'HKCU\Software\VelmoraLab\Kestrel' /f >/dev/null 2>&1
    wine64 reg import "$saved_windows" >/dev/null 2>&1
    rm -f "$saved"
    wine64 "$message_tool" agent send 45000 0 0 >/dev/null 2>&1 || true # MSG_RELOAD
    log "the settings are back as they were before the demonstration"
}

main() {
    ensure_packages
    build
    local interactive=0
    if [ -n "${DISPLAY:-}" ]; then
        interactive=1
    else
        start_xvfb
        trap 'stop_agent; stop_wine' EXIT
    fi
    start_wine "$prefix"
    seed_device_profile
    seed_demo_settings
    install_programs
    start_agent
    if [ $interactive -eq 1 ]; then
        log "Kestrel runs on $DISPLAY: its tray icon opens the menu (設定, バージョン情報, 終了)"
        trap 'stop_agent' INT TERM
        open_customizer
        wait "$agent_pid" || true
    else
        play_demo
        demo_customizer
        stop_agent
        log "the agent has ended"
    fi
}

main "$@"
