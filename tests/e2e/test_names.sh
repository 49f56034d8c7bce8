# Names outside the ANSI code page: Enter opens such an entry, a file
# another program puts into such an open folder shows, and folders opened
# in the tree are open again after Exit and a new start. F5 shows a name as
# the shell gives it now, and typing a word of the name still finds it.
source "$(dirname "$0")/lib.sh" "$1" "$2" names

work="$E2E_DIR/quorb"
names=("Папка Ω" "文件夹" "😀dir")
for name in "${names[@]}"; do
    mkdir -p "$work/$name/inner"
    echo x >"$work/$name/inner/file.txt"
done
all_open() {
    local name
    for name in "${names[@]}"; do
        case "$(e2e_tree_flags "$name")" in *E*) ;; *) echo "closed: $name" >&2; return 1 ;; esac
    done
}
wait_all_open() { e2e_until 5 all_open; }
# A file of a type of its own, whose extension the shell shows until the
# type says otherwise.
echo x >"$work/plan.tvxnm"
echo x >"$work/Quarterly budget.tvxnm"
printf '@echo off\r\necho ran > "C:\\e2e\\names\\ran.txt"\r\n' >"$work/run Ω 文件.bat"
# What a user sees of an entry's icon: the 16-pixel square left of its text.
icon_of() {
    local x y left desk
    read -r x y left <<<"$(e2e_tree_item "$1")"
    [ -n "$left" ] || return 1
    desk=$(e2e_desktop)
    import -window "$desk" -crop "16x16+$((left - 19))+$((y - 8))" -depth 8 rgb:- 2>/dev/null | md5sum | cut -c1-12
}
# The entry's icon is no longer the one it had, and is that of the other
# entry of its type.
icon_renewed() {
    local now other
    now=$(icon_of plan) && other=$(icon_of "Quarterly budget") && [ "$now" != "$icon_before" ] && [ "$now" = "$other" ]
}
forget_type() {
    wine reg delete 'HKCR\.tvxnm' /f >/dev/null 2>&1
    wine reg delete 'HKCR\tvxnmfile' /f >/dev/null 2>&1
}
forget_type
trap 'forget_type; e2e_cleanup' EXIT

e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "Autohide=0" "WorkingFolderOption=2"
# Each folder opened with the arrow keys; each holds one entry.
e2e_key Home Down Right Down Down Right Down Down Right
e2e_check "the three folders are open" wait_all_open

# The search line as the window shows it.
find_line() { e2e_rows controls | awk -F'\t' 'tolower($1) == "static" { print $6 }'; }
find_line_is() { local s; s=$(find_line); [ "$s" = "$1" ] || { echo "search line: '$s'" >&2; return 1; }; }
# A word inside the name: no shown name starts with it, so the search
# walks to the entry from the working folder.
find_budget() {  # find_budget <entry as shown>
    sleep 1.5  # a user's pause: the letters start a new search
    e2e_key Home b u d g e t
    e2e_check "typing a word of its name selects $1" e2e_until 10 e2e_selected_is "$1"
    e2e_check "and the search says it found it" find_line_is "Find: budget"
    e2e_key Escape
    e2e_check "Esc ends the search" e2e_until 5 find_line_is ""
}
find_budget "Quarterly budget.tvxnm"

# Another program registers the type so that its extension is never shown:
# F5 shows the entry as the shell names it now, and the folders stay open.
e2e_check "the entry shows its extension" e2e_entry_within present plan.tvxnm 5000
icon_before=$(icon_of plan.tvxnm)
e2e_check "and an icon" test -n "$icon_before"
wine reg add 'HKCR\.tvxnm' /ve /d tvxnmfile /f >/dev/null 2>&1
wine reg add 'HKCR\tvxnmfile' /v NeverShowExt /d "" /f >/dev/null 2>&1
wine reg add 'HKCR\tvxnmfile\DefaultIcon' /ve /d 'shell32.dll,-4' /f >/dev/null 2>&1
e2e_key F5
e2e_check "F5 shows the entry without its extension" e2e_entry_within present plan 5000
e2e_check "and with the icon the type has now" e2e_until 5 icon_renewed
e2e_check "and no longer with it" e2e_entry_is absent plan.tvxnm
e2e_check "F5 shows the other entry of the type anew" e2e_entry_within present "Quarterly budget" 5000
find_budget "Quarterly budget"
e2e_check "the three folders are still open" wait_all_open

# An entry whose name holds letters outside the ANSI code page opens with
# Enter (the program it starts may take the keyboard: this comes last).
echo x >"$work/文件夹/arrived.txt"
e2e_check "a file made in such an open folder shows" e2e_entry_within present arrived.txt 3000
sleep 1.5  # a user's pause: the letters start a new search
e2e_key Home r u n
e2e_check "typing selects the entry whose name holds such letters" e2e_until 10 e2e_selected_is "run Ω 文件.bat"
e2e_key Return
e2e_check "Enter runs it" e2e_wait_file_has "$E2E_DIR/ran.txt" ran 15
e2e_close
# The INI names the open folders as they are called.
ini_text() {
    if [ "$(head -c 2 "$E2E_DIR/tavrix.ini" | od -An -tx1 | tr -d ' ')" = fffe ]; then
        iconv -f UTF-16 -t UTF-8 "$E2E_DIR/tavrix.ini"
    else
        cat "$E2E_DIR/tavrix.ini"
    fi | tr -d '\r'
}
all_recorded() {
    local stored name
    stored=$(ini_text | sed -n 's/^Expanded=//p')
    for name in "${names[@]}"; do
        [[ "$stored" == *"\\$name*"* ]] || { echo "not recorded: $name (Expanded=$stored)" >&2; return 1; }
    done
}
e2e_check "the INI records the open folders by their names" all_recorded

e2e_start
e2e_check "the window comes up again" probe wait TForm tavrix visible 15000
e2e_check "with the same three folders open" wait_all_open
e2e_close "the program ends again"
echo "e2e names: all checks passed"
