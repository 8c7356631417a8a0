#!/usr/bin/env bash
# Installs what is missing, builds ZEPO in Release and plays the bundled sample clip.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
exec "$root/build/app/zepo" "$root/build/samples/sample.flv"
