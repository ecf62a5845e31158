#!/usr/bin/env bash
# Keys and signatures of the update information file (see README, "Publishing an update").
#   sign-update.sh --new-key KEY.pem      make a new Ed25519 private key (readable by you only)
#   sign-update.sh --public-key KEY.pem   print its public key for -DQUORVEL_UPDATE_PUBLIC_KEY=
#   sign-update.sh KEY.pem INFO_FILE      sign INFO_FILE in place: a last line "#signature=" with
#                                         the base64 signature of every byte before it (an
#                                         earlier signature line is replaced)
set -euo pipefail

usage() {
  sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

case "${1:-}" in
--new-key)
  [ $# -eq 2 ] || usage
  [ ! -e "$2" ] || { echo "sign-update.sh: $2 exists; not overwritten" >&2; exit 1; }
  (umask 077 && openssl genpkey -algorithm ed25519 -out "$2")
  ;;
--public-key)
  [ $# -eq 2 ] || usage
  # The DER form of an Ed25519 public key ends with the 32 raw key bytes.
  openssl pkey -in "$2" -pubout -outform DER | tail -c 32 | openssl base64 -A
  echo
  ;;
-*|"")
  usage
  ;;
*)
  [ $# -eq 2 ] || usage
  key=$1 info=$2
  [ -f "$info" ] || { echo "sign-update.sh: no such file: $info" >&2; exit 1; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  # The body: the file without its signature line, ending in a line break.
  awk 'BEGIN { n = 0 } { lines[n++] = $0 } END {
         last = n - 1
         while (last >= 0 && lines[last] ~ /^\r?$/) last--
         if (last >= 0 && index(lines[last], "#signature=") == 1) last--
         for (i = 0; i <= last; i++) print lines[i]
       }' "$info" >"$work/body"
  openssl pkeyutl -sign -inkey "$key" -rawin -in "$work/body" -out "$work/signature"
  { cat "$work/body"; printf '#signature=%s\n' "$(openssl base64 -A -in "$work/signature")"; } \
    >"$work/signed"
  cat "$work/signed" >"$info.tmp" && mv "$info.tmp" "$info"
  ;;
esac
