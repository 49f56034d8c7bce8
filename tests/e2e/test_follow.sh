# The tree follows what other programs do in the working folder, each
# change showing within 1.5 seconds.
source "$(dirname "$0")/lib.sh" "$1" "$2" follow

work="$E2E_DIR/quorb"
mkdir -p "$work/Sub" "$work/Keep" "$work/Bin" "$work/Cycle" "$work/Inbox"
for f in Sub/inside.txt Keep/kept.txt Bin/binned.txt Cycle/round.txt Inbox/only.txt; do printf 'x' >"$work/$f"; done
q='C:\e2e\follow\quorb'
e2e_ini "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "WorkingFolderOption=2" \
    "Expanded=$q*$q\Bin*$q\Inbox*$q\Keep*$q\Sub*"
e2e_start
app=$E2E_LAST_PID
e2e_check "the window appears" probe wait TForm tavrix visible 15000
e2e_check "the working folder is rooted" e2e_wait_root quorb 15
e2e_check "the open sub-folder shows its file" e2e_entry_within present inside.txt 1500
log_has() { grep -qE -- "$1" "$E2E_DIR"/Logs/*.log 2>/dev/null; }
e2e_check "the probe found that only a folder's own entries are reported, and the log says so" \
    e2e_until 5 log_has "Folder watches: one per open folder, .*probed in the temp folder in [0-9]+ ms"

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

# Newcomers that share a display text with an entry: a folder beside a
# shortcut of the same name, and a shortcut beside such a folder.
probe mklnk "$q\\alpha.lnk" "$q\\into empty.txt" >/dev/null
e2e_check "a shortcut shows without its extension" e2e_count_within 1 alpha 1500
mkdir "$work/alpha"
e2e_check "a folder named like the shortcut shows beside it" e2e_count_within 2 alpha 1500
mkdir "$work/beta"
e2e_check "a folder shows" e2e_count_within 1 beta 1500
probe mklnk "$q\\beta.lnk" "$q\\into empty.txt" >/dev/null
e2e_check "a shortcut named like the folder shows beside it" e2e_count_within 2 beta 1500

# Open folders changed through Win32 by another program: renamed, and
# deleted as a folder window deletes (to the trash).
probe move "$q\\Keep" "$q\\Kept" >/dev/null
e2e_check "an open folder renamed through Win32 leaves the tree" e2e_entry_within absent Keep 1500
e2e_check "and shows under its new name" e2e_entry_within present Kept 1500
probe delete "$q\\Kept\\kept.txt" >/dev/null
probe rmdir "$q\\Kept" >/dev/null
e2e_check "nothing holds the renamed folder: deleting it through Win32 removes it" e2e_wait_gone "$work/Kept" 1.5
mkdir -p "$E2E_DIR/xdg"
XDG_DATA_HOME="$E2E_DIR/xdg" probe trash "$q\\Bin" >/dev/null
e2e_check "an open folder deleted through the shell leaves the tree" e2e_entry_within absent Bin 1500

# Opening and closing a folder a hundred times holds no more handles than
# before; an open folder holds one (its watch), a closed one none.
handles() { probe handles TForm tavrix; }
e2e_key c y
e2e_key Right
e2e_check "Right opens the folder" e2e_entry_within present round.txt 1500
e2e_key Left
e2e_check "Left closes it" e2e_entry_within absent round.txt 1500
closed=$(handles)
e2e_key Right
e2e_entry_within present round.txt 1500
open=$(handles)
e2e_check "an open folder holds one handle more ($closed, $open)" test "$open" = $((closed + 1))
e2e_key Left
e2e_key $(for i in $(seq 100); do echo Right Left; done)
e2e_check "after 100 cycles the folder is closed" e2e_entry_within absent round.txt 1500
after=$(handles)
e2e_check "and the handles are as before ($closed, $after)" test "$after" = "$closed"

# An open folder that empties and fills again keeps following.
e2e_check "the open Inbox shows its file" e2e_entry_within present only.txt 1500
rm "$work/Inbox/only.txt"
e2e_check "its last file goes" e2e_entry_within absent only.txt 1500
printf 's' >"$work/Inbox/second in.txt"
e2e_check "a file made in the emptied open folder shows" e2e_entry_within present "second in.txt" 1500
printf 't' >"$work/Inbox/third in.txt"
e2e_check "and so does the next one" e2e_entry_within present "third in.txt" 1500

# The working folder deleted and made again: F5 shows it, and it is
# followed again from then on.
rm -rf "$work"
mkdir "$work"
printf 'x' >"$work/x.txt"
e2e_key F5
e2e_check "F5 shows the folder made again" e2e_entry_within present x.txt 3000
printf 'y' >"$work/y.txt"
e2e_check "which is followed again" e2e_entry_within present y.txt 1500

probe close TForm tavrix >/dev/null
e2e_check "the program ends" e2e_wait_exit "$app" 15

# Changed by another program while the window was still hidden, before its
# first call-up: the hot key shows what the folders hold now, with the
# stored folder open and the other one closed.
rm -rf "$work"
mkdir -p "$work/Open" "$work/Shut" "$work/Gone"
for f in top.txt Open/one.txt Shut/s.txt; do printf 'x' >"$work/$f"; done
e2e_launch hidden "ShowAppWndOnLaunch=0" "ShowTrayIcon=0" "FollowMousePos=0" "WorkingFolderOption=2" \
    "Expanded=$q*$q\Open*$q\Gone*"
app=$E2E_LAST_PID
stored_view_read() { probe tree TForm tavrix | grep -q ' one\.txt$'; }
e2e_check "the hidden window opened the stored folder" e2e_until 5 stored_view_read
# At once: the hidden window catches up with its watches half a second
# after start, or the watches report first; either way nothing is missed.
printf 'x' >"$work/Open/two.txt"
rm "$work/top.txt"
rmdir "$work/Gone"
mkdir "$work/New"
printf 'x' >"$work/Shut/t.txt"
listing_matches() {
    local want got
    want=$( (cd "$work" && ls -1 && ls -1 Open) | sort | tr '\n' ' ')
    got=$(e2e_tree_texts)
    [ "$got" = "$want" ] || { echo "tree: $got; folders: $want" >&2; return 1; }
}
e2e_key ctrl+alt+z
e2e_check "the hot key calls the window up" probe wait TForm tavrix visible 5000
e2e_check "it shows what the folders hold now" e2e_until 1 listing_matches
probe close TForm tavrix >/dev/null
e2e_check "the program ends" e2e_wait_exit "$app" 15

# One watch for the whole tree, as where the system reports subtrees (the
# switch stands in for the probe): the working folder's own entries still
# show, made from Linux and through Win32, and an open folder holds no
# handle of its own.
rm -rf "$work"
mkdir -p "$work/Open"
printf 'x' >"$work/Open/one.txt"
export TAVRIX_WATCH=subtree
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "FollowMousePos=0" "WorkingFolderOption=2" "Expanded=$q*"
unset TAVRIX_WATCH
app=$E2E_LAST_PID
e2e_check "the log says how folders are watched" e2e_until 5 log_has "Folder watches: one for the whole tree"
printf 'n' >"$work/from linux.txt"
e2e_check "a file made from Linux shows" e2e_entry_within present "from linux.txt" 1500
probe move "$q\\from linux.txt" "$q\\by win32.txt" >/dev/null
e2e_check "renamed through Win32 it shows its new name" e2e_entry_within present "by win32.txt" 1500
e2e_check "and not its old one" e2e_entry_within absent "from linux.txt" 1500
e2e_key o p
closed=$(handles)
e2e_key Right
e2e_check "Right opens the folder" e2e_entry_within present one.txt 1500
open=$(handles)
e2e_check "which holds no handle of its own ($closed, $open)" test "$open" = "$closed"
probe close TForm tavrix >/dev/null
e2e_check "the program ends" e2e_wait_exit "$app" 15
echo "e2e follow: all checks passed"
