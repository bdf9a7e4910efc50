#!/usr/bin/env bash
# The layering check on a throwaway tree: clean first, then one forbidden include of each kind.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
check="$here/../check-layers"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

cp "$here/../../layers.txt" "$tree/"
mkdir -p "$tree/domain" "$tree/sync" "$tree/persistence/tests" "$tree/ui"
printf '#include "domain/Money.h"\n#include <QWidget>\n' >"$tree/ui/Window.cpp"
printf '#include "domain/Money.h"\n#include <vector>\n' >"$tree/sync/JSONValue.cpp"
printf '#include "testing/TempDir.h"\n' >"$tree/persistence/tests/AppDatabase_test.cpp"
printf '#include <chrono>\n' >"$tree/domain/Clock.h"
"$check" "$tree" >/dev/null || { echo "a clean tree was rejected"; exit 1; }

expect_failure() {  # file, line, what the message must name
  local output
  if output=$("$check" "$tree" 2>&1); then echo "not rejected: $3"; exit 1; fi
  grep -q "^$1:$2: .*$3" <<<"$output" || { echo "wrong message for $3:"; echo "$output"; exit 1; }
}

printf '#include <vector>\n#include "persistence/AppDatabase.h"\n' >"$tree/sync/SyncEngine.cpp"
expect_failure sync/SyncEngine.cpp 2 "persistence/AppDatabase.h"
rm "$tree/sync/SyncEngine.cpp"

printf '#include <QString>\n' >"$tree/persistence/Schema.cpp"
expect_failure persistence/Schema.cpp 1 "QString"
rm "$tree/persistence/Schema.cpp"

# The command line may use the screens; the rest of app/ may not.
mkdir -p "$tree/app/cli" "$tree/screens"
printf '#include <iostream>\n#include "screens/InvoiceHeaderModel.h"\n' >"$tree/app/cli/InvoiceCommands.cpp"
"$check" "$tree" >/dev/null || { echo "app/cli may include screens/"; exit 1; }
printf '#include "screens/InvoiceHeaderModel.h"\n' >"$tree/app/AppEnvironment.cpp"
expect_failure app/AppEnvironment.cpp 1 "screens/InvoiceHeaderModel.h"
rm "$tree/app/AppEnvironment.cpp"
printf '#include "ui/MainWindow.h"\n' >"$tree/app/cli/main.cpp"
expect_failure app/cli/main.cpp 1 "ui/MainWindow.h"
rm "$tree/app/cli/main.cpp"

printf '#include <chrono>\n#include <fstream>\n' >"$tree/domain/Money.cpp"
expect_failure domain/Money.cpp 2 "fstream"
echo "check-layers: ok"
