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
        wait "$agent_pid" || true
    else
        play_demo
        stop_agent
        log "the agent has ended"
    fi
}

main "$@"
