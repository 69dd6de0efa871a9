#!/usr/bin/env bash
# Signs the small update sets the signature tests read, with the real minisign:
# two keys (A trusted, B the publisher's next key or a stranger's) and one set
# per case. Run at build time, so the Windows tests read the same files.
set -euo pipefail
ODREDISTE=$1
POTPISI="$(cd "$(dirname "$0")/../.." && pwd)/scripts/potpisi-set.sh"
rm -rf "$ODREDISTE" && mkdir -p "$ODREDISTE" && cd "$ODREDISTE"
minisign -G -W -p A.pub -s A.key >/dev/null
minisign -G -W -p B.pub -s B.key >/dev/null

set_() { # name, then the signing script's options
    local ime=$1; shift
    mkdir "$ime"
    printf 'A.exe;1;2;3;4;5;\r\n' >"$ime/Verzije.txt"
    printf 'arhiva' >"$ime/A.7z"
    bash "$POTPISI" "$@" "$ime" >/dev/null
}
set_ dobar -s A.key -n 200 -e 2099-12-31
set_ drugi-kljuc -s B.key -n 200
set_ stari-oblik -s A.key -n 200 -l
set_ istekao -s A.key -n 200 -e 2020-01-01
set_ stara-serija -s A.key -n 100
# The set the check tests serve: their list and remote-support program, signed.
mkdir okolina
printf 'A.exe;1;1;2;5;9;\r\nMorvelaLiveUpdate21.exe;1;1;1;5;9;\r\n' >okolina/Verzije.txt
printf 'tv' >okolina/TeamViewerQS.exe
bash "$POTPISI" -s A.key -n 200 okolina >/dev/null
# Signed by hand with minisign's own trusted comment, which has no serial.
set_ bez-serije -s A.key -n 200
minisign -S -s A.key -m bez-serije/Verzije.b2 -x bez-serije/Verzije.b2.minisig >/dev/null
touch gotovo
