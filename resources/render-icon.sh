#!/usr/bin/env bash
# Renders mirado.svg into the 32 x 32, 256-colour mirado.png and the Windows
# icon mirado.ico. Needs librsvg2-bin and imagemagick.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp --suffix=.png)
trap 'rm -f "$tmp"' EXIT
rsvg-convert -w 32 -h 32 mirado.svg -o "$tmp"
convert "$tmp" -strip -colors 256 PNG8:mirado.png
convert mirado.png -strip -type PaletteAlpha mirado.ico
