#!/usr/bin/env bash
# Right-to-left controls with both bars (probe with --rtl): each one's vertical bar is drawn in
# the strip at its left, where the system puts the bar of a mirrored window, looking as the bar
# of the left-to-right control does at its right; the content at its right is not a bar; and a
# click on the left strip's down arrow of the memo scrolls it. Each horizontal bar runs from the
# right, as the system draws a mirrored window's: at the first position it is the mirror image of
# the left-to-right one, with its slider at the right; the arrow at its left scrolls forward and
# the one at its right back; the slider dragged left scrolls forward. With --bars, the toolbar's
# captions and the status bar's panel texts read as in the left-to-right form, not as their
# mirror images.
# Usage: RtlBars.sh [PROBE SWITCHES...]   with --bars: the platform's memo, list view and tree
#                                          view, skinned; without: the skinned memo
source "$(dirname "$0")/RealInput.sh"
controls=memo
[[ " $* " == *" --bars "* ]] && controls="plainmemo list tree"
memo=${controls%% *}
# The controls with a horizontal bar.
hcontrols=memo
[[ " $* " == *" --bars "* ]] && hcontrols="plainmemo list"

# name: the bar's strip beside the client area, as wide as the gap between the two on that side.
ri_start "$@"
sleep 0.3
ri_shot ltr
declare -A w h
for c in $controls; do
  read -r ml mt mr mb <<<"$(ri_get "ctl $c")"
  read -r kl kt kr kb <<<"$(ri_get "ctl ${c}client")"
  w[$c]=$((mr - kr - (kl - ml))) h[$c]=$((kb - kt))
  [ "${w[$c]}" -ge 8 ] || ri_fail "the left-to-right $c at $ml..$mr has no vertical bar beside its client area $kl..$kr"
  convert "$KS_OUT/ltr.png" -crop "${w[$c]}x${h[$c]}+${kr}+${kt}" +repage "$KS_OUT/bar-$c.png"
done
# name: the horizontal bar under the client area, as high as the gap below it less the one above.
declare -A hh hw
for c in $hcontrols; do
  read -r ml mt mr mb <<<"$(ri_get "ctl $c")"
  read -r kl kt kr kb <<<"$(ri_get "ctl ${c}client")"
  hh[$c]=$((mb - kb - (kt - mt))) hw[$c]=$((kr - kl))
  [ "${hh[$c]}" -ge 8 ] || ri_fail "the left-to-right $c has no horizontal bar under its client area"
  convert "$KS_OUT/ltr.png" -crop "${hw[$c]}x${hh[$c]}+${kl}+${kb}" +repage "$KS_OUT/hbar-$c.png"
done
# Texts: the middle of a toolbar button and of the first status panel, sought in the mirrored form.
texts=
if [ "$memo" = plainmemo ]; then
  texts="Plain status"
  read -r l t r b <<<"$(ri_get "ctl Plain")"
  convert "$KS_OUT/ltr.png" -crop "$((r - l - 24))x$((b - t - 8))+$((l + 12))+$((t + 4))" +repage "$KS_OUT/text-Plain.png"
  read -r l t r b <<<"$(ri_get "ctl status")"
  # The first panel's caption alone: right to left it is aligned to the panel's other end.
  convert "$KS_OUT/ltr.png" -crop "44x$((b - t - 6))+$((l + 6))+$((t + 3))" +repage "$KS_OUT/text-status.png"
fi
ri_stop
: >"$REPORT"

ri_start --rtl "$@"
# Every check is made and every wrong one told: the faults here are apart from one another.
wrong=()
sleep 0.3
ri_shot rtl
for c in $controls; do
  read -r ml mt mr mb <<<"$(ri_get "ctl $c")"
  read -r kl kt kr kb <<<"$(ri_get "ctl ${c}client")"
  cw=${w[$c]} ch=${h[$c]}
  [ $((kl - ml)) -ge "$cw" ] || { wrong+=("the mirrored $c's client area starts $((kl - ml)) pixels from its left: no strip for the bar"); continue; }
  # The bar's arrows are no mirror images: its picture is expected there, mirrored or not.
  best=$((cw * ch))
  for flop in "" -flop; do
    convert "$KS_OUT/bar-$c.png" $flop "$KS_OUT/bar-expected.png"
    n=$(ri_differ_at "$KS_OUT/bar-expected.png" 0 0 "$KS_OUT/rtl.png" $((kl - cw)) "$kt" "$cw" "$ch")
    [ "$n" -lt "$best" ] && best=$n
  done
  rm -f "$KS_OUT/bar-expected.png"
  [ "$best" -le $((cw * ch / 20)) ] || wrong+=("the strip at the mirrored $c's left is not its skinned bar: $best of $((cw * ch)) pixels differ")
  n=$(ri_differ_at "$KS_OUT/bar-$c.png" 0 0 "$KS_OUT/rtl.png" $((kr - cw)) "$kt" "$cw" "$ch")
  [ "$n" -ge $((cw * ch / 4)) ] || wrong+=("a bar is drawn over the content at the mirrored $c's right: only $n pixels differ from the bar")
done

# The horizontal bars at their first position, then under the mouse.
for c in $hcontrols; do
  read -r kl kt kr kb <<<"$(ri_get "ctl ${c}client")"
  bw=${hw[$c]} bh=${hh[$c]}
  convert "$KS_OUT/hbar-$c.png" -flop "$KS_OUT/hbar-expected.png"
  mirrored=$(ri_differ_at "$KS_OUT/hbar-expected.png" 0 0 "$KS_OUT/rtl.png" "$kl" "$kb" "$bw" "$bh")
  same=$(ri_differ_at "$KS_OUT/hbar-$c.png" 0 0 "$KS_OUT/rtl.png" "$kl" "$kb" "$bw" "$bh")
  rm -f "$KS_OUT/hbar-expected.png"
  # The track's texture and the glyphs keep their own grain, a pixel off in the mirror image.
  [ "$mirrored" -le $((bw * bh / 5)) ] && [ $((2 * mirrored)) -lt "$same" ] ||
    wrong+=("the mirrored $c's horizontal bar is not the mirror image of the left-to-right one: $mirrored of $((bw * bh)) pixels differ from it, $same from the bar itself")
  y=$((kb + bh / 2))
  xdotool mousemove $((kl + bh / 2)) "$y" click 1
  sleep 0.3
  ri_dump
  left=$(ri_get "$c hpos")
  xdotool mousemove $((kr - bh / 2)) "$y" click 1
  sleep 0.3
  ri_dump
  right=$(ri_get "$c hpos")
  [ "$left" -gt 0 ] && [ "$right" -lt "$left" ] ||
    wrong+=("the mirrored $c's left arrow scrolled it to $left and its right arrow then to $right")
  ri_drag $((kr - bh - 4)) "$y" $((kr - bh - 4 - bw / 3)) "$y"
  ri_park
  sleep 0.3
  ri_dump
  dragged=$(ri_get "$c hpos")
  [ "$dragged" -gt "$right" ] || wrong+=("the mirrored $c's slider dragged left from its right end scrolled it from $right to $dragged")
done

# How far a picture is from the nearest place like it in an area of the screen (0 alike, 1 apart).
best_place() {
  convert "$KS_OUT/rtl.png" -crop "$2x$3+$4+$5" +repage "$KS_OUT/area.png"
  compare -metric RMSE -dissimilarity-threshold 1 -subimage-search "$KS_OUT/area.png" "$1" null: 2>&1 |
    sed -n 's/^[^(]*(\([0-9.e-]*\)).*/\1/p'
  rm -f "$KS_OUT/area.png"
}
for name in $texts; do
  read -r l t r b <<<"$(ri_get "ctl $name")"
  convert "$KS_OUT/text-$name.png" -flop "$KS_OUT/text-$name-mirrored.png"
  right=$(best_place "$KS_OUT/text-$name.png" $((r - l)) $((b - t)) "$l" "$t")
  mirrored=$(best_place "$KS_OUT/text-$name-mirrored.png" $((r - l)) $((b - t)) "$l" "$t")
  awk -v a="${right:-1}" -v b="${mirrored:-1}" 'BEGIN { exit !(a <= 0.02 && a < b) }' ||
    wrong+=("the mirrored form's $name text does not read as the left-to-right one: as near as $right to it, $mirrored to its mirror image")
done

read -r ml mt mr mb <<<"$(ri_get "ctl $memo")"
read -r kl kt kr kb <<<"$(ri_get "ctl ${memo}client")"
cw=${w[$memo]}
xdotool mousemove $((kl - cw / 2)) $((kb - cw / 2))
sleep 0.2
xdotool click 1
ri_park
ri_wait_dump "$memo first" 1 3 || wrong+=("a click on the down arrow of the strip at the $memo's left scrolled it to line $(ri_get "$memo first")")
[ ${#wrong[@]} = 0 ] || ri_fail "$(printf '\n  %s' "${wrong[@]}")"
echo "the mirrored controls' bars lie in their left strips, and the memo's scrolls it"
