#!/usr/bin/env bash
# Each edge and corner of the sizeable form dragged by the real mouse: the window takes the new
# size, exactly by the drag, the opposite edges staying put; then the close button is drawn where
# the form answers as its close button, the bottom-right corner of the frame is drawn at the new
# corner, and a click there closes the form (not a minimise, not nothing).
# Usage: ResizeEdges.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"

read -r l0 t0 r0 b0 <<<"$(ri_get form)"
ri_hit $HTCLOSE
cx0=$X cy0=$Y
# The search lit each title button for a moment: their light fades before the pictures.
sleep 1
ri_shot before
# Where the close button and the frame's bottom-right corner are drawn before any resize.
cdx=$((cx0 - r0)) cdy=$((cy0 - t0))

# code dx dy: the drag, and which edges follow it (left top right bottom).
drags=(
  "$HTRIGHT 30 0 0 0 1 0"
  "$HTBOTTOM 0 25 0 0 0 1"
  "$HTBOTTOMRIGHT 20 15 0 0 1 1"
  "$HTLEFT -30 0 1 0 0 0"
  "$HTTOP 0 -20 0 1 0 0"
  "$HTTOPLEFT 15 10 1 1 0 0"
  "$HTTOPRIGHT -25 -15 0 1 1 0"
  "$HTBOTTOMLEFT 10 -10 1 0 0 1"
)
for drag in "${drags[@]}"; do
  read -r code dx dy fl ft fr fb <<<"$drag"
  read -r l t r b <<<"$(ri_get form)"
  ri_hit "$code"
  x=$X y=$Y
  want="$((l + fl * dx)) $((t + ft * dy)) $((r + fr * dx)) $((b + fb * dy))"
  ri_drag "$x" "$y" $((x + dx)) $((y + dy))
  ri_park
  ri_wait_dump form "$want" 5 || ri_fail "a drag of code $code by $dx,$dy from $x,$y: the form is at $(ri_get form), not $want"
done

read -r l t r b <<<"$(ri_get form)"
ri_hit $HTCLOSE
cx=$X cy=$Y
[ "$cx" -eq $((r + cdx)) ] && [ "$cy" -eq $((t + cdy)) ] ||
  ri_fail "the close button answers at $cx,$cy, not at $((r + cdx)),$((t + cdy)) as before relative to the corner"
sleep 1
ri_shot after
# The button's picture and the frame's corner, compared with the first screen's.
n=$(ri_differ_at "$KS_OUT/before.png" $((cx0 - 6)) $((cy0 - 6)) "$KS_OUT/after.png" $((cx - 6)) $((cy - 6)) 13 13)
[ "$n" -le 8 ] || ri_fail "the close button is not drawn where it answers: $n of 169 pixels differ from its first picture"
n=$(ri_differ_at "$KS_OUT/before.png" $((r0 - 12)) $((b0 - 12)) "$KS_OUT/after.png" $((r - 12)) $((b - 12)) 12 12)
[ "$n" -le 8 ] || ri_fail "the frame's bottom-right corner is not drawn at the new corner: $n of 144 pixels differ"

ri_mark
xdotool mousemove "$cx" "$cy"
sleep 0.2
xdotool click 1
ri_ask gone "$PROBE" 5000 >/dev/null || ri_fail "a click on the close button at $cx,$cy left the form $(ri_dump; ri_get state)"
echo "the form took each of ${#drags[@]} drags of its edges and corners and closed from its moved close button"
