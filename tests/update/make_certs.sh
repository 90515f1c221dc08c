#!/usr/bin/env bash
# The certificates of the update-check tests, made fresh in DIR:
#   DIR/ca.pem          the only authority the test build trusts
#   DIR/host.pem        127.0.0.1 and localhost, signed by it
#   DIR/wronghost.pem   another host name, signed by it
#   DIR/other/host.pem  127.0.0.1, signed by an authority nobody trusts
set -euo pipefail
dir="${1:?usage: make_certs.sh DIR}"
make_ca="$(cd "$(dirname "$0")/../.." && pwd)/scripts/make_test_ca.sh"
rm -rf "$dir"
"$make_ca" "$dir"
"$make_ca" "$dir" wronghost wrong.example
"$make_ca" "$dir/other"
