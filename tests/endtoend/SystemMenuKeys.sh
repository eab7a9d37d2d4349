#!/usr/bin/env bash
# The form moved and sized by the keyboard from its system menu: Alt+Space opens the menu, M or S
# starts the move or the size, each arrow key moves an edge by 8 pixels (the first arrow of a
# size picks the edge) and Return ends it, the other edges staying put.
# Usage: SystemMenuKeys.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
read -r l t r b <<<"$(ri_get form)"
xdotool mousemove $((r - 60)) $((b - 50)) click 1
ri_park

# keys LETTER KEYS... WANT: the system menu's item by its letter, the keys, Return, and the form then
keys() {
  local letter=$1 want=${*: -1} key
  # The pointer stays where the loop before left it, on the frame (with extended borders, on the
  # border window): a mouse that did not move picks no edge and drags nothing.
  ri_mark
  xdotool key alt+space
  ri_wait_line '^sysCommand F100$' 3 || ri_fail "Alt+Space opened no system menu"
  sleep 0.3
  ri_shot "menu-$letter"
  xdotool key "$letter"
  sleep 0.3
  for key in "${@:2:$#-2}"; do
    xdotool key "$key"
    sleep 0.1
  done
  xdotool key Return
  ri_wait_dump form "$want" 3 || ri_fail "the system menu's $letter and ${*:2:$#-2} left the form at $(ri_get form), not $want"
}
keys m Right Right Right Down Down "$((l + 24)) $((t + 16)) $((r + 24)) $((b + 16))"
keys s Right Right Right "$((l + 24)) $((t + 16)) $((r + 40)) $((b + 16))"
keys s Down Down Down "$((l + 24)) $((t + 16)) $((r + 40)) $((b + 32))"
echo "the keyboard moved and sized the form from its system menu"
