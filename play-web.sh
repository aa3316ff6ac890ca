#!/usr/bin/env bash
# Builds the browser version of Duskwarren and serves it on this machine only:
#   ./play-web.sh [PORT]     (default 8080), then open the address it prints.
set -euo pipefail
cd "$(dirname "$0")"
port="${1:-8080}"
scripts/install-deps.sh
scripts/install-web-deps.sh --no-tests
cmake --preset web >/dev/null
cmake --build --preset web -j"$(nproc)"
echo "Duskwarren in the browser: http://127.0.0.1:${port}/   (Ctrl+C stops the server)"
exec python3 - "$port" build/web/site <<'PY'
import functools, http.server, sys
port, site = int(sys.argv[1]), sys.argv[2]
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=site)
handler.func.extensions_map = {**handler.func.extensions_map, ".wasm": "application/wasm",
                               ".js": "text/javascript", ".data": "application/octet-stream",
                               ".webmanifest": "application/manifest+json"}
try:
    http.server.ThreadingHTTPServer(("127.0.0.1", port), handler).serve_forever()
except KeyboardInterrupt:
    pass
PY
