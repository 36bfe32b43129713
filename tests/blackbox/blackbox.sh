#!/usr/bin/env bash
# Runs bin/tolvane under Xvfb against velumo-sim on a private JACK server and
# drives it as a user does, with xdotool: clicks at canvas coordinates, menu
# keys, paths typed into the Qt file dialogs, Return on the message boxes.
#
#   1. browse to preset 39, whose two user IRs are not cached
#   2. import a WAV file into IR positions 7 and 8 with the IR page's buttons
#   3. export the preset to a file, go to preset 38 and import the file there
#   4. Export All to a backup, change a stored preset, Import All the backup
#   5. a firmware update that the pedal's boot loader fails
#   6. quit as at logout (SIGTERM)
#
# After each step: the program's stderr holds no Qt thread warning, the
# window still repaints (a screenshot changes when DRIVE is turned, and the
# pedal hears it), and the simulator's memory shows what the user did.
# Screenshots are kept in the output folder.
#
# Usage: blackbox.sh BIN_DIR OUT_DIR      (exit 77: skipped)
set -uo pipefail
bin=$1
out=$2
mkdir -p "$out"
here=$(dirname "$0")
source "$here/lib.sh" || { echo "FAIL: $here/lib.sh could not be read"; exit 1; }

bb_require_tools
tmp=$(mktemp -d)
trap bb_cleanup EXIT
bb_start_all

presets_cached() { [ "$(ls "$XDG_DATA_HOME/Tolvane/Presets" 2>/dev/null | wc -l)" -ge 128 ]; }
until_true 60 presets_cached || fail "the presets were not loaded"
until_true 30 link_quiet || fail "the link never went quiet after connecting"
shot 01-connected
no_thread_warning "connecting"

# ---- 1. Browse to preset 39 (two user IRs not cached) ------------------------------
progress "browse to preset 39"
# Seven wheel notches down the list: rows 21..39 are shown, 39 at the bottom.
read -r x y <<<"$(at 100 600)"
xdotool mousemove "$x" "$y"
for _ in 1 2 3 4 5 6 7; do xdotool click 5; sleep 0.1; done
click_at 100 $((228 + 50 * 18 + 20))
on_preset() { [ "$(sim_field preset)" = "$1" ]; }
until_true 20 on_preset 39 || fail "the pedal is on preset $(sim_field preset), not 39"
user_irs_cached() { [ -f "$XDG_DATA_HOME/Tolvane/User IRs/010.dat" ] && [ -f "$XDG_DATA_HOME/Tolvane/User IRs/011.dat" ]; }
until_true 30 user_irs_cached || fail "preset 39's user IRs (slots 9 and 10) were not downloaded"
until_true 30 link_quiet || fail "the link never went quiet after browsing"
shot 02-preset-39
no_thread_warning "browsing to preset 39"
repaints_and_reaches_pedal 03-drive-on-39

# ---- 2. WAV files into IR positions 7 and 8 (slots 39 and 167) -----------------------
progress "import WAV files into IR positions 7 and 8"
# ir_imported NAME SLOT MODE_PARAM NUMBER_PARAM: the pedal stores the IR under
# NAME in SLOT, and its preset has the position on "user" with SLOT as the
# IR number (high part in NUMBER_PARAM, low part in the next one).
ir_imported() {
  [ "$(sim_user_ir_name "$2")" = "$1" ] && [ "$(sim_edit_param "$3")" = 1 ] &&
    [ "$(sim_edit_param "$4")" = $(($2 >> 7)) ] && [ "$(sim_edit_param $(($4 + 1)))" = $(($2 & 127)) ]
}
# import_ir BUTTON_Y NAME SLOT MODE_PARAM NUMBER_PARAM: IMPORT on the IR page,
# a WAV file chosen in the dialog, and what the pedal has then.
import_ir() {
  make_wav "$tmp/$2.wav" 2000
  click_at 1019 "$1"
  answer_file_dialog "$tmp/$2.wav"
  until_true 30 ir_imported "$2" "$3" "$4" "$5" || fail "IR IMPORT: the pedal has IR $3" \
    "\"$(sim_user_ir_name "$3")\" and IR number $(sim_edit_param "$5")/$(sim_edit_param $(($5 + 1))), not $2 and $3"
  until_true 30 link_quiet || fail "the link never went quiet after importing $2"
}
click_at 1576 674 # "CLICK HERE TO EDIT IMPULSE RESPONSE"
sleep 0.5
shot 04-ir-page
import_ir 1087 bb-cab-seven 39 40 53  # position 7: slot p
import_ir 1137 bb-cab-eight 167 41 55 # position 8: slot 128 + p
[ -f "$XDG_DATA_HOME/Tolvane/User IRs/040.dat" ] && [ -f "$XDG_DATA_HOME/Tolvane/User IRs/168.dat" ] ||
  fail "the imported IRs are not in the library"
shot 05-irs-imported
no_thread_warning "importing the WAV files"
repaints_and_reaches_pedal 06-drive-after-ir-import

# ---- 3. Export the preset to a file and import it into preset 38 ---------------------
progress "export a preset file and import it into preset 38"
# The name is typed without its extension: the program adds ".dvp".
click_at 192 192 # EXPORT
answer_file_dialog "$tmp/bb-velvet"
preset_file="$tmp/bb-velvet.dvp"
until_true 10 test -f "$preset_file" || fail "no preset file $preset_file: $(ls "$tmp")"
# Name, 65 values and both user IRs.
[ "$(stat -c %s "$preset_file")" = 5134 ] || fail "the preset file has $(stat -c %s "$preset_file") bytes, not 5134"
xdotool windowfocus --sync "$win"
xdotool key Down
until_true 20 on_preset 38 || fail "Preset Down: the pedal is on preset $(sim_field preset), not 38"
until_true 30 link_quiet || fail "the link never went quiet after Preset Down"
click_at 72 192 # IMPORT
answer_file_dialog "$preset_file"
# The file's values (parameter i on line i + 1), with its IRs moved to preset
# 38's own slots: parameters 53..56 become 0, 38, 1, 38 (slots 38 and 166).
expected_values() {
  od -An -v -tu1 -j 38 -N 65 "$preset_file" | tr -s ' \n' '\n' | sed '/^$/d' |
    awk 'NR == 54 { print 0; next } NR == 55 || NR == 57 { print 38; next } NR == 56 { print 1; next } { print }'
}
stored_values() { od -An -v -tu1 -j $((38 * 256 + 34)) -N 65 "$tmp/pedal/presets.bin" | tr -s ' \n' '\n' | sed '/^$/d'; }
preset_file_imported() {
  [ "$(sim_preset_name 38)" = bb-velvet ] && [ "$(sim_user_ir_name 38)" = bb-cab-seven ] &&
    [ "$(sim_user_ir_name 166)" = bb-cab-eight ] && [ "$(expected_values)" = "$(stored_values)" ]
}
until_true 40 preset_file_imported || fail "preset 38 after the import: \"$(sim_preset_name 38)\", IRs" \
  "\"$(sim_user_ir_name 38)\" / \"$(sim_user_ir_name 166)\", values $(stored_values | tr '\n' ' ')" \
  "(expected bb-velvet, bb-cab-seven / bb-cab-eight, $(expected_values | tr '\n' ' '))"
until_true 30 link_quiet || fail "the link never went quiet after the preset-file import"
shot 07-preset-file-imported
no_thread_warning "the preset file export and import"
repaints_and_reaches_pedal 08-drive-after-preset-file

# ---- 4. Export All, change a stored preset, Import All -------------------------------
progress "Export All, change preset 38, Import All"
# What the pedal stores now is what the backup must bring back. DRIVE was
# just turned on preset 38; store it first so that the backup holds it.
xdotool windowfocus --sync "$win"
xdotool key ctrl+s
until_true 30 link_quiet || fail "the link never went quiet after storing preset 38"
cp "$tmp/pedal/presets.bin" "$tmp/presets-exported.bin"
cp "$tmp/pedal/user-irs.bin" "$tmp/user-irs-exported.bin"
read -r finished_box error_box done_box <<<"$("$bin/blackbox_boxsize" "Finished successfully!" \
  "Error in update!" "Firmware update finished." 2>/dev/null | tr '\n' ' ')"
[ -n "$done_box" ] && [ "$error_box" != "$done_box" ] || fail "cannot tell the message boxes apart by size"

menu_file_item() { # the File menu by its keys, then the item's mnemonic
  xdotool windowfocus --sync "$win"
  xdotool key alt+f
  sleep 0.5
  xdotool key "$1"
}
menu_file_item e # &Export All Presets from Ostrel ...
answer_file_dialog "$tmp/bb-backup"
backup="$tmp/bb-backup.dvb"
until_true 120 one_box || fail "Export All did not end with a message"
[ "$(box_size)" = "$finished_box" ] || fail "Export All ended with a box of $(box_size), not \"Finished successfully!\""
shot 09-exported-all
dismiss_box
until_true 10 test -f "$backup" || fail "no backup file $backup: $(ls "$tmp")"
# 128 presets, then each used IR as a whole stream: start, nine data, end.
shape=$(backup_shape "$backup")
[[ "$shape" =~ ^P{128}(SdddddddddE)+$ ]] || fail "the backup is not 128 presets and whole IR streams: $shape"

# Change what preset 38 stores: turn DRIVE, then Save to Its Slot.
repaints_and_reaches_pedal 10-drive-after-export-all
xdotool windowfocus --sync "$win"
xdotool key ctrl+s
stored_changed() { ! cmp -s "$tmp/pedal/presets.bin" "$tmp/presets-exported.bin"; }
until_true 20 stored_changed || fail "Save to Its Slot did not change the stored preset 38"
until_true 30 link_quiet || fail "the link never went quiet after saving preset 38"

menu_file_item i # &Import All Presets to Ostrel...
until_true 10 one_dialog || fail "Import All did not ask before overwriting the presets"
dismiss_box # OK: "This operation will overwrite the current Presets! ..."
answer_file_dialog "$backup"
until_true 180 one_box || fail "Import All did not end with a message"
shot 11-imported-all
[ "$(box_size)" = "$finished_box" ] || fail "Import All ended with a box of $(box_size), not \"Finished successfully!\""
dismiss_box
restored() {
  cmp -s "$tmp/pedal/presets.bin" "$tmp/presets-exported.bin" &&
    cmp -s "$tmp/pedal/user-irs.bin" "$tmp/user-irs-exported.bin"
}
until_true 20 restored || fail "after Import All the pedal does not store what was exported"
# The program reads the restored presets again.
until_true 90 presets_cached || fail "the presets were not read again after Import All"
until_true 60 link_quiet || fail "the link never went quiet after Import All"
shot 12-reloaded
no_thread_warning "Export All and Import All"
repaints_and_reaches_pedal 13-drive-after-import-all

# ---- 5. A firmware update that the boot loader fails ---------------------------------
progress "a firmware update that fails"
sim_say fault firmware-fail 1 >/dev/null
head -c 3000 /dev/urandom >"$tmp/bb-firmware.ldr"
received=$(sim_field received)
menu_file_item f # &Firmware Update...
sleep 0.5
shot 14-firmware-page
click_at 1100 682 # UPDATE FIRMWARE
answer_file_dialog "$tmp/bb-firmware.ldr"
# The file is confirmed before the pedal is rewritten: OK is the default.
until_true 20 one_box || fail "the firmware file was not confirmed before sending"
dismiss_box
until_true 60 one_box || fail "the failed firmware update showed no message"
# One outcome: the failure, and no second box on top of it or after it.
sleep 2
[ "$(dialog_count)" = 1 ] || fail "the failed update shows $(dialog_count) boxes at once"
shot 15-firmware-failed
[ "$(box_size)" = "$error_box" ] || fail "the failed update shows a box of $(box_size), not \"Error in update!\" ($error_box)"
dismiss_box
sleep 2
no_dialog || fail "a second box followed \"Error in update!\""
# The image reached the boot loader: Enter firmware update and 15 blocks.
[ "$(sim_field received)" -ge $((received + 16)) ] || fail "the boot loader did not receive the image"
[ "$(sim_field firmware-updates)" = 0 ] || fail "the simulator counts an update that it failed"
sim_say fault firmware-fail 0 >/dev/null
# The program stays usable: RECONNECT finds the pedal again and edits reach it.
# The pedal answers the identification with its settings, so it has sent
# more once it is found.
sent=$(sim_field sent)
connected_again() { [ "$(sim_field sent)" -gt "$sent" ]; }
click_at 597 40 # RECONNECT
until_true 60 connected_again || fail "RECONNECT after the failed update did not reach the pedal"
until_true 60 link_quiet || fail "the link never went quiet after RECONNECT"
shot 16-reconnected
no_thread_warning "the failed firmware update"
repaints_and_reaches_pedal 17-drive-after-firmware

# ---- 6. Quit as at logout -----------------------------------------------------------
progress "quit"
kill -TERM "$app_pid"
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" = 0 ] || fail "the program ended with $status on SIGTERM"
[ "$(sim_field editor-closings)" -ge 1 ] || fail "no Editor closing reached the pedal"
no_thread_warning "quitting"
echo "PASS: preset 39 browsed, WAVs imported into IR positions 7 and 8, preset file exported and" \
  "imported, Export All and Import All, failed firmware update shown once, quit; screenshots in $out"
