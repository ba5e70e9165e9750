#!/usr/bin/env bash
# Silent install and uninstall of the Kestrel installer under Wine, in the prefix of the
# current test run: both programs land in one folder, the customizer gets a Start-menu
# shortcut, the agent starts at logon, and the uninstaller takes all of it away again.
set -uo pipefail
installer=$1
# It installs into and uninstalls from the current prefix: only a scratch one will do.
if [ -z "${KESTREL_SCRATCH_PREFIX:-}" ] || [ "${WINEPREFIX:-}" != "$KESTREL_SCRATCH_PREFIX" ]; then
    echo "installer_test.sh refuses to run: WINEPREFIX is not a scratch prefix; run it with ctest" >&2
    exit 2
fi
export PATH="/usr/lib/wine:$PATH"
failures=0
passes=0

check() {  # check "what" command...
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

win_dir='C:\users\Public\KestrelInstallTest'
unix_dir=$(wine64 winepath -u "$win_dir" 2>/dev/null | tr -d '\r')
programs=$(wine64 cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')
shortcut_dir=$(wine64 winepath -u "$programs\\Microsoft\\Windows\\Start Menu\\Programs\\Kestrel" \
    2>/dev/null | tr -d '\r')
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrel'


wine64 "$installer" /S "/D=$win_dir"
echo "installer exit code: $?"

check "agent installed" test -f "$unix_dir/Kestrel.exe"
check "customizer installed" test -f "$unix_dir/KestrelConfig.exe"
check "uninstaller written" test -f "$unix_dir/uninstall.exe"
check "Start-menu shortcut for the customizer" test -f "$shortcut_dir/Kestrel設定.lnk"
check "agent starts at logon from the install folder" \
    bash -c "wine64 reg query '$run_key' /v Kestrel 2>/dev/null | tr -d '\r' | grep -qiF 'KestrelInstallTest\\Kestrel.exe'"
check "uninstall entry" bash -c "wine64 reg query '$uninstall_key' /v UninstallString >/dev/null 2>&1"

# The uninstaller copies itself away and runs from there; wait for it to finish.
wine64 "$win_dir\\uninstall.exe" /S
for _ in $(seq 1 60); do
    [ -e "$unix_dir/Kestrel.exe" ] || [ -e "$unix_dir/uninstall.exe" ] || break
    sleep 0.5
done
sleep 1

check "programs removed" bash -c "! test -e '$unix_dir/Kestrel.exe' && ! test -e '$unix_dir/KestrelConfig.exe'"
check "install folder removed" bash -c "! test -e '$unix_dir'"
check "shortcut removed" bash -c "! test -e '$shortcut_dir'"
check "logon start removed" bash -c "! wine64 reg query '$run_key' /v Kestrel >/dev/null 2>&1"
check "uninstall entry removed" bash -c "! wine64 reg query '$uninstall_key' >/dev/null 2>&1"

echo "installer: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
