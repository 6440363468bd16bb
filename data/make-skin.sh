#!/usr/bin/env bash
# Draws the images of the default skin of the sign-in helper window into <out>/skin/:
# window background, logo, icon, status and link cursors, the footer push button and the check/radio
# strips. The window manager's frame carries the title, minimise and close; the band at the top of the
# sheet only shows the brand. Everything is drawn from shapes here, so the skin is entirely the
# project's own.
# Usage: make-skin.sh <output folder>
set -euo pipefail

out=${1:?usage: make-skin.sh <output folder>}
skin="$out/skin"
mkdir -p "$skin"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

IM=${IM_CONVERT:-convert}

# Palette.
band_top='#1B3F73'; band_bottom='#24589C'; band_line='#3A75C4'
body='#F3F5F8'; frame='#D3DAE4'; outline='#16345F'
width=640; height=480; band=40
footer_top=426

# --- window background ---------------------------------------------------------------------------
"$IM" -size ${width}x${height} "xc:$body" \
  \( -size ${width}x${band} "gradient:$band_top-$band_bottom" \) -geometry +0+0 -composite \
  -fill "$band_line" -draw "line 0,$((band - 1)) $((width - 1)),$((band - 1))" \
  -fill white -stroke "$frame" -strokewidth 1 -draw "rectangle 11.5,51.5 628.5,420.5" \
  -stroke none -fill '#E3E8EF' -draw "line 1,$footer_top $((width - 2)),$footer_top" \
  -fill none -stroke "$outline" -strokewidth 1 -draw "rectangle 0.5,0.5 $((width - 1)).5,$((height - 1)).5" \
  -define png:color-type=2 "$skin/background.png"

# --- logo: a rounded tile with a white "T" ------------------------------------------------------------
logo() { # size file
  local s=$1 r=$(( $1 / 5 ))
  "$IM" -size ${s}x${s} xc:none \
    \( -size ${s}x${s} gradient:'#4FB3E8-#1F6FC0' -alpha set \
       \( -size ${s}x${s} xc:none -fill white -draw "roundrectangle 0,0 $((s - 1)),$((s - 1)) $r,$r" \) \
       -compose DstIn -composite \) -compose Over -composite \
    -fill white -draw "rectangle $((s * 5 / 24)),$((s * 5 / 24)) $((s * 19 / 24 - 1)),$((s * 8 / 24 - 1))" \
    -draw "rectangle $((s * 10 / 24)),$((s * 8 / 24)) $((s * 14 / 24 - 1)),$((s * 19 / 24 - 1))" \
    -depth 8 "$2"
}
logo 24 "$tmp/logo24.png"
# The picture sits on the brand band: flatten it onto the band colour behind it (rows 8 to 31).
"$IM" -size 24x${band} "gradient:$band_top-$band_bottom" -crop 24x24+0+8 +repage \
  "$tmp/logo24.png" -compose Over -composite "$skin/logo.png"

for s in 16 32 48 256; do logo $s "$tmp/logo$s.png"; done
"$IM" "$tmp/logo16.png" "$tmp/logo32.png" "$tmp/logo48.png" "$tmp/logo256.png" "$skin/tessaly.ico"

# The image writer stores an icon directory: mark the file as a cursor (type 2 at byte 2) and write the
# hot spot (x, y as two little-endian 16-bit numbers, given as printf escapes) at bytes 10-13.
mark_cursor() { # file hotspot-bytes
  printf '\x02\x00' | dd of="$1" bs=1 seek=2 conv=notrunc status=none
  printf '%b' "$2" | dd of="$1" bs=1 seek=10 conv=notrunc status=none
}

# --- status cursor: an arrow with a small progress ring, hot spot at the arrow's tip ----------------------
arrow="polygon 1,1 1,21 6,16 10,25 13,24 9,15 15,15"
"$IM" -size 32x32 xc:none \
  -fill white -stroke black -strokewidth 1 -draw "$arrow" \
  -fill none -stroke '#C9D6E8' -strokewidth 3 -draw "circle 23,23 23,17" \
  -stroke '#2A6DB5' -draw "path 'M 23,17 A 6,6 0 1,1 17,23'" \
  "$tmp/busy.png"
"$IM" "$tmp/busy.png" "CUR:$skin/busy.cur"
mark_cursor "$skin/busy.cur" '\x01\x00\x01\x00'

# --- link cursor: a pointing hand, hot spot at the finger tip (for skins that add link labels) ----------
hand="roundrectangle 9,1 14,19 2,2 roundrectangle 14,9 18,19 2,2 roundrectangle 18,10 22,19 2,2
      roundrectangle 22,11 26,20 2,2 roundrectangle 9,14 26,27 4,4 polygon 9,20 4,14 2,16 8,25"
"$IM" -size 32x32 xc:none +antialias \
  -fill black -stroke black -strokewidth 2 -draw "$hand" \
  -fill white -stroke none -draw "$hand" \
  -stroke black -strokewidth 1 -draw "line 14,12 14,18 line 18,13 18,18 line 22,14 22,18" \
  "$tmp/hand.png"
"$IM" "$tmp/hand.png" "CUR:$skin/hand.cur"
mark_cursor "$skin/hand.cur" '\x0b\x00\x01\x00'

# --- footer push button: 96 x 30, rounded, on the body colour -------------------------------------------
push_button() { # file top bottom border
  "$IM" -size 96x30 "xc:$body" \
    \( -size 96x30 "gradient:$2-$3" -alpha set \
       \( -size 96x30 xc:none -fill white -draw "roundrectangle 0,0 95,29 4,4" \) \
       -compose DstIn -composite \) -compose Over -composite \
    -fill none -stroke "$4" -strokewidth 1 -draw "roundrectangle 0.5,0.5 95.5,29.5 4,4" \
    -define png:color-type=2 "$1"
}
push_button "$skin/button_normal.png"   '#FFFFFF' '#EEF1F5' '#B9C4D3'
push_button "$skin/button_hover.png"    '#F5F9FF' '#E3EDFB' '#5B8FD6'
push_button "$skin/button_pressed.png"  '#D9E5F6' '#E6EEF9' '#3F74BF'
push_button "$skin/button_disabled.png" '#F4F4F4' '#F4F4F4' '#D8D8D8'

# --- check and radio strips: eight 16 x 16 cells on magenta (the transparent colour) --------------------
# Cells 0-3: unchecked normal, hover, pressed, disabled; cells 4-7: the same, checked.
fills=('#FFFFFF' '#F0F6FF' '#DCE7F7' '#F0F0F0'); borders=('#8A97A8' '#2A6DB5' '#1F5A9E' '#C4C4C4')
checked_fills=('#2A6DB5' '#3A80CF' '#1D5596' '#C9D3E0')
strip() { # file outline-shape mark-shape
  local cells=() checked i cell
  for checked in 0 1; do
    for i in 0 1 2 3; do
      cell="$tmp/$(basename "$1" .png)_$checked$i.png"
      if [ "$checked" = 1 ]; then
        "$IM" -size 16x16 'xc:#FF00FF' +antialias \
          -fill "${checked_fills[$i]}" -stroke "${checked_fills[$i]}" -strokewidth 1 -draw "$2" \
          -fill white -stroke white -strokewidth 2 -draw "$3" "$cell"
      else
        "$IM" -size 16x16 'xc:#FF00FF' +antialias \
          -fill "${fills[$i]}" -stroke "${borders[$i]}" -strokewidth 1 -draw "$2" "$cell"
      fi
      cells+=("$cell")
    done
  done
  "$IM" "${cells[@]}" +append -define png:color-type=2 "$1"
}
strip "$skin/check.png" "roundrectangle 1,1 14,14 2,2" "line 4,8 7,11 line 7,11 12,5"
strip "$skin/radio.png" "circle 7.5,7.5 7.5,1" "circle 7.5,7.5 7.5,5.5"

# Plain 8-bit images without page offsets, as every image loader expects.
for image in "$skin"/*.png; do
  "$IM" "$image" -depth 8 +repage "$image"
done
