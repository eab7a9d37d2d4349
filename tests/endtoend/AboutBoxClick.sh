#!/usr/bin/env bash
# A user's click on the about box's close button, with the real mouse on the X server of the
# test's session: the shipped program is started, its "?" button opens the box, the mouse rests a
# quarter of a second on the box's close button (the button's glow window comes up under it) and
# clicks. The box must be gone every time. Messages sent to the windows, or input sent through the
# platform (which under Wine does not pass through the X server), cannot lose this click; the
# X server's own press and release can.
# Usage: AboutBoxClick.sh KEYSMITH.exe WINDOWPOINT.exe PICTURE.png [ROUNDS]
#   PICTURE.png: the screen of the first round, the mouse resting on the close button
set -euo pipefail
program=$1
point=$2
picture=$3
rounds=${4:-10}

if [ -z "${DISPLAY:-}" ]; then
  echo "no X display: run under tools/wine-session, which starts one" >&2
  exit 1
fi
command -v xdotool >/dev/null || { echo "xdotool is missing (./project installs it)" >&2; exit 1; }

wine "$program" </dev/null >/dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true' EXIT

ask() { wine "$point" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

if ! ask shown TForm1 60000 >/dev/null; then
  echo "the program's main window did not show within 60 s" >&2
  exit 1
fi

closed=0
for round in $(seq 1 "$rounds"); do
  read -r hx hy < <(ask child TForm1 '?') || { echo "round $round: no '?' button on the main window" >&2; exit 1; }
  xdotool mousemove "$hx" "$hy" click 1
  if ! ask shown TForm2 10000 >/dev/null; then
    echo "round $round: the about box did not open" >&2
    exit 1
  fi
  read -r cx cy < <(ask close TForm2) || { echo "round $round: the about box answers no point as its close button" >&2; exit 1; }
  xdotool mousemove "$cx" "$cy"
  sleep 0.25
  if [ "$round" = 1 ]; then
    import -window root "$picture"
  fi
  xdotool click 1
  if ask gone TForm2 3000 >/dev/null; then
    closed=$((closed + 1))
  else
    echo "round $round: the box stayed after the click on its close button at $cx,$cy"
    # Closed as by its system menu, so that the next round can open it again.
    ask dismiss TForm2 || true
    if ! ask gone TForm2 3000 >/dev/null; then
      echo "the box does not close by its system menu either" >&2
      exit 1
    fi
  fi
done
echo "the about box closed $closed of $rounds times by a click on its close button"
[ "$closed" = "$rounds" ]
