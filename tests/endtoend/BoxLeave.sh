#!/usr/bin/env bash
# The check box and the radio button on the probe's page (probe with --pages) go out when the
# mouse jumps from them straight off the form to the desktop, with no move over the form between
# that would light something else.
# Usage: BoxLeave.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start --pages "$@"
ri_dump
ri_park
sleep 0.5
ri_shot up
wrong=()
for box in check radio; do
  read -r l t r b <<<"$(ri_get "ctl $box")"
  [ -n "$l" ] || ri_fail "the probe reports no $box"
  differ() { ri_differ "$KS_OUT/up.png" "$KS_OUT/$1.png" "$l" "$t" $((r - l)) $((b - t)); }
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2))
  sleep 0.5
  ri_shot "$box-hot"
  [ "$(differ "$box-hot")" -gt 0 ] || ri_fail "the hovered $box is not drawn lit"
  ri_park
  # Wine tells of the leave on its hover timer: within 3 s.
  for _ in $(seq 1 10); do
    sleep 0.3
    ri_shot "$box-left"
    n=$(differ "$box-left")
    [ "$n" -eq 0 ] && break
  done
  [ "$n" -eq 0 ] || wrong+=("the $box stays lit after the mouse left the form from it: $n pixels differ from before")
done
[ ${#wrong[@]} -eq 0 ] || ri_fail "$(printf '%s; ' "${wrong[@]}")"
echo "the check box and the radio button go out when the mouse leaves the form from them"
