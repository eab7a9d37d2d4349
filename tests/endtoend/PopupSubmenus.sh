#!/usr/bin/env bash
# The form's popup menu opened by a right click and walked by the keyboard into a submenu and
# the submenu's own submenu, whose item is chosen: each level shows beside the last, the choice
# reaches the item's handler and every level goes.
# Usage: PopupSubmenus.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
read -r l t r b <<<"$(ri_get form)"
x=$((r - 60)) y=$((b - 50))
sleep 0.3
ri_shot before
xdotool mousemove "$x" "$y" click 3
sleep 0.4
ri_shot level1
n=$(ri_differ "$KS_OUT/before.png" "$KS_OUT/level1.png" $((x - 150)) $((y - 100)) 300 200)
[ "$n" -ge 500 ] || ri_fail "a right click on the form at $x,$y showed no popup menu"
ri_mark
for key in Down Down Right Down Right; do
  xdotool key "$key"
  sleep 0.25
done
ri_shot level3
n=$(ri_differ "$KS_OUT/level1.png" "$KS_OUT/level3.png" 0 0 1280 1024)
[ "$n" -ge 1000 ] || ri_fail "the walk into the submenus showed nothing new: $n pixels differ"
xdotool key Return
ri_wait_line '^menu Pop 2\.2\.1$' 3 || ri_fail "Return on the third level chose no 'Pop 2.2.1': $(tail -n +$((MARK + 1)) "$REPORT" | grep '^menu' || echo nothing)"
sleep 0.4
ri_shot after
n=$(ri_differ "$KS_OUT/before.png" "$KS_OUT/after.png" 0 0 1280 1024)
[ "$n" -le 200 ] || ri_fail "the menus left $n pixels changed on the screen"
echo "the popup menu was walked into its submenus and its item chosen"
