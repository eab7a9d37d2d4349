#!/usr/bin/env bash
# The toolbar's drop-down button clicked by the real mouse on its arrow (probe with --bars): the
# arrow is drawn at the end that takes the click, its menu opens, and once the menu is closed by
# Escape the button is drawn up again, as before.
# Usage: ToolbarDropDown.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start --bars "$@"
read -r dl dt dr db <<<"$(ri_get "ctl Drop")"
[ -n "$dl" ] || ri_fail "the probe reports no toolbar buttons"
sleep 0.3
ri_shot up

# The arrow's end of the button, where a click opens the menu: its right end, and its left end on
# a toolbar laid out right to left, which takes the click there and must show the arrow there.
if [[ " $* " == *" --rtl "* ]]; then arrow=$((dl + 2)) other=$((dr - 14)); else arrow=$((dr - 14)) other=$((dl + 2)); fi
strip() { ri_colours "$KS_OUT/up.png" "$1" $((dt + 3)) 12 $((db - dt - 6)); }
[ "$(strip $arrow)" -gt "$(strip $other)" ] || ri_fail "the drop-down arrow is not drawn at the end that opens the menu"

ri_mark
xdotool mousemove $((arrow + 6)) $(((dt + db) / 2)) click 1
ri_wait_line '^dropdown open$' 3 || ri_fail "a click on the drop-down button's arrow opened no menu"
ri_park
sleep 0.4
ri_shot open
area=$(((dr - dl) * (db - dt)))
n=$(ri_differ "$KS_OUT/up.png" "$KS_OUT/open.png" "$dl" "$dt" $((dr - dl)) $((db - dt)))
[ "$n" -ge $((area / 20)) ] || ri_fail "the drop-down button does not look open while its menu is: $n pixels differ from before"
xdotool key Escape
ri_wait_line '^dropdown closed$' 3 || ri_fail "Escape did not close the drop-down menu"
# Awaited for up to 3 s: the toolbar hears of the mouse's leave on Wine's hover timer.
for tries in $(seq 1 10); do
  sleep 0.3
  ri_shot closed
  n=$(ri_differ "$KS_OUT/up.png" "$KS_OUT/closed.png" "$dl" "$dt" $((dr - dl)) $((db - dt)))
  [ "$n" -le $((area / 100)) ] && break
done
[ "$n" -le $((area / 100)) ] || ri_fail "the drop-down button still looks open after its menu closed: $n pixels differ from before"
echo "the drop-down button comes up again with its menu closed"
