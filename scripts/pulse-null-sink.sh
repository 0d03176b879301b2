# Sourced by the test command: starts a private PulseAudio server whose default
# sink is a null sink ("tarnx_null"); tests play into it and record its monitor
# ("tarnx_null.monitor"). The test programs that do neither (CTest runs them
# without TARNX_SHARED_SINK) switch to a second, quiet server with a sink of the
# same name that nobody plays into (TARNX_QUIET_PULSE_SERVER): every stream that
# starts or stops on a sink sends its clients sink and source events, and Qt's
# PulseAudio back-end can abort at exit when one arrives as it disconnects.
# Both servers stop when the sourcing shell exits.
pulse_dir=$(mktemp -d /tmp/tarnx-pulse.XXXXXX)
# ALSA, the other sound system Qt lists devices from, gets a configuration of the
# tests' own with one device that discards: the machine's ALSA plug-ins (JACK,
# OSS, up-mixing, PulseAudio's bridge...) stay out of every device list, whose
# cost (minutes a list under ThreadSanitizer) would otherwise depend on them.
export ALSA_CONFIG_PATH=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/fixtures/alsa-null.conf
export XDG_RUNTIME_DIR=$pulse_dir
export PULSE_RUNTIME_PATH=$pulse_dir/pulse
export PULSE_STATE_PATH=$pulse_dir/state
export PULSE_SERVER=unix:$pulse_dir/native
export TARNX_QUIET_PULSE_SERVER=unix:$pulse_dir/quiet
# name, socket: a server with runtime and state folders of its own (one daemon per folder).
start_pulse() {
  PULSE_RUNTIME_PATH=$pulse_dir/$1-runtime PULSE_STATE_PATH=$pulse_dir/$1-state \
    pulseaudio -n --daemonize=yes --exit-idle-time=-1 --system=no \
    --load="module-null-sink sink_name=tarnx_null" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$2" \
    2>"$pulse_dir/$1.log" || echo "warning: PulseAudio ($1) did not start; sound tests will fail" >&2
}
start_pulse shared "$pulse_dir/native"
start_pulse quiet "$pulse_dir/quiet"
for _ in $(seq 50); do
  pactl info >/dev/null 2>&1 && PULSE_SERVER=$TARNX_QUIET_PULSE_SERVER pactl info >/dev/null 2>&1 && break
  sleep 0.1
done
stop_pulse() {
  pactl exit >/dev/null 2>&1 || true
  PULSE_SERVER=$TARNX_QUIET_PULSE_SERVER pactl exit >/dev/null 2>&1 || true
  rm -rf "$pulse_dir"
}
trap stop_pulse EXIT
