#!/usr/bin/env bash
# The form's title buttons clicked by the real mouse: a press on a button dragged off it before
# the release does nothing; maximise, restore, minimise and close each do their work after a
# short hover (the button's glow still coming up) and after a long one (the glow up).
# Usage: TitleButtons.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
form0=$(ri_get form)

# Where each button is from the form's top-right corner. The maximised form's buttons are found
# from these, not searched: the search asks the form about every point of its title, which lights
# each button in turn while the mouse is elsewhere, and that is no user's interaction.
read -r l0 t0 r0 b0 <<<"$form0"
declare -A dx dy
for code in $HTCLOSE $HTMAXBUTTON $HTMINBUTTON; do
  ri_hit "$code"
  dx[$code]=$((X - r0)) dy[$code]=$((Y - t0))
done

# hover CODE SECONDS: the mouse rests on the button that long, then clicks.
hover_click() {
  local x y l t r b
  read -r l t r b <<<"$(ri_get form)"
  x=$((r + dx[$1])) y=$((t + dy[$1]))
  [ "$(ri_ask hitat "$x" "$y" "$PROBE")" = "$1" ] || ri_fail "button $1 is not at $x,$y on the form at $l $t $r $b"
  xdotool mousemove "$x" "$y"
  sleep "$2"
  xdotool click 1
  ri_park
}

for code in $HTCLOSE $HTMAXBUTTON $HTMINBUTTON; do
  ri_hit "$code"
  x=$X y=$Y
  xdotool mousemove "$x" "$y"
  sleep 0.2
  xdotool mousedown 1
  sleep 0.1
  xdotool mousemove $((x - 60)) $((y + 90))
  sleep 0.2
  xdotool mouseup 1
  ri_park
  sleep 0.5
  ri_ask shown "$PROBE" 100 >/dev/null || ri_fail "a press on button $code released off it closed the form"
  ri_dump
  [ "$(ri_get state)" = normal ] && [ "$(ri_get form)" = "$form0" ] ||
    ri_fail "a press on button $code released off it left the form $(ri_get state) at $(ri_get form)"
done

hover_click $HTMAXBUTTON 0.05
ri_wait_dump state maximized 5 || ri_fail "a click on the maximise button after a short hover left the form $(ri_get state)"
hover_click $HTMAXBUTTON 1.0
ri_wait_dump state normal 5 || ri_fail "a click on the restore button after a long hover left the form $(ri_get state)"
[ "$(ri_get form)" = "$form0" ] || ri_fail "the form came back at $(ri_get form), not $form0"
hover_click $HTMINBUTTON 1.0
ri_wait_dump state minimized 5 || ri_fail "a click on the minimise button after a long hover left the form $(ri_get state)"
ri_ask syscmd "$PROBE" F120
ri_wait_dump state normal 5 || ri_fail "the minimised form did not come back"
hover_click $HTMINBUTTON 0.05
ri_wait_dump state minimized 5 || ri_fail "a click on the minimise button after a short hover left the form $(ri_get state)"
ri_ask syscmd "$PROBE" F120
ri_wait_dump state normal 5 || ri_fail "the minimised form did not come back"
hover_click $HTCLOSE 1.0
ri_ask gone "$PROBE" 5000 >/dev/null || ri_fail "a click on the close button after a long hover left the form"
echo "the title buttons did their work after short and long hovers and nothing when dragged off"
