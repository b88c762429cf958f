#!/bin/sh
# The markup scanners' trees: the HTML documentation under /usr/share/doc
# (with the Python, PostgreSQL and libstdc++ manuals, about 6,000 files),
# the DTDs of docbook-xml and w3c-sgml-lib (/usr/share/xml,
# /usr/share/sgml), the LaTeX sources of the TeX Live documentation
# packages (compressed in /usr/share/doc, unpacked into the cache) and the
# .ini files of the machine (copied into the cache, since they are spread
# over the whole file system).
set -e
cache=${TV_BENCH_CACHE:?TV_BENCH_CACHE names the cache directory}
pkgs="python3.11-doc postgresql-doc-15 libstdc++-12-doc docbook-xml w3c-sgml-lib
      texlive-latex-base-doc texlive-latex-recommended-doc texlive-science-doc texlive-humanities-doc"
sh "$(dirname "$0")/../need_pkgs.sh" $pkgs
tex="$cache/markup-tex"
if [ ! -d "$tex" ]; then
    echo "unpacking the LaTeX sources into $tex ..."
    mkdir -p "$tex.tmp"
    (cd /usr/share/doc && find . -name '*.tex.gz' -o -name '*.tex') | while read -r f; do
        mkdir -p "$tex.tmp/$(dirname "$f")"
        case "$f" in
        *.gz) gzip -dc "/usr/share/doc/$f" > "$tex.tmp/${f%.gz}" ;;
        *) cp "/usr/share/doc/$f" "$tex.tmp/$f" ;;
        esac
    done
    mv "$tex.tmp" "$tex"
fi
ini="$cache/markup-ini"
if [ ! -d "$ini" ]; then
    mkdir -p "$ini.tmp"
    find /usr /etc /opt -xdev -name '*.ini' -type f 2>/dev/null | while read -r f; do
        mkdir -p "$ini.tmp/$(dirname "$f")"
        cp "$f" "$ini.tmp/$f"
    done
    mv "$ini.tmp" "$ini"
fi
echo "html: $(find /usr/share/doc \( -name '*.html' -o -name '*.htm' \) | wc -l) files in /usr/share/doc"
echo "dtd: $(find /usr/share/xml /usr/share/sgml \( -name '*.dtd' -o -name '*.mod' \) | wc -l) files"
echo "tex: $(find "$tex" -name '*.tex' | wc -l) files in $tex"
echo "ini: $(find "$ini" -name '*.ini' | wc -l) files in $ini"
