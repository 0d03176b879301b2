# Sourced by the test command: starts a private PulseAudio server whose default
# sink is a null sink ("tarnx_null"); tests play into it and record its monitor
# ("tarnx_null.monitor"). The server stops when the sourcing shell exits.
pulse_dir=$(mktemp -d /tmp/tarnx-pulse.XXXXXX)
export XDG_RUNTIME_DIR=$pulse_dir
export PULSE_RUNTIME_PATH=$pulse_dir/pulse
export PULSE_STATE_PATH=$pulse_dir/state
export PULSE_SERVER=unix:$pulse_dir/native
pulseaudio -n --daemonize=yes --exit-idle-time=-1 --system=no \
  --load="module-null-sink sink_name=tarnx_null" \
  --load="module-native-protocol-unix auth-anonymous=1 socket=$pulse_dir/native" \
  2>"$pulse_dir/pulseaudio.log" || echo "warning: PulseAudio did not start; sound tests will fail" >&2
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
stop_pulse() { pactl exit >/dev/null 2>&1 || true; rm -rf "$pulse_dir"; }
trap stop_pulse EXIT
