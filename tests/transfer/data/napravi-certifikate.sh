#!/usr/bin/env bash
# Makes the test CA, the server certificate it signs (127.0.0.1 and localhost)
# and a self-signed certificate nobody trusts. Run once; the results are committed.
set -euo pipefail
cd "$(dirname "$0")"
DANA=10000
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days $DANA \
    -subj "/O=Morvela test/CN=Morvela test CA" -keyout "$tmp/ca-kljuc.pem" -out ca.pem \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"

openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
    -subj "/O=Morvela test/CN=127.0.0.1" -keyout posluzitelj-kljuc.pem -out "$tmp/posluzitelj.csr"
cat > "$tmp/ext.cnf" <<'X'
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=IP:127.0.0.1,DNS:localhost
X
openssl x509 -req -in "$tmp/posluzitelj.csr" -CA ca.pem -CAkey "$tmp/ca-kljuc.pem" -CAcreateserial -CAserial "$tmp/ca.srl" \
    -days $DANA -extfile "$tmp/ext.cnf" -out posluzitelj.pem

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days $DANA \
    -subj "/O=Nepoznat/CN=127.0.0.1" -keyout nepovjerljiv-kljuc.pem -out nepovjerljiv.pem \
    -addext "subjectAltName=IP:127.0.0.1,DNS:localhost"
