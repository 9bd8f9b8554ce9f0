# Shared by scripts/run, scripts/test and scripts/bench: package set-up, build, and the Wine
# and X environment the program runs in. Source it; it defines functions and variables only.

ORBELIN_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ORBELIN_BUILD=${ORBELIN_BUILD_DIR:-$ORBELIN_ROOT/build}

# Debian packages the build, the run and the tests need.
ORBELIN_PACKAGES=(
    cmake make g++
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
    wine wine64
    xvfb xauth x11-utils
    libgl1-mesa-dri libglu1-mesa
    imagemagick
    unzip
    googletest
)

orbelin_log() { echo "[orbelin] $*" >&2; }

# Installs whatever of the package list is missing; a second call only checks.
orbelin_setup() {
    local missing=()
    local package
    for package in "${ORBELIN_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    orbelin_log "installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

orbelin_build() {
    if [ ! -f "$ORBELIN_BUILD/CMakeCache.txt" ]; then
        cmake -S "$ORBELIN_ROOT" -B "$ORBELIN_BUILD" \
            -DCMAKE_TOOLCHAIN_FILE="$ORBELIN_ROOT/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    # One build at a time on this machine: two at once only slow each other down.
    flock /tmp/orbelin-build.lock cmake --build "$ORBELIN_BUILD" --parallel 2 -- --no-print-directory
}

# --- X display -------------------------------------------------------------------------------
ORBELIN_XVFB_PID=""

orbelin_display_works() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

# Uses the display the user has; without one starts an Xvfb of our own.
orbelin_start_display() {
    if orbelin_display_works; then
        ORBELIN_HEADLESS=0
        return 0
    fi
    ORBELIN_HEADLESS=1
    local number=90
    while [ -e "/tmp/.X${number}-lock" ] || [ -e "/tmp/.X11-unix/X${number}" ]; do
        number=$((number + 1))
    done
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    ORBELIN_XVFB_PID=$!
    export DISPLAY=":$number"
    local tries=0
    until xdpyinfo >/dev/null 2>&1; do
        tries=$((tries + 1))
        if [ $tries -gt 100 ] || ! kill -0 "$ORBELIN_XVFB_PID" 2>/dev/null; then
            orbelin_log "Xvfb did not start"
            return 1
        fi
        sleep 0.1
    done
}

# --- Wine ------------------------------------------------------------------------------------
ORBELIN_STARTED_WINESERVER=0

orbelin_wine_environment() {
    export WINEPREFIX="$ORBELIN_BUILD/wineprefix"
    export WINEARCH=win64
    export WINEDEBUG=-all
    # No Mono or Gecko installer may ever ask anything.
    export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
    export LIBGL_ALWAYS_SOFTWARE=1
}

# The folder in which the wineserver of our prefix keeps its socket (it runs with it as cwd).
orbelin_wineserver_dir() {
    local dev inode
    dev=$(stat -c '%d' "$WINEPREFIX") inode=$(stat -c '%i' "$WINEPREFIX")
    printf '/tmp/.wine-%s/server-%x-%x' "$(id -u)" "$dev" "$inode"
}

orbelin_wineserver_running() {
    local dir pid
    dir=$(orbelin_wineserver_dir)
    for pid in $(pgrep -x wineserver 2>/dev/null; pgrep -x wineserver64 2>/dev/null); do
        [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$dir" ] && return 0
    done
    return 1
}

# Creates the prefix on first use and keeps one wineserver alive for the whole run.
orbelin_start_wine() {
    orbelin_wine_environment
    mkdir -p "$WINEPREFIX"
    if ! orbelin_wineserver_running; then
        wineserver -p
        ORBELIN_STARTED_WINESERVER=1
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        orbelin_log "creating the Wine prefix $WINEPREFIX"
        wineboot --init >/dev/null 2>&1 </dev/null
    fi
    # Start Wine's background services now, detached from our output: a service started by the
    # first test would keep CTest's output pipe open for as long as the wineserver lives.
    wine cmd.exe /c exit >/dev/null 2>&1 </dev/null
    # A program that crashes writes its backtrace and ends instead of waiting behind Wine's crash
    # dialog, which would hold the test run until CTest's time limit.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
}

# Ends only what this script started.
orbelin_stop_environment() {
    if [ "$ORBELIN_STARTED_WINESERVER" = 1 ]; then
        wineserver -k >/dev/null 2>&1 || true
        ORBELIN_STARTED_WINESERVER=0
    fi
    if [ -n "$ORBELIN_XVFB_PID" ]; then
        kill "$ORBELIN_XVFB_PID" 2>/dev/null || true
        wait "$ORBELIN_XVFB_PID" 2>/dev/null || true
        ORBELIN_XVFB_PID=""
    fi
}
