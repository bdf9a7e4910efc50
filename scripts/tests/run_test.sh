#!/usr/bin/env bash
# scripts/run against a scratch folder: the status names the signed-out session and the applied
# migrations, and no zelvorin-service outlives the script.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$1
run_dir=$(mktemp -d)
trap 'rm -rf "$run_dir"' EXIT
output=$(XDG_DATA_HOME="$run_dir/share" ZELVORIN_BUILD_DIR="$build" ZELVORIN_RUN_DIR="$run_dir" \
  "$here/../run" status --json)
grep -q '"sessionState": "signedOut"' <<<"$output" || { echo "no session state in: $output"; exit 1; }
grep -q '"v23_customer_language"' <<<"$output" || { echo "migrations missing in: $output"; exit 1; }
grep -q '"baseURL": "http://127.0.0.1:' <<<"$output" || { echo "not pointed at the local service: $output"; exit 1; }
if [ -x "$build/ui/zelvorin" ]; then
  entry="$run_dir/share/applications/zelvorin.desktop"
  grep -q '^MimeType=x-scheme-handler/zelvorin;' "$entry" || { echo "no scheme handler entry at $entry"; exit 1; }
  grep -q "^Exec=env ZELVORIN_BASE_URL=http://127.0.0.1:.* $build/ui/zelvorin %u" "$entry" ||
    { echo "the entry does not start this build: $(grep ^Exec "$entry")"; exit 1; }
fi
# Accounts, sessions and records live in the service's one database (with its WAL companions).
extra=$(ls -A "$run_dir/service" | grep -v '^service\.sqlite\(-wal\|-shm\)\?$' || true)
[ -z "$extra" ] || { echo "the service keeps more than its one database: $extra"; exit 1; }
if pgrep -f "zelvorin-service --port 0 --data $run_dir" >/dev/null; then
  echo "zelvorin-service still running after scripts/run"
  exit 1
fi
echo "scripts/run: ok"
