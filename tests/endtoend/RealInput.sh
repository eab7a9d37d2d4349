# The shared driver of the real-input tests, sourced by each script. The scripts run inside
# tools/wine-session (DISPLAY, Xvfb at 1280x1024x24, no window manager) and get from CTest:
#   KS_PROBE         the probe program (Probe.cpp)
#   KS_WINDOW_POINT  the program that answers where things are (WindowPoint.cpp)
#   KS_OUT           a folder for the probe's report and the screenshots people look at
# A script calls ri_start once with the probe's switches, then drives the real mouse and keys
# with xdotool and checks the probe's report and the screen's pixels. Waits are polls.
set -euo pipefail

HTCAPTION=2 HTMINBUTTON=8 HTMAXBUTTON=9 HTLEFT=10 HTRIGHT=11 HTTOP=12 HTTOPLEFT=13 HTTOPRIGHT=14
HTBOTTOM=15 HTBOTTOMLEFT=16 HTBOTTOMRIGHT=17 HTCLOSE=20 HTUDBTN=1000
PROBE=TProbeForm

if [ -z "${DISPLAY:-}" ]; then
  echo "no X display: run under tools/wine-session, which starts one" >&2
  exit 1
fi
command -v xdotool >/dev/null || { echo "xdotool is missing (./project installs it)" >&2; exit 1; }

mkdir -p "$KS_OUT"
REPORT=$KS_OUT/report.txt
rm -f "$REPORT" "$KS_OUT"/*.png
: >"$REPORT"
ri_pid=
MARK=0
DUMP=

ri_stop() {
  if [ -n "$ri_pid" ] && kill -0 "$ri_pid" 2>/dev/null; then
    ri_ask dismiss "$PROBE" >/dev/null 2>&1 || true
    for _ in $(seq 1 30); do kill -0 "$ri_pid" 2>/dev/null || break; sleep 0.1; done
    kill "$ri_pid" 2>/dev/null || true
  fi
  [ -z "$ri_pid" ] || wait "$ri_pid" 2>/dev/null || true
  ri_pid=
}
trap ri_stop EXIT

ri_ask() { wine "$KS_WINDOW_POINT" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

ri_fail() {
  echo "FAIL: $*" >&2
  ri_shot failure
  if [ -n "$ri_pid" ] && ! kill -0 "$ri_pid" 2>/dev/null; then
    echo "--- the probe has ended; what it wrote to its error output ---" >&2
    tail -n 40 "$KS_OUT/probe.err" >&2
  fi
  echo "--- the probe's report (last lines) ---" >&2
  tail -n 25 "$REPORT" >&2
  exit 1
}

# The screen now, as $KS_OUT/NAME.png.
ri_shot() { import -window root "$KS_OUT/$1.png"; }

# Starts the probe with the given switches and waits until its form is shown and answers.
ri_start() {
  # The form's first pictures do not depend on where the screen or the script before left the
  # pointer.
  ri_park
  # Wine writes a fault of the probe to its error output.
  wine "$KS_PROBE" "--report=Z:$REPORT" "$@" </dev/null >/dev/null 2>"$KS_OUT/probe.err" &
  ri_pid=$!
  ri_ask shown "$PROBE" 60000 >/dev/null || ri_fail "the probe's form did not show within 60 s"
  grep -q '^skin 1' "$REPORT" || ri_fail "the probe has no skin"
  ri_dump
  ri_park
}

# Remembers the report's length: ri_wait_line looks only at lines written after it.
ri_mark() { MARK=$(wc -l <"$REPORT"); }

# Waits up to SECONDS for a line matching the extended regular expression after the mark.
ri_wait_line() {
  local pattern=$1 seconds=${2:-5} end
  end=$(($(date +%s%N) / 1000000 + seconds * 1000))
  while [ $(($(date +%s%N) / 1000000)) -lt "$end" ]; do
    tail -n +$((MARK + 1)) "$REPORT" | grep -Eq -- "$pattern" && return 0
    sleep 0.05
  done
  return 1
}

# Whether a line matching the pattern came after the mark.
ri_seen() { tail -n +$((MARK + 1)) "$REPORT" | grep -Eq -- "$1"; }

# The probe's state now, in DUMP.
ri_dump() {
  local before
  before=$(wc -l <"$REPORT")
  ri_ask dump "$PROBE" || ri_fail "the probe does not answer"
  DUMP=$(tail -n +$((before + 1)) "$REPORT" | sed -n '/^dump$/,/^end$/p')
}

# The value of a dump line: ri_get "form" prints "L T R B".
ri_get() { printf '%s\n' "$DUMP" | awk -v k="$1" 'index($0, k " ") == 1 { print substr($0, length(k) + 2); exit }'; }

# Polls the dump until ri_get KEY equals VALUE, for up to SECONDS.
ri_wait_dump() {
  local key=$1 value=$2 seconds=${3:-5} end
  end=$(($(date +%s%N) / 1000000 + seconds * 1000))
  while :; do
    ri_dump
    [ "$(ri_get "$key")" = "$value" ] && return 0
    [ $(($(date +%s%N) / 1000000)) -lt "$end" ] || return 1
    sleep 0.1
  done
}

# Sets X and Y to a point of the form's window answering hit-test code CODE.
ri_hit() {
  local p
  p=$(ri_ask hit "$PROBE" "$1") && [ -n "$p" ] || ri_fail "no point answers hit-test code $1"
  read -r X Y <<<"$p"
}

# The mouse away from the form, on the bare desktop: no hover state in the pictures.
ri_park() { xdotool mousemove 1270 1010; }

# A press at X1 Y1, a move in steps to X2 Y2 and a release there.
ri_drag() {
  local x1=$1 y1=$2 x2=$3 y2=$4 i
  xdotool mousemove "$x1" "$y1"
  sleep 0.1
  xdotool mousedown 1
  for i in 1 2 3 4 5; do
    xdotool mousemove $((x1 + (x2 - x1) * i / 5)) $((y1 + (y2 - y1) * i / 5))
    sleep 0.03
  done
  sleep 0.1
  xdotool mouseup 1
}

# The colour of a pixel of a screenshot, as rrggbb.
ri_pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: | tr 'A-F' 'a-f' | cut -c1-6; }

# Pixels of the W x H area at X1 Y1 of one screenshot that differ from the area at X2 Y2 of another.
ri_differ_at() {
  local a=$1 x1=$2 y1=$3 b=$4 x2=$5 y2=$6 w=$7 h=$8
  convert "$a" -crop "${w}x${h}+${x1}+${y1}" +repage "$KS_OUT/crop-a.png"
  convert "$b" -crop "${w}x${h}+${x2}+${y2}" +repage "$KS_OUT/crop-b.png"
  compare -metric AE "$KS_OUT/crop-a.png" "$KS_OUT/crop-b.png" null: 2>&1 | cut -d' ' -f1 || true
  rm -f "$KS_OUT/crop-a.png" "$KS_OUT/crop-b.png"
}

# The same for the same area of both.
ri_differ() { ri_differ_at "$1" "$3" "$4" "$2" "$3" "$4" "$5" "$6"; }

# How many colours the W x H area at X Y of a screenshot has.
ri_colours() { convert "$1" -crop "$4x$5+$2+$3" +repage -format '%k' info:; }
