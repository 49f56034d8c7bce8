# Installing Debian packages when the package index is only partly usable:
# a mirror in the middle of a sync, or a security suite whose amd64
# libraries are newer than their i386 twins (multi-arch needs both at one
# version, so the i386 ones cannot be installed). Source this file; it
# defines functions and changes nothing by itself. APT_RETRY_DELAY (seconds)
# sets the pause between tries; APT_SOURCES_DIR the folder of the system's
# sources (for tests).

APT_RETRY_DELAY=${APT_RETRY_DELAY:-5}
APT_SOURCES_DIR=${APT_SOURCES_DIR:-/etc/apt}

# apt_update [apt options...]: the index, tried three times. A failure is
# not the end: what was read may still serve the install.
apt_update() {
    local try
    for try in 1 2 3; do
        ${SUDO:-} apt-get update -qq "$@" && return 0
        [ "$try" = 3 ] || sleep "$APT_RETRY_DELAY"
    done
    echo "setup: the package index could not be read completely" >&2
    return 1
}

apt_install() {  # apt_install [apt options...] -- packages...
    local options=()
    while [ "$1" != -- ]; do options+=("$1"); shift; done
    shift
    ${SUDO:-} env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${options[@]}" "$@"
}

# apt_release_sources <folder>: writes the system's sources without the
# security suites into <folder>/parts, as one-line lists and deb822 files.
apt_release_sources() {
    local out=$1 file
    mkdir -p "$out/parts"
    : >"$out/none.list"
    for file in "$APT_SOURCES_DIR/sources.list" "$APT_SOURCES_DIR"/sources.list.d/*.list; do
        [ -f "$file" ] || continue
        grep -Ev '^[[:space:]]*deb(-src)?[[:space:]]+(\[[^]]*\][[:space:]]+)?[^[:space:]]+[[:space:]]+[^[:space:]]*-security([[:space:]]|$)' \
            "$file" >"$out/parts/$(basename "$file")" || true
    done
    for file in "$APT_SOURCES_DIR"/sources.list.d/*.sources; do
        [ -f "$file" ] || continue
        # Stanzas are separated by blank lines; a security suite leaves its
        # stanza's list of suites, and a stanza with none left goes.
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             {
                 n = split($0, lines, "\n"); out = ""; keep = 1
                 for (i = 1; i <= n; i++) {
                     line = lines[i]
                     if (line ~ /^Suites:/) {
                         m = split(substr(line, 8), suites, /[ \t]+/); line = "Suites:"; count = 0
                         for (j = 1; j <= m; j++)
                             if (suites[j] != "" && suites[j] !~ /-security$/) { line = line " " suites[j]; count++ }
                         if (count == 0) keep = 0
                     }
                     out = out line "\n"
                 }
                 if (keep) printf "%s\n", out
             }' "$file" >"$out/parts/$(basename "$file")"
    done
}

# apt_install_packages packages...: the usual install; when that fails, the
# same from the release suites alone, said in one line. Fails, naming the
# packages, only when neither can have them.
apt_install_packages() {
    apt_update || true
    apt_install -- "$@" && return 0
    local alt
    alt=$(mktemp -d)
    chmod 755 "$alt"  # apt fetches as its own user
    apt_release_sources "$alt"
    mkdir -p "$alt/lists/partial"
    local options=(-o "Dir::Etc::SourceList=$alt/none.list" -o "Dir::Etc::SourceParts=$alt/parts"
                   -o "Dir::State::Lists=$alt/lists")
    echo "setup: the package index is inconsistent; installing from the release suites alone (without security updates)" >&2
    if apt_update "${options[@]}" && apt_install "${options[@]}" -- "$@"; then
        rm -rf "$alt"
        return 0
    fi
    rm -rf "$alt"
    echo "setup: cannot install: $*" >&2
    return 1
}
