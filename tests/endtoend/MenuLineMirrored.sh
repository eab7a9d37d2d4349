#!/usr/bin/env bash
# The main menu's first entry opened by the real mouse on the form laid out left to right, then
# on the mirrored one (--rtl): the lit entry reads as written in both, not as its mirror image,
# and its drop-down shows the skin's frame down both its sides, not the system's menu colours.
# Usage: MenuLineMirrored.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
HTMENU=5

# open_first NAME [PROBE SWITCHES...]: a click on the menu line's first entry, near the form's
# leading edge; leaves the screenshot NAME, the row's middle ROW and the drop-down's rectangle.
open_first() {
  local name=$1
  shift
  ri_start "$@"
  read -r fl _ fr _ <<<"$(ri_get form)"
  ri_hit $HTMENU
  ROW=$Y
  local x=$((fl + 22))
  [[ " $* " == *" --rtl "* ]] && x=$((fr - 22))
  xdotool mousemove "$x" "$ROW" click 1
  ri_ask shown "#32768" 3000 >/dev/null || ri_fail "a click on the first entry of the $name menu line opened nothing"
  sleep 0.5
  read -r ML MT MR MB <<<"$(ri_ask rect "#32768")"
  ri_shot "$name"
  xdotool key Escape
  sleep 0.2
  xdotool key Escape
  ri_stop
}

# Pixels of the system's menu colours (white, and Wine's grey edge) in the W columns at X of a
# screenshot, over the drop-down's rows.
system_colours() {
  convert "$1" -crop "${3}x$((MB - MT))+${2}+${MT}" +repage txt:- | grep -ciE '#(FFFFFF|A6A6A6)' || true
}

wrong=()
open_first ltr "$@"
ltr_left=$ML
open_first rtl --rtl "$@"
rtl_right=$MR
for side in "left $ML" "right $((MR - 3))"; do
  read -r name x <<<"$side"
  n=$(system_colours "$KS_OUT/rtl.png" "$x" 3)
  [ "$n" -eq 0 ] || wrong+=("the mirrored drop-down shows the system's menu colours in $n pixels of its $name edge")
done
# The lit entry lies where its drop-down starts: at the drop-down's left on the left-to-right
# form, at its right on the mirrored one. The entry's picture reads the same in both: some
# placement of the one matches the other.
convert "$KS_OUT/ltr.png" -crop "24x14+${ltr_left}+$((ROW - 7))" +repage "$KS_OUT/entry-ltr.png"
convert "$KS_OUT/rtl.png" -crop "40x14+$((rtl_right - 40))+$((ROW - 7))" +repage "$KS_OUT/entry-rtl.png"
best=9999
for d in $(seq 0 16); do
  n=$(ri_differ_at "$KS_OUT/entry-ltr.png" 0 0 "$KS_OUT/entry-rtl.png" "$d" 0 24 14)
  [ "$n" -lt "$best" ] && best=$n
done
[ "$best" -le 8 ] || wrong+=("the mirrored form's lit entry does not read as the left-to-right one: $best pixels differ at best")
[ ${#wrong[@]} -eq 0 ] || ri_fail "$(printf '%s; ' "${wrong[@]}")"
echo "the lit entry reads as written and the drop-down is framed down both sides, mirrored or not"
