#!/usr/bin/env bash
# The toolbar's check-style button clicked by the real mouse (probe with --bars): it is drawn
# down after a click and up again after the next, as its state says.
# Usage: ToolbarCheck.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start --bars "$@"
read -r cl ct cr cb <<<"$(ri_get "ctl Check")"
[ -n "$cl" ] || ri_fail "the probe reports no toolbar buttons"
sleep 0.3
ri_shot up
cw=$((cr - cl)) ch=$((cb - ct))

# click_check DOWN: a click on the check button, which must report DOWN (1 or 0); N is then how
# many of its pixels differ from its picture before the first click.
click_check() {
  ri_mark
  xdotool mousemove $(((cl + cr) / 2)) $(((ct + cb) / 2)) click 1
  ri_park
  ri_wait_line "^toolbutton Check down=$1\$" 3 || ri_fail "a click on the check button did not report down=$1"
  # The mouse's leave reaches the toolbar on Wine's hover timer, some 400 ms after the click: the
  # look is awaited for up to 3 s rather than read once after a fixed pause.
  local tries
  for tries in $(seq 1 10); do
    sleep 0.3
    ri_shot "check-$1"
    N=$(ri_differ "$KS_OUT/up.png" "$KS_OUT/check-$1.png" "$cl" "$ct" "$cw" "$ch")
    if [ "$1" = 1 ]; then [ "$N" -ge $((cw * ch / 20)) ] && return; else [ "$N" -le $((cw * ch / 100)) ] && return; fi
  done
  # The caller tells what is wrong: a look still wrong after the last try is no reason to end here.
  return 0
}
click_check 1
[ "$N" -ge $((cw * ch / 20)) ] || ri_fail "the check button reports down but is drawn as before the click: $N pixels differ"
click_check 0
[ "$N" -le $((cw * ch / 100)) ] || ri_fail "the check button reports up but is not drawn up again: $N pixels differ"

echo "the check button is drawn as its state says"
