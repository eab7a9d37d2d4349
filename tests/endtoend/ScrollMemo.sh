#!/usr/bin/env bash
# The skinned memo's vertical bar under the real mouse: its thumb dragged past the end scrolls to
# the last page and back past the top to the first, following the mouse while it is held; its
# down arrow held scrolls on and on until it is released, and no further.
# Usage: ScrollMemo.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
read -r ml mt mr mb <<<"$(ri_get "ctl memo")"
read -r kl kt kr kb <<<"$(ri_get "ctl memoclient")"
# The bar lies beside the client area at the side where the memo's lines end: its left when
# the form is laid out right to left. Its width is that gap less the border's on the other side.
w=$((mr - kr - (kl - ml))) bx=$((kr + w / 2)) side=right
[[ " $* " == *" --rtl "* ]] && w=$((kl - ml - (mr - kr))) bx=$((kl - w / 2)) side=left
[ "$w" -ge 8 ] || ri_fail "the memo has no vertical bar at its $side"

move_held() { # x1 y1 x2 y2: the mouse moved in steps with the button held
  local i
  for i in 1 2 3 4 5 6; do
    xdotool mousemove $(($1 + ($3 - $1) * i / 6)) $(($2 + ($4 - $2) * i / 6))
    sleep 0.05
  done
  sleep 0.3
}
# The thumb lies under the up arrow while the first line is at the top.
ty=$((kt + w + 4))
xdotool mousemove "$bx" "$ty"
sleep 0.1
xdotool mousedown 1
move_held "$bx" "$ty" "$bx" $((mb + 120))
ri_dump
last=$(ri_get "memo first")
ri_shot thumb-past-end
move_held "$bx" $((mb + 120)) "$bx" $((mt - 120))
ri_dump
top=$(ri_get "memo first")
xdotool mouseup 1
ri_park
[ "$last" -ge 150 ] || ri_fail "the thumb dragged past the end scrolled the memo to line $last only"
[ "$top" = 0 ] || ri_fail "the thumb dragged back past the top left the memo at line $top"
ri_wait_dump "memo first" 0 2 || ri_fail "after the release the memo is at line $(ri_get "memo first")"

xdotool mousemove "$bx" $((kb - w / 2))
sleep 0.1
xdotool mousedown 1
sleep 1.0
ri_dump
held1=$(ri_get "memo first")
sleep 0.6
ri_dump
held2=$(ri_get "memo first")
xdotool mouseup 1
ri_park
sleep 0.2
ri_dump
released=$(ri_get "memo first")
sleep 0.6
ri_wait_dump "memo first" "$released" 0 || ri_fail "the memo scrolled on after the arrow was released: line $released, then $(ri_get "memo first")"
[ "$held1" -ge 4 ] && [ "$held2" -gt "$held1" ] ||
  ri_fail "the held down arrow scrolled to line $held1 after 1 s and $held2 after 1.6 s: no repeat"
echo "the thumb followed the mouse past both ends and the held arrow scrolled until released"
