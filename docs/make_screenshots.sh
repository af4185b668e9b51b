#!/usr/bin/env bash
# Remakes docs/weather.png and docs/soybean.png, the pictures of the HTML
# page (--html) that the README shows: the page of each example, dated by a
# fixed SOURCE_DATE_EPOCH, shot by headless Chromium 1280 pixels wide.
#
#   docs/make_screenshots.sh [BUILD_DIR]    (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
ruleval="$(realpath "${1:-build}")/ruleval"
command -v chromium >/dev/null || { echo "chromium is needed: apt-get install chromium" >&2; exit 1; }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# The example and the height of its picture in pixels.
for shot in weather:1240 soybean:1560; do
  name="${shot%%:*}"
  cp "examples/$name/$name".{fmc,tst,intr} "$scratch"
  (cd "$scratch" && SOURCE_DATE_EPOCH=1767225600 "$ruleval" --quiet --html "$name.html" "$name")
  chromium --headless --disable-gpu --no-sandbox --hide-scrollbars \
    --user-data-dir="$scratch/profile" --window-size="1280,${shot##*:}" \
    --screenshot="$PWD/docs/$name.png" "file://$scratch/$name.html" 2>/dev/null
done
ls -l docs/weather.png docs/soybean.png
