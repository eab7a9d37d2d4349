#!/usr/bin/env bash
# The form moved by a drag of its title, exactly by the drag and keeping its size; then a double
# click on the title maximises it and another restores it where it was.
# Usage: MoveByTitle.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
read -r l t r b <<<"$(ri_get form)"
ri_hit $HTCAPTION
ri_drag "$X" "$Y" $((X + 60)) $((Y + 45))
ri_park
moved="$((l + 60)) $((t + 45)) $((r + 60)) $((b + 45))"
ri_wait_dump form "$moved" 5 || ri_fail "a drag of the title by 60,45 from $X,$Y left the form at $(ri_get form), not $moved"

ri_hit $HTCAPTION
xdotool mousemove "$X" "$Y" click --repeat 2 --delay 80 1
ri_park
ri_wait_dump state maximized 5 || ri_fail "a double click on the title at $X,$Y left the form $(ri_get state)"
sleep 0.3
ri_shot maximized
# Not searched: see TitleButtons.sh; the maximised title's middle is its caption.
X=640 Y=$(($(ri_get form | cut -d' ' -f2) + 12))
[ "$(ri_ask hitat "$X" "$Y" "$PROBE")" = $HTCAPTION ] || ri_fail "the maximised form's title is not at $X,$Y"
xdotool mousemove "$X" "$Y" click --repeat 2 --delay 80 1
ri_park
ri_wait_dump state normal 5 || ri_fail "a double click on the maximised title left the form $(ri_get state)"
ri_wait_dump form "$moved" 5 || ri_fail "the form came back at $(ri_get form), not $moved"
echo "the form moved with its title and maximised and came back by double clicks on it"
