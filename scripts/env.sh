# Shared by the run and test commands: installs what is missing, builds, and keeps a
# private Wine prefix on a private Xvfb display. Source it; do not run it.

KESTREL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KESTREL_PACKAGES=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 xvfb xauth cmake
    ninja-build googletest fonts-ipafont-gothic imagemagick xdotool nsis)
export PATH="/usr/lib/wine:$PATH"

log() { printf '[kestrel] %s\n' "$*" >&2; }

# fail MESSAGE: stops the script, saying what failed.
fail() {
    log "error: $*"
    exit 1
}

# quietly WHAT COMMAND...: runs a step whose output only matters when it fails; then the
# step is named and the end of its output shown, so a hidden step never ends a script
# silently.
quietly() {
    local what=$1 out status=0
    shift
    out=$(mktemp)
    "$@" >"$out" 2>&1 || status=$?
    if [ $status -ne 0 ]; then
        log "error: $what failed (exit $status); the end of its output:"
        tail -n 20 "$out" | sed 's/^/    /' >&2
    fi
    rm -f "$out"
    return $status
}

# A script that stops on errors (set -e) says which command or step stopped it.
# A step of ours that returns a failure has already said what failed.
stopped_by() {  # stopped_by STATUS COMMAND
    case $2 in
    return*) log "stopped: the step named above failed (exit $1)" ;;
    *) log "stopped: \"$2\" failed (exit $1)" ;;
    esac
}
if [[ $- == *e* ]]; then
    set -E
    trap 'stopped_by $? "$BASH_COMMAND"' ERR
fi

# apt-get update once, then install only what is missing.
ensure_packages() {
    local missing=() pkg
    for pkg in "${KESTREL_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    quietly "apt-get update" $sudo apt-get update -qq || return 1
    quietly "installing ${missing[*]}" \
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

# build DIR [cmake args...]
build_all() {
    local dir=$1
    shift
    configure_build "$dir" "$@" || return 1
    cmake --build "$dir" || { log "error: building in $dir failed"; return 1; }
}

# configure_build DIR [cmake args...]
configure_build() {
    local dir=$1
    shift
    quietly "configuring the build in $dir (cmake)" \
        cmake -S "$KESTREL_ROOT" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$KESTREL_ROOT/cmake/mingw-w64-posix.cmake" \
        -DCMAKE_BUILD_TYPE=Release "$@"
}

# A display of our own. Xvfb picks a free number itself and names it once it accepts
# clients: two runs that start at the same moment never share a display.
start_xvfb() {
    local named
    named=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$named" >/dev/null 2>&1 &
    KESTREL_XVFB_PID=$!
    local i n
    for i in $(seq 1 200); do
        n=$(tr -dc '0-9' <"$named")
        if [ -n "$n" ] && grep -q $'\n' "$named"; then
            rm -f "$named"
            export DISPLAY=":$n"
            return 0
        fi
        kill -0 "$KESTREL_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$named"
    log "error: Xvfb did not start"
    return 1
}

# Japanese dialog fonts: Wine has no glyphs under the names the templates use. The faces
# they stand for are proportional, and so is the stand-in; under the monospaced IPAGothic
# Wine draws "_" below a list-view row, and an unassigned slot's summary reads "/ /".
configure_fonts() {
    local face
    for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic"; do
        quietly "mapping the font $face (wine64 reg add)" \
            timeout 120 wine64 reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" \
            /d IPAPGothic /f || return 1
    done
}

# start_wine PREFIX: makes the prefix inside the display session (a prefix made without
# one leaves a desktop that can show no window) and keeps one wineserver for the run.
start_wine() {
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    local fresh=0
    [ -f "$WINEPREFIX/system.reg" ] || fresh=1
    mkdir -p "$WINEPREFIX"
    wineserver -p
    if [ $fresh -eq 1 ]; then
        log "making Wine prefix $WINEPREFIX"
        quietly "making the Wine prefix $WINEPREFIX (wineboot)" \
            timeout 300 wine64 wineboot -i || return 1
    fi
    configure_fonts || return 1
    unmanaged_windows_for hostile_tests.exe
}

# unmanaged_windows_for EXE...: Xvfb runs no window manager, and Wine waits two seconds for
# one whenever a managed window of these programs is hidden; a test that opens and closes
# a sheet hundreds of times makes its windows unmanaged instead.
unmanaged_windows_for() {
    local exe
    for exe in "$@"; do
        quietly "making the windows of $exe unmanaged (wine64 reg add)" \
            timeout 120 wine64 reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\X11 Driver" /v Managed /d N /f ||
            return 1
    done
}

# start_fresh_wine NAME: a new prefix on a private display for one run, both gone when the
# calling script exits, also on Ctrl+C. Xvfb runs no window manager: Wine then waits about
# 2 s at every closing window unless it draws the frames itself. The prefix is marked as a
# scratch one, the only kind the test programs agree to run in.
start_fresh_wine() {
    KESTREL_FRESH_PREFIX=$(mktemp -d "/tmp/kestrel-$1-prefix.XXXXXX")
    trap 'stop_wine; rm -rf "$KESTREL_FRESH_PREFIX"' EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP
    start_xvfb || return 1
    start_wine "$KESTREL_FRESH_PREFIX" || return 1
    wine_draws_frames || return 1
    export KESTREL_SCRATCH_PREFIX=$WINEPREFIX
}

# Ends every Wine process of the prefix, its wineserver, and our Xvfb.
stop_wine() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k >/dev/null 2>&1 || true
        timeout 30 wineserver -w >/dev/null 2>&1 || log "the wineserver of $WINEPREFIX did not end"
    fi
    if [ -n "${KESTREL_XVFB_PID:-}" ]; then
        kill "$KESTREL_XVFB_PID" >/dev/null 2>&1 || true
        wait "$KESTREL_XVFB_PID" 2>/dev/null || true
        KESTREL_XVFB_PID=""
    fi
    return 0
}

# import_profile FILE: registry data from profiles/ into the current WINEPREFIX.
import_profile() {
    quietly "importing profiles/$1 (wine64 reg import)" timeout 120 wine64 reg import \
        "$(timeout 60 wine64 winepath -w "$KESTREL_ROOT/profiles/$1" 2>/dev/null | tr -d '\r')"
}

# seed_profile KEY FILE WHAT: imports profiles/FILE only where the prefix has no KEY yet, so
# what the machine already has is never overwritten.
seed_profile() {
    if timeout 60 wine64 reg query "$1" >/dev/null 2>&1; then
        log "keeping the $3 this prefix already has"
        return 0
    fi
    log "seeding the $3 (profiles/$2)"
    import_profile "$2"
}

# wait_for SECONDS command...: until the command succeeds, at most SECONDS.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -lt $deadline ] || return 1
        sleep 0.5
    done
}

# build_targets DIR TARGET...: configures as build_all does, then builds only those targets.
build_targets() {
    local dir=$1
    shift
    configure_build "$dir" || return 1
    cmake --build "$dir" --target "$@" || { log "error: building $* in $dir failed"; return 1; }
}

# Lets Wine draw its windows' frames and captions itself: Xvfb runs no window manager, so
# without this a screenshot shows windows without their title bars.
wine_draws_frames() {
    quietly "letting Wine draw window frames (wine64 reg add)" \
        timeout 120 wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
}
