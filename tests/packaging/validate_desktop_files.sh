#!/usr/bin/env bash
# Validates the installed desktop entry and AppStream metainfo under PREFIX
# with the freedesktop tools; a warning or an error fails, hints and infos
# are shown but pass.
#   bash validate_desktop_files.sh PREFIX
set -u
prefix="${1:?usage: validate_desktop_files.sh PREFIX}"
status=0
for desktop in "$prefix"/share/applications/*.desktop; do
    out="$(desktop-file-validate "$desktop" 2>&1)"; rc=$?
    echo "desktop-file-validate $desktop: exit $rc"; [ -n "$out" ] && echo "$out"
    if [ $rc -ne 0 ] || grep -qE '(error|warning):' <<<"$out"; then status=1; fi
done
for metainfo in "$prefix"/share/metainfo/*.metainfo.xml; do
    # --no-net: the homepage is not fetched; the check must not need a network.
    out="$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1)"; rc=$?
    echo "appstreamcli validate $metainfo: exit $rc"; echo "$out"
    if [ $rc -ne 0 ] || grep -qE '^[EW]:' <<<"$out"; then status=1; fi
done
exit $status
