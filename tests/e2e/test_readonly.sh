# A read-only tavrix.ini: another working folder and Yes move nothing, and say why.
source "$(dirname "$0")/lib.sh" "$1" "$2" readonly
mkdir -p "$E2E_DIR/Base/quorb" && echo one >"$E2E_DIR/Base/quorb/one.txt"
box_says() { wine "$PROBE_EXE" msgbox "$1" 5000 2>/dev/null | tr -d '\r' | grep -qF -- "$2"; }
e2e_launch visible "ShowAppWndOnLaunch=1" "ShowTrayIcon=0" "WorkingFolderOption=3" "WorkingFolderPath=$E2E_WIN\\Base"
chmod a-w "$E2E_DIR/tavrix.ini"
read -r _ x y _ h _ <<<"$(e2e_window tavrix)"
e2e_click $((x + 75)) $((y + h - 21))
e2e_check "the Options button opens the dialog" probe wait TForm Options visible 5000
read -r x y <<<"$(probe where TForm Options 'Application folder\quorb')"
e2e_click "$x" "$y"
e2e_key Return
e2e_check "the move is asked about" box_says Information "Would you like to move the contents?"
e2e_key Return
e2e_check "Yes moves nothing and says so" box_says tavrix "The working folder was not moved"
e2e_check "and why" box_says tavrix "Unable to write to $E2E_WIN\\tavrix.ini"
e2e_check "the link is where it was" test -f "$E2E_DIR/Base/quorb/one.txt" -a ! -e "$E2E_DIR/quorb"
echo "e2e readonly: all checks passed"
