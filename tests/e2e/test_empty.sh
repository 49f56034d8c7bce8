# An empty working folder follows what comes into it from its first moment,
# whether the window was shown at launch or called up later.
source "$(dirname "$0")/lib.sh" "$1" "$2" empty

work="$E2E_DIR/quorb"
mkdir -p "$work"
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "WorkingFolderOption=2"
printf 'x' >"$work/first.txt"
e2e_check "a file made in the empty folder shows" e2e_entry_within present first.txt 1500
mkdir "$work/Folder"
e2e_check "a sub-folder made next shows" e2e_entry_within present Folder 1500
printf 'y' >"$work/second.txt"
e2e_check "and a later file too" e2e_entry_within present second.txt 1500
rm "$work/first.txt" "$work/second.txt"
rmdir "$work/Folder"
e2e_check "emptied again, the last entry goes" e2e_entry_within absent Folder 1500
printf 'z' >"$work/third.txt"
e2e_check "what comes into it afterwards shows" e2e_entry_within present third.txt 1500
e2e_close

# Hidden at launch: what was made before the call-up shows at once, and
# what comes afterwards follows.
rm -rf "$work"
mkdir -p "$work"
e2e_launch hidden "ShowAppWndOnLaunch=0" "ShowTrayIcon=0" "FollowMousePos=0" "WorkingFolderOption=2"
printf 'x' >"$work/made while hidden.txt"
mkdir "$work/Hidden folder"
e2e_key ctrl+alt+z
e2e_check "Ctrl+Alt+Z shows the window" probe wait TForm tavrix visible 5000
e2e_check "the file made while hidden shows" e2e_entry_within present "made while hidden.txt" 1500
e2e_check "and the folder" e2e_entry_within present "Hidden folder" 1500
printf 'y' >"$work/after.txt"
e2e_check "a file made after the call-up shows" e2e_entry_within present after.txt 1500
e2e_close "the program ends again"
echo "e2e empty: all checks passed"
