# Sourced: a private audio server in $XDG_RUNTIME_DIR (the caller's own) with
# a null sink as the default output, whose monitor can be recorded.
#   start_pulse     PulseAudio
#   start_pipewire  PipeWire with pipewire-pulse and wireplumber; needs a
#                   private session bus (run under dbus-run-session)
# $audio_pid is then the process the program talks to, $audio_pids all the
# server's processes.
# Both return 1 when the server does not come up. The caller's EXIT trap ends
# them with its other jobs.
audio_ready() {
  for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

start_pulse() {
  pulseaudio -n --daemonize=no --exit-idle-time=-1 -L module-native-protocol-unix \
    -L "module-null-sink sink_name=null" >"$XDG_RUNTIME_DIR/pulse.log" 2>&1 &
  audio_pid=$! audio_pids=$!
  audio_ready && pactl set-default-sink null
}

start_pipewire() {
  pipewire >"$XDG_RUNTIME_DIR/pipewire.log" 2>&1 &
  audio_pids=$!
  wireplumber >/dev/null 2>&1 &
  audio_pids="$audio_pids $!"
  pipewire-pulse >/dev/null 2>&1 &
  audio_pid=$! audio_pids="$audio_pids $!"
  audio_ready && pactl load-module module-null-sink sink_name=null >/dev/null &&
    pactl set-default-sink null
}
