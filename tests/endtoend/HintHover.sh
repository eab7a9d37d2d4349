#!/usr/bin/env bash
# A speed button's hint shown by the real mouse resting on the button, and gone when it leaves.
# Usage: HintHover.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
read -r l t r b <<<"$(ri_get "ctl Speed1")"
sleep 0.3
ri_shot before
# Where a hint shows: under the mouse and the button, about as wide as its text.
area="$((l - 20)) $((b + 2)) 200 50"
xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2))
sleep 2.0
ri_shot hint
n=$(ri_differ "$KS_OUT/before.png" "$KS_OUT/hint.png" $area)
[ "$n" -ge 300 ] || ri_fail "no hint showed under the speed button after 2 s: $n pixels changed"
ri_park
sleep 0.6
ri_shot gone
n=$(ri_differ "$KS_OUT/before.png" "$KS_OUT/gone.png" $area)
[ "$n" -le 30 ] || ri_fail "the hint stayed after the mouse left: $n pixels changed"
echo "the speed button's hint came and went with the mouse"
