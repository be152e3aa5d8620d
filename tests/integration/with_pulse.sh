#!/usr/bin/env bash
# Runs a command against a private PulseAudio daemon that has two null sinks and nothing else:
# "sonavel_null" (44100 Hz, s16le, stereo; the default sink) and "sonavel_float" (the same in
# float32le, for measuring what a 16-bit sink would round away); its own runtime folder and
# socket, no idle exit. The private HOME's .asoundrc adds ALSA PCMs: two behind alsa-lib's format
# conversion ("plug"), one that ends in 16 bits only, as a sound card without float, and one in
# front of the server's "pulse" PCM; and a "pulse" PCM that plays to the float sink.
# The daemon is started here and stopped by its pid when the command ends, however it ends.
set -euo pipefail

dir=$(mktemp -d "${TMPDIR:-/tmp}/sonavel-pulse.XXXXXX")
export XDG_RUNTIME_DIR="$dir" HOME="$dir" PULSE_SERVER="unix:$dir/native" PULSE_COOKIE="$dir/cookie"
export SONAVEL_TEST_SINK=sonavel_null SONAVEL_TEST_FLOAT_SINK=sonavel_float

cat >"$dir/.asoundrc" <<'EOF'
pcm.sonavel_16bit {
  type plug
  slave.pcm {
    type linear
    slave { pcm "null" format S16_LE }
  }
}
pcm.sonavel_plug_pulse {
  type plug
  slave.pcm "pulse"
}
pcm.sonavel_pulse_float {
  type pulse
  device sonavel_float
  hint { show on description "Sonavel float test output" }
}
EOF

pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --log-target=stderr \
  -L "module-null-sink sink_name=sonavel_null rate=44100 format=s16le channels=2 sink_properties=device.description=Sonavel-Testausgang" \
  -L "module-null-sink sink_name=sonavel_float rate=44100 format=float32le channels=2 sink_properties=device.description=Sonavel-Float-Testausgang" \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$dir/native" \
  >"$dir/daemon.log" 2>&1 &
pid=$!
# For a test that ends the server on purpose, as a crash would.
export SONAVEL_PULSE_PID=$pid

stop_daemon() {
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  fi
  wait "$pid" 2>/dev/null || true
  rm -rf "$dir"
}
trap stop_daemon EXIT

for _ in $(seq 100); do
  pactl info >/dev/null 2>&1 && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
  echo "with_pulse.sh: the PulseAudio daemon did not start:" >&2
  cat "$dir/daemon.log" >&2
  exit 1
fi
# The tests that play to the default output expect the 16-bit sink there.
pactl set-default-sink sonavel_null

status=0
"$@" || status=$?
exit "$status"
