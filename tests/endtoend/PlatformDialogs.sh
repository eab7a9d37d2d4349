#!/usr/bin/env bash
# The platform's dialogs on the program's skin, each closed every way a user closes one: its
# close button clicked once the hover has lit it, Escape, Enter, Alt+F4, and the system menu's
# Close chosen by the mouse (the title's icon, then the item) and by the keyboard (Alt+Space, the
# last item by Up, Return). After each the probe still runs, the dialog returned what the way
# means (Enter takes the default button; every other way cancels) and no adapter of the skin
# holds a dialog or a window the dialog left.
# Usage: PlatformDialogs.sh --dialogs=KIND,KIND... [PROBE SWITCHES...]
#   kinds: 1 short message box, 2 a message box with "&" in its text, 3 a long one, 4 the colour
#   dialog fully open, 5 the font dialog, 6 the open dialog
source "$(dirname "$0")/RealInput.sh"
kinds=
switches=()
for a in "$@"; do
  case $a in
    --dialogs=*) kinds=${a#--dialogs=} ;;
    *) switches+=("$a") ;;
  esac
done
[ -n "$kinds" ] || { echo "usage: PlatformDialogs.sh --dialogs=KIND,... [PROBE SWITCHES...]" >&2; exit 2; }
ri_start "${switches[@]}"
HTSYSMENU=3 DIALOG='#32770'

# open KIND: the dialog shown and its frame laid out.
open() {
  ri_mark
  ri_ask dialog "$PROBE" "$1" || ri_fail "the probe took no dialog request"
  ri_ask shown "$DIALOG" 10000 >/dev/null || ri_fail "dialog $1 did not show"
  sleep 0.5
}

# point CODE: X and Y of the dialog's area answering hit-test CODE, where a click meets it.
point() {
  local p
  p=$(ri_ask dialoghit "$PROBE" "$1") && [ -n "$p" ] || ri_fail "no point of dialog $kind answers hit-test code $1"
  read -r X Y <<<"$p"
}

# sysmenu_up WHAT: waits for the system menu WHAT opened on the dialog.
sysmenu_up() {
  ri_ask shown '#32768' 3000 >/dev/null || ri_fail "$1 opened no system menu on dialog $kind"
  sleep 0.3
}

close_by() {
  case $1 in
    lit-close)
      point $HTCLOSE
      xdotool mousemove "$X" "$Y"
      # Long enough for the glow to come up and stand.
      sleep 0.8
      ri_shot "lit-$kind"
      xdotool click 1 ;;
    escape) xdotool key Escape ;;
    enter) xdotool key Return ;;
    alt-f4) xdotool key alt+F4 ;;
    menu-mouse)
      point $HTSYSMENU
      xdotool mousemove "$X" "$Y" click 1
      sysmenu_up "a click on the title's icon"
      read -r ml mt mr mb <<<"$(ri_ask rect '#32768')"
      # Close is the menu's last item.
      xdotool mousemove $(((ml + mr) / 2)) $((mb - 10))
      sleep 0.2
      xdotool click 1 ;;
    menu-keys)
      xdotool key alt+space
      sysmenu_up "Alt+Space"
      xdotool key Up
      sleep 0.1
      xdotool key Return ;;
  esac
}

for kind in ${kinds//,/ }; do
  for way in lit-close escape enter alt-f4 menu-mouse menu-keys; do
    want=0
    [ "$way" = enter ] && want=1
    # A message box answers its Cancel button's code, a common dialog false.
    [ "$kind" -le 3 ] && want=$((want == 1 ? 1 : 2))
    open "$kind"
    close_by "$way"
    ri_park
    if ! ri_wait_line "^dialog $kind " 5; then
      kill -0 "$ri_pid" 2>/dev/null || ri_fail "the probe ended when dialog $kind was closed by $way"
      ri_ask gone "$DIALOG" 100 >/dev/null && ri_fail "dialog $kind closed by $way never returned"
      ri_fail "dialog $kind did not close by $way"
    fi
    line=$(tail -n +$((MARK + 1)) "$REPORT" | grep -E "^dialog $kind " | head -n 1)
    [ "$line" = "dialog $kind result $want held 0 adapted 0" ] ||
      ri_fail "dialog $kind closed by $way: '$line', not 'result $want held 0 adapted 0'"
    # What the dialog left behind still runs for a moment: the probe must outlive it.
    sleep 0.3
    kill -0 "$ri_pid" 2>/dev/null || ri_fail "the probe ended after dialog $kind closed by $way had returned"
  done
done
echo "dialogs $kinds closed every way returned what each way means and left nothing held"
