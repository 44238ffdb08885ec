#!/usr/bin/env bash
# Installs the pinned driver (npm ci, from package-lock.json) into a folder of
# the build and runs the browser test there.
#
#   run_page_test.sh DRIVER_DIR SITE_DIR ZORVA_RUN ROM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
driver=$1
shift
if [ ! -x "$2" ]; then
  echo "run_page_test: zorva-run not found at $2; build the default preset first" >&2
  exit 1
fi
mkdir -p "$driver"
cp "$here/package.json" "$here/package-lock.json" "$here/page_test.mjs" "$driver/"
cd "$driver"
npm ci --no-audit --no-fund --loglevel=error
exec node page_test.mjs "$@"
