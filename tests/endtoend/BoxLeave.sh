#!/usr/bin/env bash
# The check box and the radio button on the probe's page, the push button and the bit button
# below its memo (probe with --pages), its first speed button, and the Cancel button of a message
# box go out when the mouse jumps from them straight off the form or the dialog to the desktop,
# with no move over the window between that would light something else.
# Usage: BoxLeave.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start --pages "$@"
ri_dump
ri_park
sleep 0.5
ri_shot up
wrong=()

# leaves NAME BEFORE L T R B: the control in the rectangle is lit under the mouse and, once the
# mouse has jumped to the desktop, looks as in the shot BEFORE again.
leaves() {
  local name=$1 before=$2 l=$3 t=$4 r=$5 b=$6 n
  differ() { ri_differ "$KS_OUT/$before.png" "$KS_OUT/$1.png" "$l" "$t" $((r - l)) $((b - t)); }
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2))
  sleep 0.5
  ri_shot "$name-hot"
  [ "$(differ "$name-hot")" -gt 0 ] || ri_fail "the hovered $name is not drawn lit"
  ri_park
  # Wine tells of the leave on its hover timer: within 3 s.
  for _ in $(seq 1 10); do
    sleep 0.3
    ri_shot "$name-left"
    n=$(differ "$name-left")
    [ "$n" -eq 0 ] && break
  done
  [ "$n" -eq 0 ] || wrong+=("the $name stays lit after the mouse left its window from it: $n pixels differ from before")
}

for box in check radio push bit Speed1; do
  read -r l t r b <<<"$(ri_get "ctl $box")"
  [ -n "$l" ] || ri_fail "the probe reports no $box"
  leaves "$box" up "$l" "$t" "$r" "$b"
done

# The dialog's buttons are the platform's own windows, which ask for no news of the leave.
ri_ask dialog "$PROBE" 1 || ri_fail "the probe took no dialog request"
ri_ask shown '#32770' 10000 >/dev/null || ri_fail "the message box did not show"
sleep 0.5
read -r x y <<<"$(ri_ask child '#32770' Cancel)"
[ -n "$x" ] || ri_fail "the message box has no Cancel button"
ri_shot dialog-up
# The middle of the button, its caption included.
leaves cancel dialog-up $((x - 30)) $((y - 8)) $((x + 30)) $((y + 8))
ri_ask dismiss '#32770' >/dev/null || true

[ ${#wrong[@]} -eq 0 ] || ri_fail "$(printf '%s; ' "${wrong[@]}")"
echo "the boxes, the buttons and the dialog's button go out when the mouse leaves their window from them"
