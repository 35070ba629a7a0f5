#!/usr/bin/env bash
# Runs a command inside a private PipeWire session (pipewire, pipewire-pulse and wireplumber in
# their own D-Bus session) whose default output is a null sink; PULSE_SOURCE points at that
# sink's monitor, so the command can record what was played. Needs the packages pipewire,
# pipewire-pulse, wireplumber, pulseaudio-utils and dbus.
#   pipewire-session.sh build/bench/audio_latency/audio_latency --capture
set -euo pipefail
if [ -z "${ZUMIKKO_IN_PIPEWIRE_SESSION:-}" ]; then
  runtime="$(mktemp -d)"
  chmod 700 "$runtime"
  export XDG_RUNTIME_DIR="$runtime" ZUMIKKO_IN_PIPEWIRE_SESSION=1
  trap 'rm -rf "$runtime"' EXIT
  dbus-run-session -- "$0" "$@"
  exit $?
fi
pipewire >/dev/null 2>&1 &
pw=$!
sleep 0.5
wireplumber >/dev/null 2>&1 &
wp=$!
pipewire-pulse >/dev/null 2>&1 &
pp=$!
trap 'kill $pp $wp $pw 2>/dev/null; wait 2>/dev/null' EXIT
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl load-module module-null-sink sink_name=null >/dev/null
pactl set-default-sink null
sleep 0.5
export PULSE_SINK=null PULSE_SOURCE=null.monitor SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-pulseaudio}"
"$@"
