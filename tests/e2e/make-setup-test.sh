#!/usr/bin/env bash
# make-setup-test.sh REPO SCRATCH: tools/make-setup.sh as a vendor uses it.
#   1. A folder that misses two members and has a file beyond the install
#      table is refused, each named, before anything is built.
#   2. The payload of this build with one member changed (and grown, so that
#      the payload's size changes), signed with a throwaway certificate: both
#      setup.exe and the uninstaller inside its payload verify against it,
#      and the signed program installs the changed member through the wizard
#      (ShippedSetupTest.cpp, under Wine).
# Runs in the Wine session of the tests; builds only in make-setup's own tree.
set -euo pipefail
repo=$1 scratch=$2
out=${NELVO_OUT:?}
fail() { echo "make_setup: $*" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
"$out/lzpack" extract "$out/resources/program.lz" -C "$scratch/payload" >/dev/null \
  || fail "cannot unpack the payload of this build"

# 1. Refused folder: its own copy, so the good folder stays whole.
cp -r "$scratch/payload" "$scratch/broken"
rm "$scratch/broken/nelvo.sys" "$scratch/broken/Resource/pic/top.jpg"
echo extra > "$scratch/broken/Resource/readme.txt"
status=0
"$repo/tools/make-setup.sh" --payload "$scratch/broken" --out "$scratch/refused.exe" \
  >"$scratch/refused.log" 2>&1 || status=$?
[ "$status" -eq 1 ] || { cat "$scratch/refused.log" >&2; fail "a broken folder gave exit code $status"; }
for expected in "missing from $scratch/broken: nelvo.sys" "missing from $scratch/broken: Resource/pic/top.jpg" \
  "not in the install table (resources/payload/members.txt): Resource/readme.txt"; do
  grep -qF "make-setup: $expected" "$scratch/refused.log" \
    || { cat "$scratch/refused.log" >&2; fail "the refusal does not say: $expected"; }
done
! grep -q 'building' "$scratch/refused.log" || fail "a broken folder got as far as the build"
[ ! -e "$scratch/refused.exe" ] || fail "a broken folder gave a program"

# 2. A changed folder, signed. The vendor's own unins000.exe is replaced by
# the one built here (only that one can verify).
changed=Effect/imageswap/imageswap.xml
head -c 300000 /dev/zero | tr '\0' ' ' >> "$scratch/payload/$changed"
echo "<!-- vendor build -->" >> "$scratch/payload/$changed"
echo "not ours" > "$scratch/payload/unins000.exe"
printf 'throwaway-pass\n' > "$scratch/pass.txt"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Nelvo Test Signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null \
  || fail "openssl could not make a certificate"
openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" -out "$scratch/signer.pfx" \
  -passout "file:$scratch/pass.txt" || fail "openssl could not write the PFX file"

timeout -k 10 3000 nice -n 10 "$repo/tools/make-setup.sh" --payload "$scratch/payload" --out "$scratch/setup-signed.exe" \
  --sign "$scratch/signer.pfx" --sign-pass-file "$scratch/pass.txt" >"$scratch/build.log" 2>&1 \
  || { tail -30 "$scratch/build.log" >&2; fail "make-setup.sh failed"; }
grep -q "unins000.exe of $scratch/payload replaced" "$scratch/build.log" || fail "the folder's unins000.exe was not named"

verify() {
  osslsigncode verify -CAfile "$scratch/cert.pem" -in "$1" >"$scratch/verify.log" 2>&1 \
    || { cat "$scratch/verify.log" >&2; fail "$(basename "$1") does not verify"; }
  grep -q 'Signature verification: ok' "$scratch/verify.log" || fail "$(basename "$1"): no verified signature"
  grep -qE 'Message digest algorithm *: SHA256' "$scratch/verify.log" || fail "$(basename "$1") is not signed with SHA-256"
}
verify "$scratch/setup-signed.exe"
# An unsigned file must fail the same check.
! osslsigncode verify -CAfile "$scratch/cert.pem" -in "$repo/build/make-setup/out/setup.exe" >/dev/null 2>&1 \
  || fail "the unsigned program verifies"

winpath() { winepath -w "$1" 2>/dev/null; }
status=0
(cd "$out/tests" &&
  NELVO_SHIPPED_SETUP=$(winpath "$scratch/setup-signed.exe") \
  NELVO_CHANGED_MEMBER=${changed//\//\\} \
  NELVO_CHANGED_COPY=$(winpath "$scratch/payload/$changed") \
  NELVO_UNINSTALLER_COPY=$(winpath "$scratch/unins000.exe") \
  timeout -k 5 600 wine shipped_setup_e2e.exe) || status=$?
[ "$status" -eq 0 ] || fail "the signed program's installation failed (exit $status)"
verify "$scratch/unins000.exe"
echo "make_setup: refused folder named; signed build verified and installed"
