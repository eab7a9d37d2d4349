#!/usr/bin/env bash
# An MDI main form maximised by its own button, with a maximised child (probe with --mdi): File
# pressed on the menu line is lit and leaves the rest of the line as it was, "Window" beside it
# and the child's icon at the line's start; and a click on the child's restore button in the menu line
# restores the child. With --rtl the line runs from the form's right edge.
# Usage: MDIMaximised.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
# The main form of an MDI application is a plain form.
PROBE=TForm
HTMENU=5 HTMDIMAX=102
rtl=
[[ " $* " == *" --rtl "* ]] && rtl=1

ri_start --mdi "$@"
ri_hit $HTMAXBUTTON
xdotool mousemove "$X" "$Y" click 1
ri_wait_dump state maximized 5 || ri_fail "a click on the main form's maximise button did not maximise it"
ri_park
sleep 0.5
read -r fl _ fr _ <<<"$(ri_get form)"
ri_hit $HTMENU
row=$Y
# along: the screen column D pixels along the line from its start.
along() { if [ -n "$rtl" ]; then echo $((fr - $1)); else echo $((fl + $1)); fi; }
ri_shot before
xdotool mousemove "$(along 34)" "$row" mousedown 1
sleep 0.5
ri_shot pressed
xdotool mouseup 1
sleep 0.2
xdotool key Escape
sleep 0.2
xdotool key Escape
ri_park
sleep 0.3
wrong=()
# File's own place shows its lit look; the child's icon and most of "Window" are unchanged.
x=$(along 47)
[ -n "$rtl" ] || x=$(along 22)
n=$(ri_differ "$KS_OUT/before.png" "$KS_OUT/pressed.png" "$x" $((row - 7)) 25 14)
[ "$n" -ge 100 ] || wrong+=("pressing File changed only $n pixels of its place: it is not lit")
for part in "icon 6 18" "Window 53 95"; do
  read -r name from to <<<"$part"
  x=$(along "$to")
  [ -n "$rtl" ] || x=$(along "$from")
  n=$(ri_differ "$KS_OUT/before.png" "$KS_OUT/pressed.png" "$x" $((row - 7)) $((to - from)) 14)
  [ "$n" -le 2 ] || wrong+=("pressing File changed $n pixels of the menu line's $name")
done

ri_hit $HTMDIMAX
ri_mark
xdotool mousemove "$X" "$Y" click 1
ri_wait_line '^child sysCommand F120$' 3 || wrong+=("a click on the child's restore button in the menu line sent it no restore")
ri_wait_line '^child state normal$' 3 || wrong+=("the child is not restored")
[ ${#wrong[@]} -eq 0 ] || ri_fail "$(printf '%s; ' "${wrong[@]}")"
echo "under the maximised main form the menu line keeps its items and the child's button restores it"
