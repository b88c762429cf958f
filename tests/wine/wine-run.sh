#!/bin/sh
# Runs a Windows program of the build under wine, in the build tree's own
# prefix.  Usage: wine-run.sh PREFIX program [args...]
#        wine-run.sh PREFIX --init      (creates the prefix once)
#        wine-run.sh PREFIX --kill      (stops the prefix's wineserver)
set -e
prefix=$1; shift
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=wine64
case "$1" in
--init)
    if [ ! -f "$prefix/.tv-ready" ]; then
        rm -rf "$prefix"
        mkdir -p "$prefix"
        "$wine" wineboot -i >/dev/null 2>&1 || true
        # The first boot may still be settling on a busy machine: retry.
        n=0
        until "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1; do
            n=$((n + 1))
            [ $n -lt 10 ] || exit 1
            wineserver -w || true
            sleep 3
        done
        wineserver -w || true
        touch "$prefix/.tv-ready"
    fi
    exit 0 ;;
--kill)
    wineserver -k 2>/dev/null || true
    exit 0 ;;
esac
exec "$wine" "$@"
