#!/usr/bin/env bash
# Silent install and uninstall of the Kestrel installer under Wine, in the prefix of the
# current test run, as a new user on a desktop PC meets it and on a machine that already
# has a button list.
#
# Without a button list: both programs land in Program Files, the customizer gets a
# Start-menu shortcut for every user, the agent starts at logon and at once, the desktop
# list is installed, the customizer the agent opens lists its 16 keys, and a bare F13 press
# runs its assignment; the uninstaller takes all of it away, the list included.
# With a list: install and uninstall leave that list as it was.
#
# Usage: installer_test.sh INSTALLER CUSTOMIZER_BUTTONS_EXE PRESS_BUTTON_EXE
#        WINDOW_MESSAGE_EXE DEVICE_LIST_REG
set -uo pipefail
installer=$1
list_tool=$2
press_tool=$3
message_tool=$4
device_list=$5
# It installs into and uninstalls from the current prefix: only a scratch one will do.
if [ -z "${KESTREL_SCRATCH_PREFIX:-}" ] || [ "${WINEPREFIX:-}" != "$KESTREL_SCRATCH_PREFIX" ]; then
    echo "installer_test.sh refuses to run: WINEPREFIX is not a scratch prefix; run it with ctest" >&2
    exit 2
fi
source "$(dirname "$0")/../../scripts/env.sh" # wait_for, and Wine on the path
failures=0
passes=0

# verdict "what" command...: counts and names the outcome of one check.
verdict() {
    local what=$1
    shift
    if "$@"; then
        passes=$((passes + 1))
        echo "ok: $what"
    else
        failures=$((failures + 1))
        echo "FAILED: $what"
    fi
}
# check "what" command...: the command is tried again until it holds, for 30 s at most: what
# an installer step leaves behind may show a moment after the step reports it done, and a
# Wine start inside the command can fail on a loaded machine.
check() {
    local what=$1
    shift
    verdict "$what" wait_for 30 "$@"
}
# check_once "what" command...: for a command that acts (a press), which must not be
# repeated until it happens to work; the command itself waits for its outcome.
check_once() { verdict "$@"; }

# setup "what" command...: a step the checks rest on. A Wine start can time out on a
# loaded machine, so it is tried three times, and named when it still fails.
setup() {
    local what=$1 attempt
    shift
    for attempt in 1 2 3; do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        echo "setup: $what failed (attempt $attempt)"
    done
    failures=$((failures + 1))
    echo "FAILED: setup: $what"
}

win() { timeout 60 wine64 "$@" 2>/dev/null | tr -d '\r'; }
contains() { grep -qF -- "$1" <<<"$2"; }
reg_has() { timeout 60 wine64 reg query "$@" >/dev/null 2>&1; }
# Deleting a key that is not there fails, so ask first.
reg_absent() { ! reg_has "$1" || timeout 120 wine64 reg delete "$1" /f; }
reg_set() { timeout 120 wine64 reg add "$@" /f; }
import_device_list() { timeout 120 wine64 reg import "$(win winepath -w "$device_list")"; }
# The subkey names of the button list, one a line.
list_keys() {
    win reg query 'HKLM\SOFTWARE\Microsoft\Shell\Keys' | sed -n 's/^.*\\Keys\\\(.*\)$/\1/p'
}
list_snapshot() { win reg query 'HKLM\SOFTWARE\Microsoft\Shell\Keys' /s; }
# list_is "NAMES ": the list holds exactly these subkeys; says what it holds when not.
list_is() {
    local keys
    keys=$(list_keys | tr '\n' ' ')
    [ "$keys" = "$1" ] || { echo "the list holds: $keys"; return 1; }
}

install_dir='C:\Program Files\Kestrel'
unix_dir=$(win winepath -u "$install_dir")
program_data=$(win cmd /c 'echo %ProgramData%')
shortcut_dir=$(win winepath -u "$program_data\\Microsoft\\Windows\\Start Menu\\Programs\\Kestrel")
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrel'
settings_key='HKCU\Software\VelmoraLab\Kestrel'
list_key='HKLM\SOFTWARE\Microsoft\Shell\Keys'

agent_runs() { win "$message_tool" agent send 0 0 0 >/dev/null; }
sheet_open() { win "$message_tool" sheet send 0 0 0 >/dev/null; }
uninstaller_done() { ! [ -e "$unix_dir/Kestrel.exe" ] && ! [ -e "$unix_dir/uninstall.exe" ]; }

uninstall() {
    timeout 120 wine64 "$install_dir\\uninstall.exe" /S
    # The uninstaller copies itself away and runs from there.
    wait_for 60 uninstaller_done || echo "the uninstaller did not finish within 60 s"
    wait_for 30 bash -c "! timeout 60 wine64 reg query '$uninstall_key' >/dev/null 2>&1"
}

# A machine as a new user has it: no button list, no Kestrel settings.
setup "remove the button list" reg_absent "$list_key"
setup "remove the settings" reg_absent "$settings_key"

echo "--- a desktop PC without a button list"
timeout 300 wine64 "$installer" /S
echo "installer exit code: $?"

check "agent installed in Program Files" test -f "$unix_dir/Kestrel.exe"
check "customizer installed" test -f "$unix_dir/KestrelConfig.exe"
check "uninstaller written" test -f "$unix_dir/uninstall.exe"
check "Start-menu shortcut for the customizer, for every user" test -f "$shortcut_dir/Kestrel設定.lnk"
check "agent starts at logon from the install folder" \
    bash -c "timeout 60 wine64 reg query '$run_key' /v Kestrel 2>/dev/null | grep -qiF 'Program Files\\Kestrel\\Kestrel.exe'"
check "uninstall entry for the machine" reg_has "$uninstall_key" /v UninstallString
desktop_list="407C 407D 407E 407F 4080 4081 4082 4083 4084 4085 4086 4087 40B4 40B5 40B6 40B7 "
check "the desktop list of 16 keys is installed" list_is "$desktop_list"
check "F13 is named and has an icon" \
    bash -c "timeout 60 wine64 reg query '$list_key\\407C' 2>/dev/null | grep -q 'shell32.dll,'"

check "the agent runs after the install" agent_runs
check "without settings the agent opens the customizer" wait_for 60 sheet_open
# customizer_lists COUNT FIRST: the open customizer's button list has COUNT rows, FIRST first.
customizer_lists() {
    local rows
    rows=$(win "$list_tool")
    [ "$(echo "$rows" | wc -l)" -eq "$1" ] && [ "$(echo "$rows" | head -1)" = "$2" ] ||
        { echo "the customizer lists $(echo "$rows" | wc -l) rows, first \"$(echo "$rows" | head -1)\""; return 1; }
}
check "the customizer lists the 16 desktop keys, F13 first" customizer_lists 16 "F13 キー"
win "$message_tool" sheet post 0x471 5 0 >/dev/null # PSM_PRESSBUTTON: Cancel
wait_for 30 bash -c "! timeout 60 wine64 '$message_tool' sheet send 0 0 0 >/dev/null 2>&1"

# F13 types Ctrl+A on a single press, as the customizer would store it.
setup "F13 enabled" reg_set "$settings_key\\407C" /v Enabled /t REG_DWORD /d 1
setup "F13 single press enabled" reg_set "$settings_key\\407C" /v Enabled_0 /t REG_DWORD /d 1
setup "F13 single press types keys" reg_set "$settings_key\\407C" /v Mode_0 /t REG_DWORD /d 2
setup "F13 single press types Ctrl+A" reg_set "$settings_key\\407C" /v Cmd_0 /d '#AC'
win "$message_tool" agent send 45000 0 0 >/dev/null # MSG_RELOAD
# press_types KEY WHAT: a single press of KEY (press_button waits for its outcome) does WHAT.
press_types() {
    local pressed
    pressed=$(win "$press_tool" "$1" single)
    echo "$pressed"
    contains "$2" "$pressed"
}
check_once "a bare F13 press runs its action" press_types 7C "F13: typed Ctrl+A"

uninstall
check "programs removed" bash -c "! test -e '$unix_dir/Kestrel.exe' && ! test -e '$unix_dir/KestrelConfig.exe'"
check "install folder removed" bash -c "! test -e '$unix_dir'"
check "shortcut removed" bash -c "! test -e '$shortcut_dir'"
check "logon start removed" bash -c "! timeout 60 wine64 reg query '$run_key' /v Kestrel >/dev/null 2>&1"
check "uninstall entry removed" bash -c "! timeout 60 wine64 reg query '$uninstall_key' >/dev/null 2>&1"
check "the desktop list the installer put there is gone" bash -c "! timeout 60 wine64 reg query '$list_key' >/dev/null 2>&1"
check "the agent has ended" bash -c "! timeout 60 wine64 '$message_tool' agent send 0 0 0 >/dev/null 2>&1"
check "the user's settings stay" reg_has "$settings_key\\407C"

echo "--- a machine that has a button list"
setup "import the device's button list" import_device_list
before=$(list_snapshot)
check "the device list is in place" list_is "40C1 40C2 40C3 40C4 40C5 40C6 "
timeout 300 wine64 "$installer" /S
echo "installer exit code: $?"
same_list() { [ "$(list_snapshot)" = "$before" ]; }
check "install leaves the list as it was" same_list
wait_for 30 agent_runs
uninstall
check "uninstall leaves the list as it was" same_list
setup "remove the settings" reg_absent "$settings_key"

echo "installer: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
