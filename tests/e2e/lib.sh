# Helpers for the end-to-end tests, which ctest runs as
#   bash tests/e2e/<name>_e2e.sh <build dir> <env file>
# A test sources this file and calls e2e_init "$@" first. Everything a test
# starts through these helpers is ended when the test exits. Files a test
# writes (program output, screenshots, recordings) go to <build dir>/e2e/.

# e2e_init <build dir> <env file>
e2e_init() {
    if [[ $# -ne 2 ]]; then
        echo "usage: $0 <build dir> <env file>" >&2
        exit 2
    fi
    E2E_NAME=$(basename "$0" .sh)
    E2E_NAME=${E2E_NAME%_e2e}
    E2E_BUILD=$(cd "$1" && pwd)
    E2E_ENV=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
    [[ -r $E2E_ENV ]] || e2e_fail "no $2: run scripts/headless.sh start $E2E_BUILD first"
    . "$E2E_ENV"
    E2E_OUT=$E2E_BUILD/e2e
    mkdir -p "$E2E_OUT"
    PROGRAM_PID=
    RECORDER_PID=
    E2E_SETTINGS_KEY=
    trap e2e_cleanup EXIT
}

e2e_fail() {
    echo "${E2E_NAME:-e2e}: $*" >&2
    exit 1
}

e2e_cleanup() {
    [[ -z $PROGRAM_PID ]] || kill "$PROGRAM_PID" 2>/dev/null || true
    [[ -z $RECORDER_PID ]] || kill "$RECORDER_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    if [[ -n $E2E_SETTINGS_KEY ]]; then
        wine reg delete "$E2E_SETTINGS_KEY" /f </dev/null >/dev/null 2>&1 || true
        [[ ! -s $E2E_OUT/$E2E_NAME.settings.reg ]] ||
            wine reg import "$(winepath -w "$E2E_OUT/$E2E_NAME.settings.reg" 2>/dev/null)" </dev/null >/dev/null 2>&1 ||
            true
    fi
}

# reg_get <value>: prints a value of the program's settings, or nothing.
reg_get() {
    wine reg query 'HKLM\Software\KOVEN\Pulsewick' /v "$1" </dev/null 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$0 ~ name {print $NF}' || true
}

# test_settings: the program starts in click mode without the splash, so that
# its main window is the first thing it shows. The settings are shared with
# the other tests, so they are put back as they were when the test ends.
test_settings() {
    local key='HKLM\Software\KOVEN\Pulsewick' saved=$E2E_OUT/$E2E_NAME.settings.reg
    rm -f -- "$saved"
    wine reg export "$key" "$(winepath -w "$saved" 2>/dev/null)" /y </dev/null >/dev/null 2>&1 || rm -f -- "$saved"
    E2E_SETTINGS_KEY=$key
    wine reg add "$key" /v "Show Splash" /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1 &&
        wine reg add "$key" /v "User Beat Mode" /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1 ||
        e2e_fail "cannot set the settings in the registry"
}

# True while the child runs (a finished child stays a zombie until waited for).
e2e_running() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    [[ ${stat#*) } != Z* ]]
}

# start_program [args...]: starts Pulsewick.exe; its output goes to
# <build dir>/e2e/<test>.log.
start_program() {
    [[ -z $PROGRAM_PID ]] || e2e_fail "the program is already running"
    wine "$E2E_BUILD/Pulsewick.exe" "$@" </dev/null >"$E2E_OUT/$E2E_NAME.log" 2>&1 &
    PROGRAM_PID=$!
}

# wait_until <seconds> <what> <command...>: polls the command until it
# succeeds; fails with <what> when it has not after the time.
wait_until() {
    local deadline=$((SECONDS + $1)) what=$2
    shift 2
    until "$@"; do
        ((SECONDS < deadline)) || e2e_fail "$what"
        sleep 0.05
    done
}

e2e_ended() {
    ! e2e_running "$1"
}

# wait_for_exit [seconds]: waits for the program to end and sets PROGRAM_STATUS
# to its exit code; fails when it is still running after the time (default 10).
wait_for_exit() {
    wait_until "${1:-10}" "the program still runs after ${1:-10} s" e2e_ended "$PROGRAM_PID"
    PROGRAM_STATUS=0
    wait "$PROGRAM_PID" || PROGRAM_STATUS=$?
    PROGRAM_PID=
}

e2e_title_regex() {
    printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\\.*^$+?(){}|]/\\&/g')"
}

# find_window <title>: prints the X id of the visible window with exactly this
# title, or nothing.
find_window() {
    xdotool search --onlyvisible --name "$(e2e_title_regex "$1")" 2>/dev/null | head -n 1 || true
}

# wait_for_window <title> [seconds]: prints the window's X id once it is shown;
# fails after the time (default 20).
wait_for_window() {
    local deadline=$((SECONDS + ${2:-20})) id
    while :; do
        id=$(find_window "$1")
        if [[ -n $id ]]; then
            echo "$id"
            return 0
        fi
        [[ -z $PROGRAM_PID ]] || e2e_running "$PROGRAM_PID" || e2e_fail "the program ended before showing \"$1\""
        ((SECONDS < deadline)) || e2e_fail "no window \"$1\" within ${2:-20} s"
        sleep 0.1
    done
}

# screenshot <window id> <file>: saves what the window shows on the display
# to <build dir>/e2e/<file> (the format follows the extension).
screenshot() {
    import -window "$1" "$E2E_OUT/$2" 2>"$E2E_OUT/$E2E_NAME.import.log" ||
        e2e_fail "screenshot of window $1 failed: $(cat "$E2E_OUT/$E2E_NAME.import.log")"
}

# frame <window id> <client width> <client height>: prints the client area's
# offset in the X window (Wine's frame and caption around it).
frame() {
    local width height border top
    read -r width height < <(xwininfo -id "$1" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}')
    border=$(((width - $2) / 2))
    top=$((height - $3 - border))
    ((border >= 0 && border <= 10 && top >= 0 && top <= 40)) ||
        e2e_fail "window ${width}x$height does not frame a $2x$3 client area"
    echo "$border $top"
}
# click_in <window id> <border> <top> <x> <y>: a left click at client (x, y).
# Only the move refers to the window: the click goes through XTEST to where
# the pointer is, so a click that closes the window cannot fail.
click_in() {
    xdotool mousemove --window "$1" $(($2 + $4)) $(($3 + $5))
    xdotool click 1
    sleep 0.15
}

# window_shown <window id>: true while the X window exists and is mapped.
window_shown() {
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

window_gone() {
    ! window_shown "$1"
}

# wait_until_gone <window id> [seconds]: waits until the window is closed;
# fails when it still shows after the time (default 10).
wait_until_gone() {
    wait_until "${2:-10}" "window $1 still shows after ${2:-10} s" window_gone "$1"
}

# send_key <window id> <key>: a key pressed and released in the window (sent
# to it, so it needs no input focus). A key that closes the window may leave
# the release nothing to go to: the BadWindow error that gives is let pass
# once the window is gone. Whether the key did its work is the caller's to
# check.
send_key() {
    local log=$E2E_OUT/$E2E_NAME.xdotool.log
    xdotool key --window "$1" "$2" 2>"$log" && return 0
    grep -q BadWindow "$log" && window_gone "$1" && return 0
    e2e_fail "xdotool key $2 to window $1 failed: $(cat "$log")"
}

# darkest <window id> <x> <y> <width> <height>: the grey level (0 black to 255
# white) of the darkest pixel the window shows in that rectangle.
darkest() {
    import -window "$1" miff:- 2>"$E2E_OUT/$E2E_NAME.import.log" |
        convert - -crop "$4x$5+$2+$3" +repage -colorspace Gray -format '%[fx:int(255*minima)]' info: ||
        e2e_fail "cannot read window $1: $(cat "$E2E_OUT/$E2E_NAME.import.log")"
}

# send_message <title> <WM_CLOSE|WM_COMMAND|number> [wparam [lparam]]: posts a
# window message from inside Wine to the top-level window with this title.
send_message() {
    # To a file, not a pipe: a Wine service it starts would hold a pipe open.
    local log=$E2E_OUT/$E2E_NAME.sendmsg.log
    wine "$E2E_BUILD/sendmsg.exe" "$@" </dev/null >"$log" 2>&1 || e2e_fail "sendmsg $*: $(cat "$log")"
}

# close_window <title>: posts WM_CLOSE, as the close box does.
close_window() {
    send_message "$1" WM_CLOSE
}

# start_recording <file>: records the sound the programs play (the null sink's
# monitor) to <build dir>/e2e/<file> as a WAVE file, and returns once the
# recording runs: the recorder needs a moment (~1.6 s) before data flows.
start_recording() {
    [[ -z $RECORDER_PID ]] || e2e_fail "a recording is already running"
    RECORDING=$E2E_OUT/$1
    rm -f -- "$RECORDING"
    parec -d "$PW_MONITOR" --latency-msec=10 --file-format=wav "$RECORDING" \
        </dev/null >"$E2E_OUT/$E2E_NAME.parec.log" 2>&1 &
    RECORDER_PID=$!
    local deadline=$((SECONDS + 20))
    until [[ $(stat -c %s "$RECORDING" 2>/dev/null || echo 0) -gt 8192 ]]; do
        e2e_running "$RECORDER_PID" || e2e_fail "parec failed: $(cat "$E2E_OUT/$E2E_NAME.parec.log")"
        ((SECONDS < deadline)) || e2e_fail "the recording did not start within 20 s"
        sleep 0.05
    done
}

# stop_recording: ends the recording and leaves a complete WAVE file.
stop_recording() {
    [[ -n $RECORDER_PID ]] || e2e_fail "no recording is running"
    kill -INT "$RECORDER_PID"
    wait "$RECORDER_PID" || e2e_fail "parec failed: $(cat "$E2E_OUT/$E2E_NAME.parec.log")"
    RECORDER_PID=
}
