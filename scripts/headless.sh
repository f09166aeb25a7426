#!/usr/bin/env bash
# headless.sh start|stop <build dir>
#
# start: makes sure a headless environment for running the Windows build under
# Wine exists and writes <build dir>/headless.env for wine-run.sh and the e2e
# tests to source. It holds a private WINEPREFIX (made once, then reused), an X
# display ($DISPLAY when reachable, else a private Xvfb), a private PulseAudio
# daemon whose default output is a null sink, and a persistent wineserver.
# Processes left by an earlier start are reused while they all still run.
#
# stop: ends exactly the processes start recorded in <build dir>/headless.pids,
# plus every Wine process of the private prefix.
#
# restart-pulse: ends the private PulseAudio daemon and starts a new one on the
# same socket, as a sound server restart does (a headset connected, a resume).
#
# restart-wine: ends every Wine process of the private prefix and starts a new
# persistent wineserver, so that the programs after a sound server restart
# start as they did before it (Wine's services keep the old server's state).
set -euo pipefail

usage() {
    echo "usage: $0 start|stop|restart-pulse|restart-wine <build dir>" >&2
    exit 2
}

[[ $# -eq 2 && ($1 == start || $1 == stop || $1 == restart-pulse || $1 == restart-wine) ]] || usage
action=$1
mkdir -p "$2"
build=$(cd "$2" && pwd)
env_file=$build/headless.env
pids_file=$build/headless.pids
log_dir=$build/headless-logs
prefix=$build/wineprefix
sink=pw_null

fail() {
    echo "headless.sh: $*" >&2
    exit 1
}

# start_time <pid>: when the process started, in clock ticks since boot. A pid
# together with its start time names one process, although pids get reused.
start_time() {
    local stat fields
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    read -ra fields <<<"${stat##*) }"
    echo "${fields[19]}"
}

# running <pid> <start time>: true while that process runs (a finished one
# that nobody reaped stays a zombie).
running() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    [[ ${stat##*) } != Z* && $(start_time "$1") == "$2" ]]
}

display_reachable() {
    DISPLAY=$1 xdpyinfo >/dev/null 2>&1
}

# Records what start made, for stop to end: "pid <pid> <start time> <name>"
# or "dir <path>".
record_pid() {
    echo "pid $1 $(start_time "$1" || echo gone) $2" >>"$pids_file"
}
record_dir() {
    echo "dir $1" >>"$pids_file"
}

stop_env() {
    [[ -f $pids_file || -f $env_file ]] || return 0
    if [[ -d $prefix ]]; then
        WINEPREFIX=$prefix timeout 20 wineserver -k >/dev/null 2>&1 || true
    fi
    local kind value started pids=() dirs=()
    if [[ -f $pids_file ]]; then
        while read -r kind value started _; do
            case $kind in
            pid) running "$value" "$started" && kill "$value" 2>/dev/null && pids+=("$value:$started") ;;
            dir) dirs+=("$value") ;;
            esac
        done <"$pids_file"
    fi
    local entry deadline=$((SECONDS + 10))
    for entry in "${pids[@]}"; do
        while running "${entry%%:*}" "${entry#*:}"; do
            if ((SECONDS >= deadline)); then
                kill -KILL "${entry%%:*}" 2>/dev/null || true
                break
            fi
            sleep 0.1
        done
    done
    for value in "${dirs[@]}"; do
        rm -rf -- "$value"
    done
    rm -f -- "$env_file" "$env_file.new" "$pids_file"
}

# An earlier start is reusable while everything it recorded still runs.
reusable() {
    [[ -f $env_file && -f $pids_file ]] || return 1
    local kind value started
    while read -r kind value started _; do
        if [[ $kind == pid ]]; then
            running "$value" "$started" || return 1
        fi
    done <"$pids_file"
    local display
    display=$(. "$env_file" && echo "$DISPLAY")
    display_reachable "$display"
}

start_xvfb() {
    local fd_file=$log_dir/xvfb.display
    : >"$fd_file"
    # -displayfd lets Xvfb take the first free display: other sessions own some.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
        3>"$fd_file" </dev/null >"$log_dir/xvfb.log" 2>&1 9>&- &
    local pid=$! started
    record_pid "$pid" Xvfb
    started=$(start_time "$pid" || echo gone)
    local deadline=$((SECONDS + 20))
    until [[ $(cat "$fd_file") == *[0-9] ]] && display_reachable ":$(cat "$fd_file")"; do
        running "$pid" "$started" || fail "Xvfb did not start: $(tail -n 5 "$log_dir/xvfb.log")"
        ((SECONDS < deadline)) || fail "Xvfb gave no display within 20 s"
        sleep 0.1
    done
    display=":$(cat "$fd_file")"
}

start_pulseaudio() {
    # A short private runtime dir: the socket path must stay under 108 bytes.
    pulse_dir=$(mktemp -d "${TMPDIR:-/tmp}/pw-pulse.XXXXXX")
    record_dir "$pulse_dir"
    run_pulseaudio
}

# Starts the daemon in $pulse_dir and waits until it answers.
run_pulseaudio() {
    local socket=$pulse_dir/native
    # The daemon gets its own HOME and runtime dir so that it neither reads nor
    # writes the user's PulseAudio state, and no X display so that it does not
    # autolaunch a session bus.
    env -u DISPLAY HOME="$pulse_dir" XDG_RUNTIME_DIR="$pulse_dir" PULSE_RUNTIME_PATH="$pulse_dir" \
        PULSE_STATE_PATH="$pulse_dir" PULSE_CONFIG_PATH="$pulse_dir" \
        pulseaudio --daemonize=no --system=no --exit-idle-time=-1 -n --use-pid-file=no \
        --realtime=no --high-priority=no --disable-shm=yes --log-target=stderr \
        --load="module-null-sink sink_name=$sink rate=44100" \
        --load="module-native-protocol-unix socket=$socket auth-anonymous=1" \
        </dev/null >"$log_dir/pulseaudio.log" 2>&1 9>&- &
    local pid=$! started
    record_pid "$pid" pulseaudio
    started=$(start_time "$pid" || echo gone)
    pulse_server=unix:$socket
    local deadline=$((SECONDS + 20))
    until PULSE_SERVER=$pulse_server pactl info >/dev/null 2>&1; do
        running "$pid" "$started" || fail "PulseAudio did not start: $(tail -n 5 "$log_dir/pulseaudio.log")"
        ((SECONDS < deadline)) || fail "PulseAudio did not answer within 20 s"
        sleep 0.1
    done
}

write_env() {
    {
        printf 'export DISPLAY=%q\n' "$display"
        [[ -z ${XAUTHORITY:-} ]] || printf 'export XAUTHORITY=%q\n' "$XAUTHORITY"
        printf 'export WINEPREFIX=%q\n' "$prefix"
        echo 'export WINEDEBUG=-all'
        # Wine would otherwise offer to download Mono and Gecko.
        echo "export WINEDLLOVERRIDES='mscoree,mshtml='"
        printf 'export PULSE_SERVER=%q\n' "$pulse_server"
        printf 'export PW_SINK=%q\n' "$sink"
        printf 'export PW_MONITOR=%q\n' "$sink.monitor"
    } >"$1"
}

# A fresh prefix takes ~20 s, so it is made once and kept. The marker is
# written last: a prefix without it was interrupted and is made again.
make_prefix() {
    [[ -f $prefix/.pw-ready ]] && return 0
    rm -rf -- "$prefix"
    (
        . "$1"
        wineboot -i >"$log_dir/wineboot.log" 2>&1 </dev/null 9>&- ||
            fail "wineboot failed: $(tail -n 5 "$log_dir/wineboot.log")"
        local reg=$log_dir/settings.reg
        # No window manager on Xvfb: unmanaged windows are destroyed without
        # the 2 s wait for one. A crash ends the process instead of opening
        # winedbg. Audio goes to PulseAudio.
        cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"="pulse"
REG
        wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >>"$log_dir/wineboot.log" 2>&1 </dev/null 9>&- ||
            fail "could not write the Wine settings: $(tail -n 5 "$log_dir/wineboot.log")"
        # The registry reaches the disk when the server exits.
        wineserver -w 9>&-
    )
    touch "$prefix/.pw-ready"
}

# Debian's Wine does not load its own fonts (fonts-wine) from where they are
# installed; without them captions lack their Marlett glyphs and dialogs are
# laid out with a substitute for MS Sans Serif.
link_wine_fonts() {
    local font
    for font in /usr/share/wine/fonts/*; do
        [[ -e $font ]] || continue
        ln -sfn "$font" "$prefix/drive_c/windows/Fonts/"
    done
}

start_env() {
    if reusable; then
        return 0
    fi
    stop_env
    mkdir -p "$log_dir"
    : >"$pids_file"
    if [[ -n ${DISPLAY:-} ]] && display_reachable "$DISPLAY"; then
        display=$DISPLAY
    else
        start_xvfb
    fi
    start_pulseaudio
    local pending=$env_file.new
    write_env "$pending"
    make_prefix "$pending"
    link_wine_fonts
    # A persistent server keeps Wine's services warm between test programs.
    start_wineserver "$pending"
    mv -f -- "$pending" "$env_file"
}

# start_wineserver <env file>
start_wineserver() {
    (
        . "$1"
        wineserver -f -p </dev/null >"$log_dir/wineserver.log" 2>&1 9>&- &
        echo $! >"$log_dir/wineserver.pid"
    )
    record_pid "$(cat "$log_dir/wineserver.pid")" wineserver
}

restart_wine() {
    [[ -f $env_file && -f $pids_file ]] || fail "no environment to restart Wine in"
    (
        . "$env_file"
        timeout 20 wineserver -k >/dev/null 2>&1 || true
        timeout 20 wineserver -w >/dev/null 2>&1 || true
    )
    grep -v ' wineserver$' "$pids_file" >"$pids_file.new" || true
    mv -f -- "$pids_file.new" "$pids_file"
    mkdir -p "$log_dir"
    start_wineserver "$env_file"
}

restart_pulseaudio() {
    [[ -f $env_file && -f $pids_file ]] || fail "no environment to restart PulseAudio in"
    local server kind value started name
    server=$(. "$env_file" && echo "$PULSE_SERVER")
    pulse_dir=$(dirname "${server#unix:}")
    while read -r kind value started name; do
        if [[ $kind == pid && $name == pulseaudio ]] && running "$value" "$started"; then
            kill "$value"
            while running "$value" "$started"; do sleep 0.05; done
        fi
    done <"$pids_file"
    grep -v ' pulseaudio$' "$pids_file" >"$pids_file.new" || true
    mv -f -- "$pids_file.new" "$pids_file"
    rm -f -- "$pulse_dir/native"
    mkdir -p "$log_dir"
    run_pulseaudio
}

exec 9>"$build/headless.lock"
flock 9
if [[ $action == restart-pulse ]]; then
    restart_pulseaudio
elif [[ $action == restart-wine ]]; then
    restart_wine
elif [[ $action == start ]]; then
    # Whatever fails half-way is ended again rather than left running.
    trap 'rc=$?; ((rc == 0)) || stop_env; exit $rc' EXIT
    start_env
else
    stop_env
fi
