#!/usr/bin/env bash
# The form's own title button clicked by the real mouse: the form's handler runs once per click,
# after a short and after a long hover, and not for a press released off the button.
# Usage: UserTitleButton.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
ri_hit $HTUDBTN
x=$X y=$Y
read -r l t r b <<<"$(ri_get form)"
[ "$x" -gt "$l" ] && [ "$x" -lt "$r" ] || ri_fail "the user title button answers at $x,$y, outside the form $l..$r"

for hover in 0.05 1.0; do
  ri_mark
  xdotool mousemove "$x" "$y"
  sleep "$hover"
  [ "$hover" = 1.0 ] && ri_shot hover
  xdotool click 1
  ri_wait_line '^click TitleButton1$' 3 || ri_fail "a click on the user title button at $x,$y after a $hover s hover reached no handler"
  sleep 0.2
  [ "$(tail -n +$((MARK + 1)) "$REPORT" | grep -c '^click TitleButton1$')" = 1 ] || ri_fail "one click ran the handler more than once"
  ri_seen '^state minimized' && ri_fail "a click on the user title button minimised the form"
done

ri_mark
xdotool mousemove "$x" "$y" mousedown 1
sleep 0.1
xdotool mousemove $((x - 50)) $((y + 90))
sleep 0.1
xdotool mouseup 1
ri_park
sleep 0.5
ri_seen '^click ' && ri_fail "a press on the user title button released off it ran the handler"
ri_dump
[ "$(ri_get state)" = normal ] || ri_fail "the form is $(ri_get state) after the presses on its user title button"
echo "the user title button ran its handler once per click"
