#!/usr/bin/env bash
# Copies the one three.js file the HTML view embeds (the classic-script build, which sets
# window.THREE) from web/node_modules into the Python package, so that users of the view
# need neither npm nor the internet. Run after changing the pinned version in package.json:
#   web/refresh_three.sh        (runs npm ci first when node_modules is missing)
set -euo pipefail
WEB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$WEB"
[ -d node_modules/three ] || npm ci --no-audit --no-fund
cp node_modules/three/build/three.min.js ../python/vortimar/three.min.js
cp node_modules/three/LICENSE ../python/vortimar/three.LICENSE
echo "python/vortimar/three.min.js: three.js $(node -p 'JSON.parse(require("fs").readFileSync("node_modules/three/package.json")).version')"
