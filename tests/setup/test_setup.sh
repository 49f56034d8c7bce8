# The installer's way round a package index that is only partly usable,
# with a stand-in apt-get and a made-up sources folder: nothing here
# touches the machine's own packages.
set -u -o pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
check() {  # check <description> <command...>
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAIL: $what" >&2; failed=1; fi
}

mkdir -p "$tmp/etc/sources.list.d" "$tmp/bin"
cat >"$tmp/etc/sources.list.d/debian.sources" <<'SOURCES'
Types: deb
URIs: http://deb.example/debian
Suites: bookworm bookworm-updates
Components: main

Types: deb
URIs: http://deb.example/debian-security
Suites: bookworm-security
Components: main

Types: deb deb-src
URIs: http://mirror.example/debian
Suites: bookworm-security trixie
Components: main
SOURCES
printf '%s\n' 'deb http://deb.example/debian bookworm main' \
    'deb [arch=amd64,i386] http://deb.example/debian-security bookworm-security main' >"$tmp/etc/sources.list"

export APT_SOURCES_DIR="$tmp/etc" APT_RETRY_DELAY=0 SUDO=""
source "$root/scripts/lib/apt.sh"
apt_release_sources "$tmp/alt"
parts="$tmp/alt/parts"
check "a one-line security source goes, the release stays" \
    test "$(cat "$parts/sources.list")" = "deb http://deb.example/debian bookworm main"
check "a security stanza goes whole" eval '! grep -q debian-security "$parts/debian.sources"'
check "the release stanza stays as it was" grep -qx 'Suites: bookworm bookworm-updates' "$parts/debian.sources"
check "a mixed stanza keeps its other suite" grep -qx 'Suites: trixie' "$parts/debian.sources"
check "no security suite is left" eval '! grep -q -- -security "$parts"/*'

# The stand-in apt-get logs its calls. The first update fails (a mirror
# in sync); an install fails unless it reads the release-only sources, or
# always when FAIL_ALL is set.
cat >"$tmp/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "$*" >>"$APT_LOG"
case "$*" in
*update*) [ -e "$APT_LOG.updated" ] && exit 0; touch "$APT_LOG.updated"; exit 100 ;;
*install*) [ -z "${FAIL_ALL:-}" ] && [[ "$*" == *SourceParts=* ]] && exit 0; exit 100 ;;
esac
STUB
chmod +x "$tmp/bin/apt-get"
export PATH="$tmp/bin:$PATH" APT_LOG="$tmp/apt.log"

apt_install_packages wine32:i386 xvfb >"$tmp/out" 2>"$tmp/err"
check "an inconsistent index falls back to the release suites" test $? = 0
check "the update was tried again" test "$(grep -cx 'update -qq' "$tmp/apt.log")" = 2
check "the fallback installs the same packages" grep -q 'SourceParts=.* wine32:i386 xvfb$' "$tmp/apt.log"
check "and says so in one line" test "$(grep -c 'release suites alone' "$tmp/err")" = 1

FAIL_ALL=1 apt_install_packages wine32:i386 >"$tmp/out" 2>"$tmp/err"
check "packages that cannot be had fail the setup" test $? != 0
check "and are named" grep -qx 'setup: cannot install: wine32:i386' "$tmp/err"

[ "$failed" = 0 ] && echo "setup: all checks passed"
exit "$failed"
