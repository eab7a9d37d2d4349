#!/usr/bin/env bash
# The spin edit's up arrow held by the real mouse counts on and on; moved off the arrow with the
# button still held, it stops counting, and the release there changes nothing more.
# Usage: SpinHold.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
read -r sl st sr sb <<<"$(ri_get "ctl spin")"
v0=$(ri_get spin)
# The arrows are at the edit's end: its right, or its left when mirrored.
x=$((sr - 7))
[[ " $* " == *" --rtl "* ]] && x=$((sl + 7))
xdotool mousemove "$x" $((st + 5))
sleep 0.1
xdotool mousedown 1
sleep 1.0
ri_dump
held1=$(ri_get spin)
sleep 0.5
ri_dump
held2=$(ri_get spin)
xdotool mousemove $((x + 80)) $((st - 60))
sleep 0.3
ri_dump
out1=$(ri_get spin)
ri_shot held-outside
sleep 0.6
ri_dump
out2=$(ri_get spin)
xdotool mouseup 1
ri_park
sleep 0.3
ri_dump
[ "$held1" -ge $((v0 + 3)) ] && [ "$held2" -gt "$held1" ] ||
  ri_fail "the held up arrow counted from $v0 to $held1 in 1 s and $held2 in 1.5 s: no repeat"
[ "$out2" = "$out1" ] || ri_fail "moved off the arrow, the held spin edit counted on from $out1 to $out2"
[ "$(ri_get spin)" = "$out1" ] || ri_fail "the release off the arrow changed the value from $out1 to $(ri_get spin)"
echo "the held spin arrow counted from $v0 to $out1 and stopped when the mouse left it"
