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
# Each level opens on the side a reader of the form reads towards: rightwards, or leftwards on
# the mirrored form, the first from the mouse, each next one beside the last.
rtl=
[[ " $* " == *" --rtl "* ]] && rtl=1
read -r ml mt mr mb <<<"$(ri_ask rect '#32768')"
if [ -n "$rtl" ]; then edge=$mr; else edge=$ml; fi
[ $((edge - x)) -ge -2 ] && [ $((edge - x)) -le 2 ] && [ $((mt - y)) -ge -2 ] && [ $((mt - y)) -le 2 ] ||
  ri_fail "the popup menu at $ml $mt $mr $mb does not open $([ -n "$rtl" ] && echo leftwards || echo rightwards) from the mouse at $x,$y"
ri_mark
level=1
for key in Down Down Right Down Right; do
  xdotool key "$key"
  sleep 0.25
  [ "$key" = Right ] || continue
  level=$((level + 1))
  read -r sl st sr sb <<<"$(ri_ask rect '#32768')"
  if [ -n "$rtl" ]; then beside=$((sr <= ml + 8 && sl < ml)); else beside=$((sl >= mr - 8 && sr > mr)); fi
  [ "$beside" -eq 1 ] ||
    ri_fail "level $level at $sl $st $sr $sb does not open $([ -n "$rtl" ] && echo left || echo right) of the level before at $ml $mt $mr $mb"
  ml=$sl mt=$st mr=$sr mb=$sb
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
