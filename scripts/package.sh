#!/usr/bin/env bash
# Sets up and builds if needed, then makes the release: build/package/tarvo/
# (tarvo.dll with its import library and headers, apphost and launcher when
# built, the reference and the examples) and build/package/tarvo.zip.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/env.sh"
"$here/setup.sh" >/dev/null
"$here/build.sh" >/dev/null
python3 "$tarvo_root/tools/package.py" "$tarvo_root" "$tarvo_root/build/x64" "$tarvo_root/build/x86" \
  "$tarvo_root/build/package"
