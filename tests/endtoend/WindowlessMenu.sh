#!/usr/bin/env bash
# A right click on a windowless speed button opens its own context menu, and on one without a
# menu the form's: the menu hangs from the mouse and its first item, chosen by the keyboard,
# reaches the item's handler.
# Usage: WindowlessMenu.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
sleep 0.3
for pair in "Speed1:Speed 1" "Speed2:Pop 1"; do
  name=${pair%%:*} first=${pair#*:}
  read -r l t r b <<<"$(ri_get "ctl $name")"
  x=$(((l + r) / 2)) y=$(((t + b) / 2))
  xdotool mousemove "$x" "$y"
  sleep 0.3
  ri_mark
  xdotool click 3
  ri_ask shown '#32768' 3000 >/dev/null || ri_fail "a right click on $name at $x,$y showed no menu"
  sleep 0.3
  ri_shot "menu-$name"
  # The menu hangs from the mouse: its top there, and its left side or, right to left, its right,
  # as the system's own menus of such a form open.
  read -r ml mt mr mb <<<"$(ri_ask rect '#32768')"
  edge=$ml side=left
  [[ " $* " == *" --rtl "* ]] && edge=$mr side=right
  [ $((edge - x)) -ge -2 ] && [ $((edge - x)) -le 2 ] ||
    ri_fail "$name's menu at $ml $mt $mr $mb does not hang by its $side side from the mouse at $x,$y"
  [ $((mt - y)) -ge -2 ] && [ $((mt - y)) -le 2 ] || ri_fail "$name's menu at $ml $mt $mr $mb is not below $x,$y"
  xdotool key Down Return
  ri_wait_line "^menu $first\$" 3 ||
    ri_fail "the first item of $name's menu is not '$first': $(tail -n +$((MARK + 1)) "$REPORT" | grep '^menu' || echo nothing chosen)"
  ri_ask gone '#32768' 3000 >/dev/null || ri_fail "$name's menu stayed after its item was chosen"
  ri_park
  sleep 0.4
done
echo "each speed button's right click opened its menu, its own or the form's, and its item was chosen"
