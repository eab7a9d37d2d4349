#!/usr/bin/env bash
# A skin provider made for a form already shown (probe with --late --pages) skins the page
# control's page and the check box and radio button on it at once, as a provider made before the
# show does: the page shows the skin's page colour, not the system's, and no box keeps a column
# of the system's picture at its right end, neither at once nor once the mouse has lit it.
# Usage: LatePages.sh [PROBE SWITCHES...]   (--rtl: the form laid out right to left)
source "$(dirname "$0")/RealInput.sh"

# The page's colour in the middle of its lower right quarter, where neither box lies.
page_point() {
  read -r pl pt pr pb <<<"$(ri_get "ctl page")"
  PX=$(((pl + 3 * pr) / 4)) PY=$(((pt + 3 * pb) / 4))
}

ri_start --pages "$@"
page_point
sleep 0.3
ri_shot early
skin_page=$(ri_pixel "$KS_OUT/early.png" "$PX" "$PY")
ri_stop
: >"$REPORT"

ri_start --pages --late "$@"
grep -q '^provider attached$' "$REPORT" || ri_ask shown "$PROBE" 100 >/dev/null
MARK=0
ri_wait_line '^provider attached$' 5 || ri_fail "the probe did not attach its provider"
ri_dump
page_point
# At once: no input and no repaint asked for, only the time the provider takes to draw.
sleep 0.5
ri_shot late
wrong=()
read -r pl pt pr pb <<<"$(ri_get "ctl page")"
n=$(ri_differ "$KS_OUT/early.png" "$KS_OUT/late.png" "$pl" "$pt" $((pr - pl)) $((pb - pt)))
area=$(((pr - pl) * (pb - pt)))
[ "$n" -le $((area / 50)) ] || wrong+=("the late-skinned page differs in $n of $area pixels from a page skinned from the start")
shown=$(ri_pixel "$KS_OUT/late.png" "$PX" "$PY")
[ "$shown" = "$skin_page" ] || wrong+=("the late-skinned page shows $shown, not the skin's page colour $skin_page")

# stale_columns SHOT: the boxes whose last column (the right end of the window) is not what the
# form skinned from the start shows there.
stale_columns() {
  local shot=$1 box l t r b n
  for box in check radio; do
    read -r l t r b <<<"$(ri_get "ctl $box")"
    n=$(ri_differ "$KS_OUT/early.png" "$shot" $((r - 1)) "$t" 1 $((b - t)))
    [ "$n" -eq 0 ] || echo "$box"
  done
}
for box in $(stale_columns "$KS_OUT/late.png"); do
  wrong+=("the late-skinned $box keeps the system's picture in the column at its right end")
done
# Lit by the mouse and left again, each box is painted anew. A box is let go when another
# control is lit: the mouse goes on to the memo before it leaves the form.
for box in check radio memo; do
  read -r l t r b <<<"$(ri_get "ctl $box")"
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2))
  sleep 0.3
done
ri_park
sleep 0.3
ri_shot repainted
for box in $(stale_columns "$KS_OUT/repainted.png"); do
  wrong+=("the late-skinned $box keeps the system's picture in the column at its right end once repainted")
done
[ ${#wrong[@]} -eq 0 ] || ri_fail "$(printf '%s; ' "${wrong[@]}")"
echo "the provider made for the shown form skinned the page and its boxes at once"
