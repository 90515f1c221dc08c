#!/usr/bin/env bash
# Makes a certificate authority of its own and a host certificate signed by
# it, for an update host on this machine (the run command and the tests).
#   scripts/make_test_ca.sh DIR                  DIR/ca.pem and DIR/host.pem
#                                                (+ .key) for 127.0.0.1 and
#                                                localhost
#   scripts/make_test_ca.sh DIR NAME HOST...     DIR/NAME.pem (+ .key) for
#                                                the given host names, signed
#                                                by DIR's authority
# An authority already in DIR is kept, so a build that trusts DIR/ca.pem
# keeps trusting the host certificates made later.
set -euo pipefail
dir="${1:?usage: make_test_ca.sh DIR [NAME HOST...]}"
shift
name="${1:-host}"
shift || true
hosts=("$@")
[[ ${#hosts[@]} -gt 0 ]] || hosts=(127.0.0.1 localhost)

mkdir -p "$dir"
cd "$dir"
if [[ ! -s ca.pem || ! -s ca.key ]] || ! openssl x509 -in ca.pem -noout -checkend 86400 >/dev/null; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Tavrelle local update CA" \
    -keyout ca.key -out ca.pem \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" \
    2>/dev/null
fi

san=""
for host in "${hosts[@]}"; do
  if [[ "$host" =~ ^[0-9.]+$ ]]; then san+="IP:$host,"; else san+="DNS:$host,"; fi
done
extensions="$(mktemp)"
trap 'rm -f "$extensions"' EXIT
printf 'subjectAltName=%s\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' "${san%,}" >"$extensions"
openssl req -newkey rsa:2048 -nodes -subj "/CN=${hosts[0]}" -keyout "$name.key" -out "$name.csr" 2>/dev/null
openssl x509 -req -in "$name.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 \
  -extfile "$extensions" -out "$name.pem" 2>/dev/null
rm -f "$name.csr"
