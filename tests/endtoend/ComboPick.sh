#!/usr/bin/env bash
# The combo box dropped down by a click and an item picked from its list by another: the list
# shows under the box, the pick is reported, the list goes and the box shows the item. Dropped
# again, the list's skinned bar lies where the platform puts a list's bar, at its right (at its
# left when the form is laid out right to left), and four clicks on its down arrow scroll it
# four lines, which stay after each release; Escape closes it.
# Usage: ComboPick.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
read -r cl ct cr cb <<<"$(ri_get "ctl combo")"
sleep 0.3
ri_shot before
xdotool mousemove $(((cl + cr) / 2)) $(((ct + cb) / 2)) click 1
ri_park
sleep 0.3
ri_dump
read -r ll lt lr lb <<<"$(ri_get "ctl combolist")"
[ -n "$ll" ] || ri_fail "a click on the combo box dropped no list"
h=$(ri_get "combo itemheight")
[ "$lt" -ge $((cb - 2)) ] && [ $((lb - lt)) -ge $((5 * h)) ] || ri_fail "the list at $ll $lt $lr $lb is not under the box at $cl $ct $cr $cb with its five items"
ri_shot dropped
ri_mark
xdotool mousemove $(((ll + lr) / 2)) $((lt + 2 + 3 * h + h / 2))
sleep 0.2
xdotool click 1
ri_wait_line '^combo 3$' 3 || ri_fail "a click on the list's fourth item picked none"
ri_park
sleep 0.3
ri_dump
[ -z "$(ri_get "ctl combolist")" ] || ri_fail "the list stayed after the pick"
[ "$(ri_get combo)" = 3 ] || ri_fail "the combo box holds item $(ri_get combo) after the pick"
ri_shot picked
n=$(ri_differ "$KS_OUT/before.png" "$KS_OUT/picked.png" "$cl" "$ct" $((cr - cl)) $((cb - ct)))
[ "$n" -ge 20 ] || ri_fail "the combo box is drawn as before the pick"

xdotool mousemove $(((cl + cr) / 2)) $(((ct + cb) / 2)) click 1
ri_park
sleep 0.3
ri_dump
read -r ll lt lr lb <<<"$(ri_get "ctl combolist")"
read -r kl kt kr kb <<<"$(ri_get "ctl combolistclient")"
[ -n "$ll" ] || ri_fail "a second click on the combo box dropped no list"
top=$(ri_get "combo top")
side=right gap=$((lr - kr)) x=$(((kr + lr) / 2))
[[ " $* " == *" --rtl "* ]] && side=left gap=$((kl - ll)) x=$(((ll + kl) / 2))
[ "$gap" -ge 12 ] || ri_fail "the dropped list at $ll..$lr has no bar at its $side beside its items at $kl..$kr"
ri_shot dropped-again
for i in 1 2 3 4; do
  xdotool mousemove "$x" $((kb - 5))
  sleep 0.1
  xdotool click 1
  sleep 0.15
done
ri_park
ri_wait_dump "combo top" $((top + 4)) 2 ||
  ri_fail "four clicks on the list's down arrow moved its first item from $top to $(ri_get "combo top")"
ri_shot scrolled
xdotool key Escape
ri_wait_dump "combo top" "" 2 || ri_fail "Escape left the list open"
echo "the combo box dropped its list, took the picked item, and its list's arrow scrolled it"
