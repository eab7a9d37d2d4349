#!/usr/bin/env bash
# The report-style list view's column header under the real mouse (probe with --bars): an item
# lit by the hover goes out when the mouse leaves across the header's top edge, straight off the
# list, both after a plain hover and after a drag of a divider.
# Usage: HeaderLeave.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start --bars "$@"
read -r hl ht hr hb <<<"$(ri_get "ctl listheader")"
[ -n "$hl" ] || ri_fail "the probe reports no list header"
hw=$((hr - hl)) hh=$((hb - ht))
y=$(((ht + hb) / 2))
# The first column is 120 pixels wide: at the header's left end, and at its right end on a list
# laid out right to left.
if [[ " $* " == *" --rtl "* ]]; then item=$((hr - 60)) divider=$((hr - 120)) step=-30; else item=$((hl + 60)) divider=$((hl + 120)) step=30; fi
above=$((ht - 8))
sleep 0.3
ri_shot up
differ() { ri_differ "$KS_OUT/up.png" "$KS_OUT/$1.png" "$hl" "$ht" "$hw" "$hh"; }

xdotool mousemove "$item" "$y"
sleep 0.5
ri_shot hot
n=$(differ hot)
[ "$n" -ge $((hw * hh / 50)) ] || ri_fail "the hovered header item is not drawn lit: $n pixels differ from before"

# left NAME: the header must look as before the hover within 3 s of the mouse's leave, which
# reaches the header on Wine's hover timer.
left() {
  xdotool mousemove "$item" "$above"
  for _ in $(seq 1 10); do
    sleep 0.3
    ri_shot "$1"
    n=$(differ "$1")
    [ "$n" -le $((hw * hh / 100)) ] && return 0
  done
  ri_fail "the header item stays lit after the mouse left across the header's top edge ($1): $n pixels differ from before"
}
left left-hover

# A divider dragged out and back, so that the columns are as before, released on the header.
xdotool mousemove "$divider" "$y"
sleep 0.3
xdotool mousedown 1
for i in 1 2 3 4 5 4 3 2 1 0; do
  xdotool mousemove $((divider + step * i / 5)) "$y"
  sleep 0.03
done
sleep 0.1
xdotool mouseup 1
sleep 0.1
left left-drag
ri_park
echo "the header item goes out when the mouse leaves across the header"
