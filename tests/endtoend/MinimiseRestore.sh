#!/usr/bin/env bash
# The form minimised by its title button and restored by a double click on its minimised title:
# the minimised form is drawn as a skinned title (not a black block), and the restored form
# comes back at its place with its frame drawn as before.
# Usage: MinimiseRestore.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
form0=$(ri_get form)
read -r l0 t0 r0 b0 <<<"$form0"
sleep 0.3
ri_shot before

ri_hit $HTMINBUTTON
x=$X y=$Y
xdotool mousemove "$x" "$y" click 1
ri_park
ri_wait_dump state minimized 5 || ri_fail "a click on the minimise button left the form $(ri_get state)"
read -r l t r b <<<"$(ri_get form)"
sleep 0.5
ri_shot minimized
[ $((r - l)) -gt 20 ] && [ $((b - t)) -gt 10 ] || ri_fail "the minimised form is $l $t $r $b"
colours=$(ri_colours "$KS_OUT/minimized.png" "$l" "$t" $((r - l)) $((b - t)))
[ "$colours" -ge 4 ] || ri_fail "the minimised form at $l $t $r $b is drawn in $colours colour(s): a block, not a title"
ri_colours "$KS_OUT/minimized.png" "$l0" "$t0" $((r0 - l0)) $((b0 - t0)) >/dev/null

ri_hit $HTCAPTION
x=$X y=$Y
xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
ri_park
ri_wait_dump state normal 5 || ri_fail "a double click on the minimised title left the form $(ri_get state)"
ri_wait_dump form "$form0" 5 || ri_fail "the form came back at $(ri_get form), not $form0"
sleep 0.5
ri_shot restored
n=$(ri_differ "$KS_OUT/before.png" "$KS_OUT/restored.png" "$l0" "$t0" $((r0 - l0)) 40)
[ "$n" -le 20 ] || ri_fail "the restored form's title differs from before the minimise in $n pixels"
echo "the form minimised to a drawn title and came back as it was"
