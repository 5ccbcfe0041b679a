#!/usr/bin/env bash
# The real program under a virtual X server, driven by key presses as a
# person would: open a copy of the large example, type an elevation into the
# cell under the cursor and save at once with Ctrl+S (the value still in the
# cell's editor must be saved), open and close a menu with
# Esc, systematize it with ratio 1,25 (F9), save (Ctrl+S), paste a
# spreadsheet's rows ending in empty cells over older elevations, see the
# warning and save again, paste a text with unreadable fields and see the
# warning, open the help (F1) and quit with
# "Sair" while it is open (not keeping the pasted change); then read the
# saved file with nivora-cli.
# Usage: program_flow.sh NIVORA NIVORA_CLI EXAMPLE WORK_FOLDER
set -euo pipefail

# The elevation typed, and as nivora-cli writes it.
typed="535,902"
typed_cli="535.902"

# Every wait is for something the program shows: a window appears or goes, a
# menu opens or closes, the clipboard holds a text. Each is bounded; a step
# that does not happen fails the run, which is never retried.

# Runs "$@" every 50 ms until it succeeds, for at most 30 seconds.
poll() {
  local deadline=$((SECONDS + 30))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# The id of the first visible window whose name matches, waited for.
window() {
  local id
  id=$(timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -1) || true
  if [ -z "$id" ]; then
    echo "no window named $1" >&2
    return 1
  fi
  echo "$id"
}

# Waits until no visible window's name matches: a modal dialog that is still
# up would swallow the keys meant for the frame.
no_window() { ! xdotool search --onlyvisible --name "$1" >/dev/null; }
gone() {
  if ! poll no_window "$1"; then
    echo "the window $1 did not close" >&2
    return 1
  fi
}

# A menu that opens is a new window of the program's. A key that opens or
# closes one is taken only after the keys before it, so waiting for the menu
# also waits for everything typed before.
program_windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort || true; }
new_window() { comm -13 <(echo "$1") <(program_windows) | head -1 | grep .; }
not_shown() { ! program_windows | grep -qx "$1"; }
# open_menu KEY: presses KEY and prints the id of the menu it opened.
open_menu() {
  local before menu
  before=$(program_windows)
  xdotool key "$1"
  if ! menu=$(poll new_window "$before"); then
    echo "$1 opened no menu" >&2
    import -window root "$work/failed.png" || true
    return 1
  fi
  echo "$menu"
}
# close_menu MENU KEY: presses KEY and waits for MENU to close.
close_menu() {
  xdotool key "$2"
  if ! poll not_shown "$1"; then
    echo "$2 did not close the menu" >&2
    return 1
  fi
}

only_frame() { [ "$(program_windows)" = "$frame" ]; }

# The text of the cell under the cursor a project was saved with, as
# nivora-cli's grid writes it (the used rectangle, tab-separated).
cursor_cell() {
  local info col row left top
  info=$("$cli" info "$1") || return 1
  col=$(echo "$info" | sed -E 's/.*"View":\{"Col":([0-9]+).*/\1/')
  row=$(echo "$info" | sed -E 's/.*"View":\{"Col":[0-9]+,"Row":([0-9]+).*/\1/')
  left=$(echo "$info" | sed -E 's/.*"UsedRect":\[([0-9]+),.*/\1/')
  top=$(echo "$info" | sed -E 's/.*"UsedRect":\[[0-9]+,([0-9]+),.*/\1/')
  "$cli" grid "$1" | sed -n "$((row - top + 1))p" | cut -f"$((col - left + 1))"
}
typed_is_saved() { [ "$(cursor_cell "$work/CAMPO.NVR")" = "$typed_cli" ]; }

clipboard_is() { [ "$(xclip -o -selection clipboard 2>/dev/null | tr -d '\r')" = "$1" ]; }

# A spreadsheet's text with fields that are not numbers (a thousands point, a
# unit, a Unicode minus), pasted with Ctrl+V into the saved document: one
# warning box must say so.
paste_with_lost_fields() {
  local text
  text=$(printf '1.234,5\t9 m\t\xe2\x88\x925\t4')
  printf '%s\r\n' "$text" | xclip -selection clipboard >/dev/null 2>&1
  # The clipboard is taken once xclip answers with the text: the program hears
  # of the new owner before the key press that follows.
  if ! poll clipboard_is "$text"; then
    echo "the clipboard did not take the text" >&2
    return 1
  fi
  xdotool windowfocus --sync "$frame"
  xdotool key ctrl+v
  local warning
  if ! warning=$(window '^Warning$'); then
    echo "no warning after a paste with unreadable fields" >&2
    return 1
  fi
  import -window root "$work/paste-warning.png" || true
  xdotool windowfocus --sync "$warning"
  xdotool key Return
  gone '^Warning$'
}

# A spreadsheet's two rows, the first ending in two empty cells written as one
# tab each, pasted at the active cell (40, 60), which holds elevations: the
# empty cells clear theirs, and the warning says how many. Saved for the
# check of the file below.
paste_over_older_data() {
  local text
  text=$(printf '101,5\t102,5\t\t\r\n103,5\t104,5\t105,5\t106,5')
  printf '%s\r\n' "$text" | xclip -selection clipboard >/dev/null 2>&1
  if ! poll clipboard_is "$(printf '%s' "$text" | tr -d '\r')"; then
    echo "the clipboard did not take the spreadsheet's rows" >&2
    return 1
  fi
  xdotool windowfocus --sync "$frame"
  xdotool key ctrl+v
  local warning
  if ! warning=$(window '^Warning$'); then
    echo "no warning after a paste that cleared elevations" >&2
    return 1
  fi
  import -window root "$work/paste-cleared.png" || true
  xdotool windowfocus --sync "$warning"
  xdotool key Return
  gone '^Warning$'
  xdotool windowfocus --sync "$frame"
  xdotool key ctrl+s
}

# Alt+D ticks the box as a click does, shown pressed for a moment first; then
# the ratio box is enabled and takes the focus. Keys typed before that would
# reach the dialog's other controls, so Ctrl+A Ctrl+C is pressed until the
# ratio box copies its text (the last ratio, 1.3 at the start).
copy_ratio() {
  xdotool key ctrl+a ctrl+c
  clipboard_is 1.3
}
tick_ratio() {
  printf 'nada' | xclip -selection clipboard >/dev/null 2>&1
  poll clipboard_is nada
  xdotool key alt+d
  if ! poll copy_ratio; then
    echo "the ratio box did not take the focus after Alt+D" >&2
    return 1
  fi
}

# Inside the virtual display (the script runs itself there).
run_in_x() {
  export LC_ALL=C.UTF-8 LANG=C.UTF-8
  export QT_QPA_PLATFORM=xcb  # a real window, whatever the caller's setting
  "$nivora" >"$work/nivora.log" 2>&1 &
  pid=$!
  # A failed step leaves no program behind.
  trap 'kill "$pid" 2>/dev/null || true' EXIT
  frame=$(window '^Nivora 1.0$')
  # The opening screen first.
  local about
  about=$(window '^Sobre o Nivora$')
  xdotool windowfocus --sync "$about"
  xdotool key Return
  gone '^Sobre o Nivora$'
  xdotool windowfocus --sync "$frame"
  xdotool key ctrl+a
  local dialog
  dialog=$(window '^Abrir$')
  xdotool windowfocus --sync "$dialog"
  xdotool type --delay 20 "$work/CAMPO.NVR"
  xdotool key Return
  gone '^Abrir$'
  # The file name box's completion list may outlive the dialog for a moment:
  # an open pop-up takes the keys meant for the frame.
  if ! poll only_frame; then
    echo "windows left open after Abrir" >&2
    return 1
  fi
  xdotool windowfocus --sync "$frame"
  # An elevation typed into the cell under the cursor, and Ctrl+S while it is
  # still in the cell's editor: the file gets it.
  xdotool type --delay 20 "$typed"
  xdotool key ctrl+s
  if ! poll typed_is_saved; then
    echo "Ctrl+S did not save the value still being typed ($(cursor_cell "$work/CAMPO.NVR"))" >&2
    import -window root "$work/failed.png" || true
    return 1
  fi
  # "Cálculos" opened and closed with Esc leaves the menu bar with the focus:
  # F9 must still reach the frame.
  local menu
  menu=$(open_menu alt+c)
  close_menu "$menu" Escape
  xdotool key F9
  dialog=$(window '^Sistematizar\.\.\.$')
  xdotool windowfocus --sync "$dialog"
  tick_ratio
  xdotool type --delay 20 "1,25"
  xdotool key Return
  gone '^Sistematizar\.\.\.$'
  # Ctrl+S saves the document, which is the active one again after a click
  # on the frame's menu would not be: the Window menu's first entry. The
  # systematization takes no key presses while it runs, so the menu opens
  # once it is over.
  xdotool windowfocus --sync "$frame"
  menu=$(open_menu alt+j)
  close_menu "$menu" 1
  import -window root "$work/screenshot.png" || true
  xdotool key ctrl+s
  paste_over_older_data
  paste_with_lost_fields
  # The help window (F1) belongs to the frame: "Sair" with it open ends the
  # program. The pasted change is not kept: "No" to the save question.
  xdotool windowfocus --sync "$frame"
  xdotool key F1
  window '^Ajuda do Nivora$' >/dev/null
  xdotool windowfocus --sync "$frame"
  open_menu alt+a >/dev/null
  xdotool key r
  local confirm
  if ! confirm=$(window '^Confirm$'); then
    echo "Sair did not ask about the pasted change" >&2
    return 1
  fi
  xdotool windowfocus --sync "$confirm"
  xdotool key alt+n
  if ! timeout 10 tail --pid="$pid" -s 0.1 -f /dev/null; then
    echo "the program still runs after Sair with the help window open" >&2
    return 1
  fi
  trap - EXIT
  wait "$pid" 2>/dev/null || true
}
if [ "${1:-}" = "--in-x" ]; then
  nivora=$2 work=$3 cli=$4
  run_in_x
  exit 0
fi

nivora=$1 cli=$2 example=$3 work=$4

# One run of the flow, then the check of the file it saved.
rm -rf "$work"
mkdir -p "$work"
cp "$example" "$work/CAMPO.NVR"
xvfb-run -a -s "-screen 0 1280x800x24" "$0" --in-x "$nivora" "$work" "$cli"
info=$("$cli" info "$work/CAMPO.NVR")
if ! echo "$info" | grep -q '"PlaneComputed":true'; then
  echo "the saved file has no plane"
  exit 1
fi
ratio=$(echo "$info" | sed -E 's/.*"Plans":\[\{[^}]*\},\{[^}]*"CutFillRatio":([0-9.]+).*/\1/')
case "$ratio" in
  1.24*|1.25*) ;;
  *) echo "best plan ratio $ratio, expected 1.25"; exit 1 ;;
esac
# The pasted rows, and no older elevation left where a field was empty. The
# grid text covers the used rectangle, which starts at column 4 and row 1.
pasted=$("$cli" grid "$work/CAMPO.NVR" --decimals 2 | sed -n '60,61p' | cut -f37-40 | tr -d '\r')
expected=$(printf '101.50\t102.50\t\t\n103.50\t104.50\t105.50\t106.50')
if [ "$pasted" != "$expected" ]; then
  echo "rows 60-61, columns 40-43 after the paste:"
  echo "$pasted"
  exit 1
fi
echo "program flow passed: ratio $ratio, screenshot in $work/screenshot.png"
