#!/usr/bin/env bash
# A skin provider made for a form already shown and painted by the system (probe with --late)
# skins it at once: the frame, with the title button given to the provider after it was made,
# the client and the controls are drawn as those of a form that had its provider from the start.
# Usage: LateProvider.sh [PROBE SWITCHES...]
source "$(dirname "$0")/RealInput.sh"
ri_start "$@"
read -r l t r b <<<"$(ri_get form)"
read -r cl ct cr cb <<<"$(ri_get "ctl formclient")"
memo=memo
[[ " $* " == *" --bars "* ]] && memo=plainmemo
read -r ml mt mr mb <<<"$(ri_get "ctl $memo")"
sleep 0.3
ri_shot early
ri_stop
: >"$REPORT"

ri_start --late "$@"
grep -q '^provider attached$' "$REPORT" || ri_ask shown "$PROBE" 100 >/dev/null
MARK=0
ri_wait_line '^provider attached$' 5 || ri_fail "the probe did not attach its provider"
ri_dump
[ "$(ri_get form)" = "$l $t $r $b" ] || ri_fail "the late-skinned form is at $(ri_get form), not $l $t $r $b"
[ "$(ri_get "ctl formclient")" = "$cl $ct $cr $cb" ] ||
  ri_fail "the late-skinned form's client is at $(ri_get "ctl formclient"), not $cl $ct $cr $cb"
# At once: no input and no repaint asked for, only the time the provider takes to draw.
sleep 0.5
ri_shot late
area=$(((r - l) * (b - t)))
n=$(ri_differ "$KS_OUT/early.png" "$KS_OUT/late.png" "$l" "$t" $((r - l)) $((b - t)))
inner=$(ri_differ "$KS_OUT/early.png" "$KS_OUT/late.png" "$cl" "$ct" $((cr - cl)) $((cb - ct)))
# The focused control may differ: the early form gave it its focus frame and caret.
[ "$n" -le $((area / 50)) ] || ri_fail "the late-skinned form differs in $n of $area pixels from a form skinned from the start"
# The frame is all of the form but its client. Nothing in it depends on focus or a caret: a
# title button's glyph missing is 64 pixels among thousands.
frame=$((n - inner))
[ "$frame" -eq 0 ] || ri_fail "the late-skinned form's frame differs in $frame pixels from a frame skinned from the start"
# The focused memo shows its focus in its own frame as the early one did: the caret inside may
# blink off in one picture, the frame's outer band may not differ.
lit=$(($(ri_differ "$KS_OUT/early.png" "$KS_OUT/late.png" "$ml" "$mt" $((mr - ml)) 2) +
  $(ri_differ "$KS_OUT/early.png" "$KS_OUT/late.png" "$ml" "$mt" 2 $((mb - mt)))))
[ "$lit" -eq 0 ] || ri_fail "the focused $memo's frame differs in $lit pixels from the early one's: it does not show the focus"
echo "the provider made for the shown form drew its frame, client and controls at once"
