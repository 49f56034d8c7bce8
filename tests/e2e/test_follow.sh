# The tree follows what other programs do in the working folder, each
# change showing within 1.5 seconds.
source "$(dirname "$0")/lib.sh" "$1" "$2" follow

work="$E2E_DIR/quorb"
mkdir -p "$work/Sub"
printf 'x' >"$work/Sub/inside.txt"
e2e_ini "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "WorkingFolderOption=2" \
    "Expanded=C:\\e2e\\follow\\quorb*C:\\e2e\\follow\\quorb\\Sub*"
e2e_start
app=$E2E_LAST_PID
e2e_check "the window appears" probe wait TForm tavrix visible 15000
e2e_check "the working folder is rooted" e2e_wait_root quorb 15
e2e_check "the open sub-folder shows its file" e2e_entry_within present inside.txt 1500

printf 'n' >"$work/new file.txt"
e2e_check "a created file shows" e2e_entry_within present "new file.txt" 1500
mv "$work/new file.txt" "$work/renamed.txt"
e2e_check "a renamed file loses its old name" e2e_entry_within absent "new file.txt" 1500
e2e_check "and shows its new one" e2e_entry_within present renamed.txt 1500
printf 'y' >"$work/Sub/second.txt"
e2e_check "a file in the open sub-folder shows" e2e_entry_within present second.txt 1500
rm "$work/renamed.txt"
e2e_check "a deleted file goes" e2e_entry_within absent renamed.txt 1500
mkdir "$work/Made later"
e2e_check "a created folder shows" e2e_entry_within present "Made later" 1500
mv "$work/Made later" "$work/Moved"
e2e_check "a renamed folder shows its new name" e2e_entry_within present Moved 1500
e2e_check "and not its old one" e2e_entry_within absent "Made later" 1500
rm -r "$work/Sub"
e2e_check "a deleted sub-folder goes" e2e_entry_within absent Sub 1500
rmdir "$work/Moved"
e2e_check "the last entry goes" e2e_entry_within absent Moved 1500
printf 'e' >"$work/into empty.txt"
e2e_check "a file created in the emptied folder shows" e2e_entry_within present "into empty.txt" 1500

probe close TForm tavrix >/dev/null
e2e_check "the program ends" e2e_wait_exit "$app" 15
echo "e2e follow: all checks passed"
