#!/usr/bin/env bash
# Signs an update set for publishing: every file of the set directory is named
# with its BLAKE2b-512 hash in Verzije.b2 (b2sum's format), and Verzije.b2 is
# signed with minisign. The trusted comment carries the set's serial number and
# an optional expiry, which every workstation checks.
#
#   scripts/potpisi-set.sh [-s SECRET_KEY] [-n SERIAL] [-e YYYY-MM-DD] [-l] DIR
#
# -s  minisign secret key (default: minisign's own, ~/.minisign/minisign.key)
# -n  serial number, higher than every set signed before (default: the time, YYYYMMDDHHMM)
# -e  the last day the set is valid (default: no expiry)
# -l  legacy signature (refused by the program; for tests only)
set -euo pipefail

kljuc=()
serija=$(date -u +%Y%m%d%H%M)
istjece=""
stari=()
while getopts "s:n:e:l" o; do
    case $o in
    s) kljuc=(-s "$(realpath -- "$OPTARG")") ;;
    n) serija=$OPTARG ;;
    e) istjece=$OPTARG ;;
    l) stari=(-l) ;;
    *) sed -n '7,13p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -eq 1 ] && [ -d "$1" ] || { sed -n '7,13p' "$0" >&2; exit 2; }
[[ $serija =~ ^[0-9]{1,18}$ ]] || { echo "The serial must be a number of at most 18 digits." >&2; exit 2; }
komentar="serija=$serija"
if [ -n "$istjece" ]; then
    date -d "$istjece" +%F >/dev/null 2>&1 && [[ $istjece =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}$ ]] ||
        { echo "The expiry must be a date YYYY-MM-DD." >&2; exit 2; }
    komentar="$komentar istjece=$istjece"
fi

cd "$1"
datoteke=()
for f in *; do
    [ -f "$f" ] && [ ! -L "$f" ] || continue
    case $f in Verzije.b2 | Verzije.b2.minisig | *.mlu-novo) continue ;; esac
    datoteke+=("$f")
done
[ ${#datoteke[@]} -gt 0 ] || { echo "No files to sign in $1." >&2; exit 1; }
[ -f Verzije.txt ] || { echo "$1 has no Verzije.txt." >&2; exit 1; }

# Written beside and renamed, so a reader never sees a manifest without its signature's file.
b2sum -- "${datoteke[@]}" >Verzije.b2.novo
minisign -S "${stari[@]}" "${kljuc[@]}" -m Verzije.b2.novo -x Verzije.b2.minisig.novo -t "$komentar" >/dev/null
mv -f Verzije.b2.novo Verzije.b2
mv -f Verzije.b2.minisig.novo Verzije.b2.minisig
echo "Signed ${#datoteke[@]} files of $1: $komentar"
