#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, only
# those that are missing, so a second run costs a second.
set -euo pipefail

PAKETI=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-translations-l10n
        libgtest-dev libgmock-dev libcpp-httplib-dev libxcb1-dev libxcb-ewmh-dev
        p7zip-full xvfb xauth fonts-dejavu-core openssl ca-certificates curl libcurl4-openssl-dev
        libsodium-dev minisign tinyproxy)

nedostaje=()
for p in "${PAKETI[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        nedostaje+=("$p")
    fi
done

if [ ${#nedostaje[@]} -gt 0 ]; then
    echo "Installing: ${nedostaje[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${nedostaje[@]}"
fi
