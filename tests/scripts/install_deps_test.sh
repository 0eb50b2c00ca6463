#!/usr/bin/env bash
# scripts/install-deps.sh deciding what to do, with no network: stand-ins for
# apt-get, dpkg and dpkg-query on the PATH play a machine whose package
# lists and packages are set per case.
#   install_deps_test.sh
set -u
. "$(dirname "$0")/case-lib.sh"

# The stand-ins keep their state in $FAKE: installed (one package a line),
# uninstallable (packages apt cannot resolve), update-fails (an index URL),
# arches (foreign architectures), calls (every apt-get command line).
mkdir -p "$tmp/bin"
cat >"$tmp/bin/dpkg-query" <<'SH'
#!/usr/bin/env bash
# dpkg-query -W -f='${Package} ${Architecture} ${Status}\n' <package>...
status=0
for pkg in "${@:3}"; do
    if grep -qxF "$pkg" "$FAKE/installed"; then
        arch=amd64
        [[ $pkg == *:* ]] && arch=${pkg#*:}
        printf '%s %s install ok installed\n' "${pkg%%:*}" "$arch"
    else
        echo "dpkg-query: no packages found matching $pkg" >&2
        status=1
    fi
done
exit $status
SH
cat >"$tmp/bin/dpkg" <<'SH'
#!/usr/bin/env bash
case $1 in
--print-foreign-architectures) cat "$FAKE/arches" 2>/dev/null ;;
--add-architecture) echo "$2" >>"$FAKE/arches" ;;
esac
SH
cat >"$tmp/bin/apt-get" <<'SH'
#!/usr/bin/env bash
echo "$*" >>"$FAKE/calls"
case " $* " in
*" update "*)
    if [ -s "$FAKE/update-fails" ]; then
        echo "E: Failed to fetch $(cat "$FAKE/update-fails")  File has unexpected size (1 != 2). Mirror sync in progress?" >&2
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
        exit 100
    fi
    exit 0 ;;
*" install "*)
    pkgs=()
    for a in "$@"; do case $a in -*|install) ;; *) pkgs+=("$a") ;; esac; done
    # All or nothing, as apt does.
    for p in "${pkgs[@]}"; do
        if grep -qxF "$p" "$FAKE/uninstallable" 2>/dev/null; then
            echo "E: Unable to correct problems, you have held broken packages." >&2
            exit 100
        fi
    done
    printf '%s\n' "${pkgs[@]}" >>"$FAKE/installed"
    exit 0 ;;
esac
SH
chmod +x "$tmp/bin/"*

all_core="cmake ninja-build g++ make pkg-config ccache lld g++-mingw-w64-i686 g++-mingw-w64-x86-64
binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 googletest wine wine64 xvfb xauth x11-utils xdotool
imagemagick fonts-liberation fonts-dejavu-core ghostscript fonts-wine python3 pandoc"

# run_case NAME: a fresh machine state in $FAKE, filled by the caller's
# set-up, then the script; its status, stdout and stderr in $status, $out, $err.
new_machine() {
    export FAKE=$tmp/$1
    mkdir -p "$FAKE"
    : >"$FAKE/installed"
}
run() {
    PATH=$tmp/bin:$PATH CODEXIA_DEPS_STATE=$FAKE/unavailable "$root/scripts/install-deps.sh" \
        >"$FAKE/out" 2>"$FAKE/err"
    status=$?
    out=$(cat "$FAKE/out") err=$(cat "$FAKE/err")
}
installed() { grep -qxF "$1" "$FAKE/installed"; }

# 1. Everything there: nothing is asked of apt.
new_machine complete
printf '%s\n' $all_core wine32:i386 >"$FAKE/installed"
echo i386 >"$FAKE/arches"
run
[ $status = 0 ] && [ ! -e "$FAKE/calls" ] && [ -z "$err" ] || bad "complete machine: status $status, apt calls: $(cat "$FAKE/calls" 2>/dev/null), said: $err"

# 2. The bad mirror: the security suite's i386 index fails to update and the
# 32-bit Wine cannot be resolved; everything else installs. One line names
# the index, one says the 64-bit build is used; the status is 0.
new_machine mirror
index=http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
echo "$index" >"$FAKE/update-fails"
echo wine32:i386 >"$FAKE/uninstallable"
run
[ $status = 0 ] || bad "bad mirror: status $status, said: $err"
[ "$(wc -l <<<"$err")" = 2 ] || bad "bad mirror: expected two lines, said: $err"
grep -q "^install-deps: a package index could not be updated ($index); going on" <<<"$err" ||
    bad "bad mirror: the failed index is not named: $err"
grep -q "^install-deps: 32-bit Wine (wine32:i386) cannot be installed (.*held broken packages.); the scripts run on the 64-bit build$" <<<"$err" ||
    bad "bad mirror: the 32-bit fallback is not said: $err"
for p in $all_core; do installed "$p" || bad "bad mirror: $p was not installed"; done
grep -qx i386 "$FAKE/arches" || bad "bad mirror: the i386 architecture was not added"
# Run again at once: 32-bit Wine is not tried again, nothing else is missing,
# so apt is not called and nothing is said.
: >"$FAKE/calls"
run
[ $status = 0 ] && [ ! -s "$FAKE/calls" ] && [ -z "$err" ] ||
    bad "second run after a bad mirror: status $status, apt calls: $(cat "$FAKE/calls"), said: $err"

# 3. A package every build needs cannot be had: status 1, one line naming it,
# and the others are installed all the same.
new_machine needed
echo wine32:i386 >"$FAKE/uninstallable"
echo g++-mingw-w64-i686 >>"$FAKE/uninstallable"
run
[ $status = 1 ] || bad "missing compiler: status $status, said: $err"
grep -qx "install-deps: cannot install g++-mingw-w64-i686 (.*), which every build needs" <<<"$err" ||
    bad "missing compiler: the reason line is not there: $err"
installed wine64 && installed cmake || bad "missing compiler: the installable packages were not installed"

# 4. An index fails but every package is there to install: all installed, 32-bit too.
new_machine index-only
echo "$index" >"$FAKE/update-fails"
run
[ $status = 0 ] && installed wine32:i386 && installed wine64 || bad "failed index alone: status $status, said: $err"
[ "$(wc -l <<<"$err")" = 1 ] || bad "failed index alone: expected one line, said: $err"

finish "install-deps.sh"
