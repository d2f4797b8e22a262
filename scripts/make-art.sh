#!/usr/bin/env bash
# Draws the program's images with ImageMagick primitives and writes them to
# art/: the program icon (art/tarnwick.ico, 16 to 256 pixels) and the four
# button images (art/busy.png 32x32, art/pause.png 32x32, art/start.png 44x44,
# art/history.png 32x32, each also as NAME@2x.png at twice the size). The results are committed, so the build never needs
# ImageMagick; run this only after changing a drawing below.
#
#   scripts/make-art.sh [busy|pause|start|history|busy@2x|...|icon]...
#
# With names, only those images are drawn again: another ImageMagick version
# can round the others' pixels differently, and they need not change.
#
# Every image is drawn at 8 times its size on a 100-unit design grid and then
# reduced, which gives clean anti-aliased edges. Small icon sizes get thicker
# strokes and fewer details, so they stay legible at 16 and 24 pixels.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=art
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
SS=8  # supersampling factor
WANTED=("$@")
# wanted NAME: whether this run draws that image.
wanted() {
  [ ${#WANTED[@]} -eq 0 ] && return 0
  local w
  for w in "${WANTED[@]}"; do [ "$w" = "$1" ] && return 0; done
  return 1
}
WROTE=()

# PNG output without time stamps or other metadata, so that a rerun without
# changes gives identical files.
PNG_OPTS=(-strip -define png:exclude-chunks=date,time -define png:color-type=6 -define png:bit-depth=8)

# Colours: a blue rim that reads on the dark header band and on light buttons,
# a white dial, an orange hand as the one warm accent.
BLUE='#2878D8'
BLUE_DARK='#123F7A'
FACE='#FAFBFD'
FACE_EDGE='#9AA8BA'
HAND='#E4571E'
INK='#1C2530'
RED='#D8402C'
RED_DARK='#8E2417'
AMBER='#E89A16'
AMBER_DARK='#8F5A06'
GREEN='#2E9E48'
GREEN_DARK='#1A6128'

# awk program for geometry: design units (0..100) to pixels, clock angles
# (0 = 12 o'clock, clockwise, degrees) to points.
geo() { awk -v s="$1" "BEGIN { pi = atan2(0, -1); $2 }"; }

# px SCALE VALUE: one design length in pixels.
px() { geo "$1" "printf \"%.2f\", $2 * s"; }

# sw SCALE VALUE: a stroke width in whole pixels (this ImageMagick fails with
# "memory allocation failed" on large circles stroked with fractional widths).
sw() { geo "$1" "printf \"%d\", $2 * s + 0.5"; }

# pt SCALE CX CY R ANGLE: point on a circle, as "x,y" in pixels.
pt() {
  geo "$1" "a = $5 * pi / 180; printf \"%.2f,%.2f\", ($2 + $4 * sin(a)) * s, ($3 - $4 * cos(a)) * s"
}

# The program icon: a stopwatch whose rim is a clockwise restart arrow.
# draw_icon SIZE FILE
draw_icon() {
  local size=$1 file=$2
  # Supersampling 4 is plenty at 256 pixels and keeps the canvas at 1024.
  local ss=$SS
  [ "$size" -gt 128 ] && ss=4
  local s
  s=$(geo "$size" "printf \"%.4f\", s * $ss / 100")
  # Small sizes: a thicker rim, a wider gap and a bigger arrow head, so that
  # the arrow still reads as one at 16 pixels; no hour ticks.
  local detail=1 rim=9 hand=5.5 a0=62 a1=374 head=1 hand_at=60
  if [ "$size" -le 24 ]; then detail=0 rim=12 hand=8 a0=118 a1=402 head=1.15 hand_at=0; fi
  if [ "$size" -gt 24 ] && [ "$size" -le 32 ]; then rim=10.5 hand=6.5 a0=76 a1=376; fi

  local cx=50 cy=56 r=38  # rim centre line
  local rin rout
  rin=$(geo 1 "printf \"%.2f\", $r - $rim / 2")
  rout=$(geo 1 "printf \"%.2f\", $r + $rim / 2")

  # The rim arc runs clockwise from a0 round to a1 (clock angles, a1 past a
  # full turn), leaving a gap at the upper right where the arrow head points.
  # ImageMagick's ellipse angles: 0 = 3 o'clock, clockwise.
  local e0 e1
  e0=$((a0 - 90)); e1=$((a1 - 90))

  # Arrow head: a triangle at the arc's end, wider than the rim, tip further on.
  local head_w head_l
  head_w=$(geo 1 "printf \"%.2f\", $rim * 1.25 * $head")
  head_l=$(geo 1 "printf \"%.2f\", $rim * 1.6 * $head")
  local tip base_in base_out tip_angle
  tip_angle=$(geo 1 "printf \"%.2f\", $a1 + ($head_l / $r) * 180 / pi")
  tip=$(pt "$s" $cx $cy $r "$tip_angle")
  base_in=$(pt "$s" $cx $cy "$(geo 1 "printf \"%.2f\", $r - $head_w")" $a1)
  base_out=$(pt "$s" $cx $cy "$(geo 1 "printf \"%.2f\", $r + $head_w")" $a1)

  local W=$((size * ss))
  local args=(-size "${W}x${W}" xc:none)

  # Crown and stem on top of the rim.
  args+=(-fill "$BLUE" -stroke "$BLUE_DARK" -strokewidth "$(sw "$s" 2)"
         -draw "roundrectangle $(px "$s" 41),$(px "$s" 3) $(px "$s" 59),$(px "$s" 11) $(px "$s" 2.5),$(px "$s" 2.5)"
         -draw "rectangle $(px "$s" 45.5),$(px "$s" 9) $(px "$s" 54.5),$(px "$s" 18)")

  # Dial: white face inside the rim.
  args+=(-fill "$FACE" -stroke "$FACE_EDGE" -strokewidth "$(sw "$s" 1)"
         -draw "circle $(px "$s" $cx),$(px "$s" $cy) $(px "$s" $cx),$(px "$s" "$(geo 1 "printf \"%.2f\", $cy - $rin")")")

  if [ "$detail" = 1 ]; then
    # Hour ticks at 12, 3, 6 and 9 o'clock.
    local a
    for a in 0 90 180 270; do
      args+=(-fill none -stroke "$INK" -strokewidth "$(sw "$s" 3)" -draw "stroke-linecap round"
             -draw "line $(pt "$s" $cx $cy "$(geo 1 "printf \"%.2f\", $rin - 4")" $a) $(pt "$s" $cx $cy "$(geo 1 "printf \"%.2f\", $rin - 9")" $a)")
    done
  fi

  # Rim: the restart arrow, a dark outline under a lighter blue band.
  args+=(-fill none -stroke "$BLUE_DARK" -strokewidth "$(sw "$s" "$(geo 1 "printf \"%.2f\", $rim + 2.5")")" -draw "stroke-linecap butt"
         -draw "ellipse $(px "$s" $cx),$(px "$s" $cy) $(px "$s" $r),$(px "$s" $r) $e0,$e1"
         -fill "$BLUE_DARK" -stroke "$BLUE_DARK" -strokewidth "$(sw "$s" 2.5)" -draw "stroke-linejoin round"
         -draw "polygon $tip $base_in $base_out"
         -fill none -stroke "$BLUE" -strokewidth "$(sw "$s" "$rim")"
         -draw "ellipse $(px "$s" $cx),$(px "$s" $cy) $(px "$s" $r),$(px "$s" $r) $((e0 + 1)),$e1"
         -fill "$BLUE" -stroke none
         -draw "polygon $tip $base_in $base_out")

  # Hand (at two o'clock, or twelve where the arrow head needs the room), and its hub.
  local hand_end
  hand_end=$(pt "$s" $cx $cy "$(geo 1 "printf \"%.2f\", $rin - ($detail ? 7 : 3)")" $hand_at)
  args+=(-fill none -stroke "$HAND" -strokewidth "$(sw "$s" "$hand")" -draw "stroke-linecap round"
         -draw "line $(px "$s" $cx),$(px "$s" $cy) $hand_end"
         -fill "$INK" -stroke none
         -draw "circle $(px "$s" $cx),$(px "$s" $cy) $(px "$s" $cx),$(px "$s" "$(geo 1 "printf \"%.2f\", $cy - $hand * 0.75")")")

  convert "${args[@]}" -filter Lanczos -resize "${size}x${size}" "${PNG_OPTS[@]}" "$file"
}

# A round button image: a filled disc with a darker edge and a white glyph.
# draw_button SIZE FILL EDGE FILE GLYPH-DRAW-ARGS...
# The glyph arguments use design units, scaled by the caller through px.
draw_button() {
  local size=$1 fill=$2 edge=$3 file=$4
  shift 4
  local s
  s=$(geo "$size" "printf \"%.4f\", s * $SS / 100")
  local W=$((size * SS))
  convert -size "${W}x${W}" xc:none \
    -fill "$fill" -stroke "$edge" -strokewidth "$(sw "$s" 5)" \
    -draw "circle $(px "$s" 50),$(px "$s" 50) $(px "$s" 50),$(px "$s" 4)" \
    "$@" \
    -filter Lanczos -resize "${size}x${size}" "${PNG_OPTS[@]}" "$file"
}

# The button images, each drawn at its size (32 or 44) and at twice it
# (NAME@2x.png), which the program reduces for display scales above 100 %.
# image_NAME SIZE FILE

# 141: the busy and close image, a white cross in a red disc.
image_busy() {
  local s; s=$(geo "$1" "printf \"%.4f\", s * $SS / 100")
  draw_button "$1" "$RED" "$RED_DARK" "$2" \
    -fill none -stroke white -strokewidth "$(sw "$s" 11)" -draw "stroke-linecap round" \
    -draw "line $(px "$s" 33),$(px "$s" 33) $(px "$s" 67),$(px "$s" 67)" \
    -draw "line $(px "$s" 67),$(px "$s" 33) $(px "$s" 33),$(px "$s" 67)"
}

# 142: pause, two white bars in an amber disc.
image_pause() {
  local s; s=$(geo "$1" "printf \"%.4f\", s * $SS / 100")
  draw_button "$1" "$AMBER" "$AMBER_DARK" "$2" \
    -fill white -stroke none \
    -draw "roundrectangle $(px "$s" 33),$(px "$s" 28) $(px "$s" 45),$(px "$s" 72) $(px "$s" 2),$(px "$s" 2)" \
    -draw "roundrectangle $(px "$s" 55),$(px "$s" 28) $(px "$s" 67),$(px "$s" 72) $(px "$s" 2),$(px "$s" 2)"
}

# 144: the history, three white bars rising to the right in a blue disc,
# standing on a base line. As wide as the pause bars; the tallest stays
# inside the disc's upper curve.
image_history() {
  local s; s=$(geo "$1" "printf \"%.4f\", s * $SS / 100")
  draw_button "$1" "$BLUE" "$BLUE_DARK" "$2" \
    -fill white -stroke none \
    -draw "roundrectangle $(px "$s" 25),$(px "$s" 52) $(px "$s" 37),$(px "$s" 70) $(px "$s" 2),$(px "$s" 2)" \
    -draw "roundrectangle $(px "$s" 44),$(px "$s" 40) $(px "$s" 56),$(px "$s" 70) $(px "$s" 2),$(px "$s" 2)" \
    -draw "roundrectangle $(px "$s" 63),$(px "$s" 27) $(px "$s" 75),$(px "$s" 70) $(px "$s" 2),$(px "$s" 2)" \
    -draw "roundrectangle $(px "$s" 20),$(px "$s" 73) $(px "$s" 80),$(px "$s" 79) $(px "$s" 2),$(px "$s" 2)"
}

# 143: start and resume, a white play triangle in a green disc, shifted right
# of the centre so that it looks centred.
image_start() {
  local s; s=$(geo "$1" "printf \"%.4f\", s * $SS / 100")
  draw_button "$1" "$GREEN" "$GREEN_DARK" "$2" \
    -fill white -stroke white -strokewidth "$(sw "$s" 4)" -draw "stroke-linejoin round" \
    -draw "polygon $(px "$s" 39),$(px "$s" 29) $(px "$s" 39),$(px "$s" 71) $(px "$s" 73),$(px "$s" 50)"
}

for image in busy:32 pause:32 history:32 start:44; do
  name=${image%:*} size=${image#*:}
  if wanted "$name"; then
    "image_$name" "$size" "$OUT/$name.png"
    WROTE+=("$OUT/$name.png")
  fi
  if wanted "$name@2x"; then
    "image_$name" $((size * 2)) "$OUT/$name@2x.png"
    WROTE+=("$OUT/$name@2x.png")
  fi
done

# pack_icon OUT.ico FRAME.png...: an .ico whose every entry is the PNG as it
# is (Windows reads PNG entries of any size since Vista): a fifth of the
# bytes of uncompressed bitmaps, which the program carries in its resources.
pack_icon() {
  python3 - "$@" <<'PY'
import struct, sys
out, frames = sys.argv[1], sys.argv[2:]
pngs = [open(f, 'rb').read() for f in frames]
head = struct.pack('<HHH', 0, 1, len(pngs))
offset = 6 + 16 * len(pngs)
entries = b''
for png in pngs:
    w, h = struct.unpack('>II', png[16:24])  # from the IHDR chunk
    entries += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(png), offset)
    offset += len(png)
open(out, 'wb').write(head + entries + b''.join(pngs))
PY
}

# The icon: one drawing per size, then one .ico of PNG entries.
if wanted icon; then
  sizes=(16 24 32 48 64 256)
  frames=()
  for n in "${sizes[@]}"; do
    draw_icon "$n" "$WORK/icon-$n.png"
    frames+=("$WORK/icon-$n.png")
  done
  optimised=()
  for f in "${frames[@]}"; do
    convert "$f" "${PNG_OPTS[@]}" "${f%.png}-packed.png"
    optimised+=("${f%.png}-packed.png")
  done
  pack_icon "$OUT/tarnwick.ico" "${optimised[@]}"
  # A preview of every size side by side, for reviewing the drawing.
  convert "${frames[@]}" -background none -gravity east -splice 8x0 +append "${PNG_OPTS[@]}" "$OUT/icon-preview.png"
  WROTE+=("$OUT/tarnwick.ico" "$OUT/icon-preview.png")
fi

[ ${#WROTE[@]} -gt 0 ] || {
  echo "nothing drawn: names are busy pause start history (each also NAME@2x) icon" >&2
  exit 1
}
echo "wrote ${WROTE[*]}"
