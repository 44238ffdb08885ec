#!/usr/bin/env bash
# Builds the web page (the web preset) and serves its folder on 127.0.0.1, on
# a free port, printing the address; Ctrl+C stops the server.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset web
cmake --build --preset web -j 2
site=build/web/site
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
echo "Zorva in the browser: http://127.0.0.1:${port}/"
exec python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port"
