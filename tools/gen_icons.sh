#!/usr/bin/env bash
# Renders the logo (packaging/icons/io.qx70.Qx70Config.svg) to the hicolor
# PNG sizes under packaging/icons/hicolor/ and to the skin's window and tray
# icon (resources/skin/main/logo.png), so every icon comes from one source.
# The output is committed: the build needs no renderer. Needs rsvg-convert
# (librsvg2-bin) or ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/.."

id=io.qx70.Qx70Config
src=packaging/icons/$id.svg
sizes=(16 22 24 32 48 64 128 256)

render() {  # size output
    if command -v rsvg-convert >/dev/null; then
        rsvg-convert -w "$1" -h "$1" -o "$2" "$src"
    else
        convert -background none -density 384 "$src" -resize "$1x$1" "$2"
    fi
}

for size in "${sizes[@]}"; do
    dir=packaging/icons/hicolor/${size}x${size}/apps
    mkdir -p "$dir"
    render "$size" "$dir/$id.png.tmp"
    mv "$dir/$id.png.tmp" "$dir/$id.png"
done
render 64 resources/skin/main/logo.png.tmp
mv resources/skin/main/logo.png.tmp resources/skin/main/logo.png
echo "icons written for sizes ${sizes[*]}"
