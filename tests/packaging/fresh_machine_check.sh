#!/usr/bin/env bash
# On a brand-new Debian system, as root, from the project's root:
#   ../shared/tools/fresh-machine 'bash tests/packaging/fresh_machine_check.sh'
# Builds the .deb (scripts/package-deb.sh installs what the build needs),
# installs it with apt as a user would, then runs the installed program as a
# new user (tests/packaging/installed_session.sh): record 1 shows, the user's
# copy of the database is in ~/.local/share/zenmora, a post lands there,
# `zenmora --version` prints the version.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$ROOT"

deb="$(bash scripts/package-deb.sh | tail -n 1)"
echo "fresh-machine-check: built $deb"
dpkg-deb --field "$deb" Package Version Depends Recommends

export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq --no-install-recommends "$deb" >/dev/null
echo "fresh-machine-check: installed; dpkg says: $(dpkg-query -W -f='${Package} ${Version} ${Status}' zenmora)"
echo "fresh-machine-check: zenmora --version: $(zenmora --version)"
[ "$(zenmora --version)" = "Zenmora $(dpkg-query -W -f='${Version}' zenmora)" ]

bash tests/packaging/installed_session.sh "$(command -v zenmora)" "$ROOT/artifacts/installed"
