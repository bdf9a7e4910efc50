#!/usr/bin/env bash
# Runs a test binary inside a private D-Bus session with an unlocked GNOME keyring, so the Secret
# Service is exercised for real without touching the user's own keyring.
set -euo pipefail
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/share" XDG_RUNTIME_DIR="$home/run" ZELVORIN_KEYRING=real
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
exec dbus-run-session -- bash -c '
  eval "$(printf "zelvorin-test" | gnome-keyring-daemon --unlock --components=secrets 2>/dev/null)"
  export GNOME_KEYRING_CONTROL
  exec "$@"' _ "$@"
