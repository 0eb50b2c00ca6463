# Sourced by the scripts that run programs under Wine. Sets the environment
# and offers: wine_loader_for EXE, can_run_32bit, ensure_prefix, start_display,
# codexia_lane.

export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or Gecko installers, and no menu entries made for the desktop.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}
WINE32=/usr/lib/wine/wine
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

# 32-bit programs need a kernel that runs 32-bit Linux programs; some
# virtual machines do not.
can_run_32bit() { "$WINE32" --version >/dev/null 2>&1; }

# The Wine loader for a program, by its PE machine type.
wine_loader_for() {
    local exe=$1 off machine
    off=$(od -An -t u4 -j 60 -N 4 "$exe" | tr -d ' ')
    machine=$(od -An -t x2 -j $((off + 4)) -N 2 "$exe" | tr -d ' ')
    if [ "$machine" = "8664" ]; then echo "$WINE64"; else echo "$WINE32"; fi
}

# A prefix made for tests: fonts, no window manager delays, no crash dialog.
# The mark names the version of this function that made it.
CODEXIA_PREFIX_MARK=.codexia-ready-3
ensure_prefix() {
    local prefix=$1
    export WINEPREFIX=$prefix
    # Made again when made by an older version of this function (-2: before
    # Wine's own fonts were installed and copied in).
    [ -f "$prefix/$CODEXIA_PREFIX_MARK" ] && return 0
    rm -rf "$prefix"
    mkdir -p "$prefix"
    WINELOADER=$WINE64 "$WINE64" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
    local reg="$prefix/codexia.reg"
    cat > "$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Arial"="Liberation Sans"
"Times New Roman"="Liberation Serif"
"Courier New"="Liberation Mono"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"DragFullWindows"="0"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""
"Auto"="1"
REG
    WINELOADER=$WINE64 "$WINE64" regedit /S "$(WINELOADER=$WINE64 "$WINE64" winepath -w "$reg" 2>/dev/null)" >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$prefix/$CODEXIA_PREFIX_MARK"
}

# Starts a private X display; sets DISPLAY and CODEXIA_XVFB_PID.
start_display() {
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    CODEXIA_XVFB_PID=$!
    local n
    read -r n <"$fifo"
    rm -f "$fifo"
    export DISPLAY=:$n
    export CODEXIA_XVFB_PID
}

# A copy of a made prefix (ensure_prefix FROM first, its server ended) for
# a second Wine session: quicker than making one.
copy_prefix() {
    local from=$1 to=$2
    [ -f "$to/$CODEXIA_PREFIX_MARK" ] && return 0
    rm -rf "$to"
    cp -a "$from" "$to"
}

# The desktop lane CTest gave a test that uses the mouse, the keyboard or the
# foreground window (its resource "desktop", CTEST_RESOURCE_GROUP_0_DESKTOP
# = "id:N,slots:1"): lane N's own X display and Wine prefix, which the test
# command set up as CODEXIA_LANE_N_DISPLAY and CODEXIA_LANE_N_PREFIX. Two
# such tests run side by side without meeting: each lane is a desktop and a
# Wine session of its own. Outside a lane nothing changes.
codexia_lane() {
    local id=${CTEST_RESOURCE_GROUP_0_DESKTOP:-}
    id=${id#id:}
    id=${id%%,*}
    [ -n "$id" ] || return 0
    local display="CODEXIA_LANE_${id}_DISPLAY" prefix="CODEXIA_LANE_${id}_PREFIX"
    if [ -n "${!display:-}" ]; then export DISPLAY=${!display}; fi
    if [ -n "${!prefix:-}" ]; then export WINEPREFIX=${!prefix}; fi
}
