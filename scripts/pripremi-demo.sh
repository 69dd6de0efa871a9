#!/usr/bin/env bash
# Lays out the demo in a scratch directory outside the source tree:
#   suite/      an installed suite with its Verzije.txt, the built program and a 7za link
#   server/     the demo update set (archives made here with 7za) for the local server
#   config/     a demo-only XDG_CONFIG_HOME pointing the program at the local server
#   bin/        a stand-in RegSvr32.exe that only records its calls
# and starts the demo server on a free port; its process id is left in server.pid.
# Usage: pripremi-demo.sh <build dir> <scratch dir>
set -euo pipefail
IZVOR="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$1"; SCRATCH="$2"

rm -rf "$SCRATCH"
mkdir -p "$SCRATCH"/{suite,server/download/Verzija21,config/Morvela,bin,distribucija}

# The installed suite.
cp -r "$IZVOR/demo/instalirano/." "$SCRATCH/suite/"
rm "$SCRATCH/suite/Verzije.utf8"
iconv -f UTF-8 -t WINDOWS-1250 "$IZVOR/demo/instalirano/Verzije.utf8" | sed 's/$/\r/' > "$SCRATCH/suite/Verzije.txt"
cp "$BUILD/src/app/MorvelaLiveUpdate21" "$SCRATCH/suite/"
ln -s "$(command -v 7za)" "$SCRATCH/suite/7za"

# The update set: help files and scripts travel unpacked under the archive name.
SET="$SCRATCH/server/download/Verzija21"
: > "$SCRATCH/verzije.utf8"
while IFS=';' read -r ime gl pom rev; do
    [ -n "$ime" ] || continue
    datoteka="$IZVOR/demo/noviset/datoteke/$ime"
    arhiva="${ime:0:${#ime}-3}7z"
    arhiva="${arhiva//č/c}"; arhiva="${arhiva//ž/z}"
    case "$ime" in
        *chm|*enc) cp "$datoteka" "$SET/$arhiva" ;;
        *) (cd "$(dirname "$datoteka")" && 7za a -bd -y -mx=5 "$SET/$arhiva" "$ime" >/dev/null) ;;
    esac
    echo "$ime;$gl;$pom;$rev;$(stat -c %s "$SET/$arhiva");$(stat -c %s "$datoteka");" >> "$SCRATCH/verzije.utf8"
done < "$IZVOR/demo/noviset/verzije.utf8"
iconv -f UTF-8 -t WINDOWS-1250 "$SCRATCH/verzije.utf8" | sed 's/$/\r/' > "$SET/Verzije.txt"
cp "$SET/Verzije.txt" "$SET/VerzijeU.txt"
cp "$IZVOR/demo/noviset/datoteke/TeamViewerQS.exe" "$SET/TeamViewerQS.exe"
# Signed as a publisher signs a set, with a demo key made here; the program trusts it
# through the settings below.
minisign -G -W -p "$SCRATCH/demo-kljuc.pub" -s "$SCRATCH/demo-kljuc.key" >/dev/null
bash "$IZVOR/scripts/potpisi-set.sh" -s "$SCRATCH/demo-kljuc.key" >/dev/null "$SET"

# Demo-only settings: the local server over plain HTTP, the distribution location in scratch.
cat > "$SCRATCH/config/Morvela/Morvela.conf" <<CONF
[Settings]
PrimarniServer21=127.0.0.1:0
SekundarniServer21=127.0.0.1:0
KoristiChilkatZaDownload=false
UpdateLok21N=2
UpdateLokDir21=$SCRATCH/distribucija/
UpdateLokDirMr21=$SCRATCH/distribucija/
UpdateLokDirMr.morvela.Ba.21=$SCRATCH/distribucija/
JavniKljuc=$(tail -n 1 "$SCRATCH/demo-kljuc.pub")
CONF

cat > "$SCRATCH/bin/RegSvr32.exe" <<'REG'
#!/bin/sh
echo "RegSvr32.exe $*" >> "$(dirname "$0")/../regsvr32.log"
REG
chmod +x "$SCRATCH/bin/RegSvr32.exe"

"$BUILD/demo/MorvelaDemoServer" "$SCRATCH/server" > "$SCRATCH/server.port" &
echo $! > "$SCRATCH/server.pid"
for _ in $(seq 50); do [ -s "$SCRATCH/server.port" ] && break; sleep 0.1; done
sed -i "s/127.0.0.1:0/127.0.0.1:$(cat "$SCRATCH/server.port")/" "$SCRATCH/config/Morvela/Morvela.conf"
