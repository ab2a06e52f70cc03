#!/usr/bin/env bash
# The Group Policy template: both files are well-formed XML, the policy writes
# the machine key and value that the panel reads, as text, and every string and
# presentation the template names is in its language file.
# Usage: policy_template_test.sh <source folder>
set -euo pipefail
ROOT=$1
ADMX="$ROOT/installer/policy/KestrelControlPanel.admx"
ADML="$ROOT/installer/policy/en-US/KestrelControlPanel.adml"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
xpath() { xmllint --xpath "$2" "$1" 2>/dev/null || true; }
# A wide string constant of the program's sources, as the registry sees it.
program_text() {
    grep -rh -o "$1\[\] = L\"[^\"]*\"" "$ROOT/src" | sed -e 's/.*L"//' -e 's/"$//' -e 's/\\\\/\\/g'
}

xmllint --noout "$ADMX" "$ADML" || fail "not well-formed"

policy='//*[local-name()="policy" and @name="TrustedServiceAccount"]'
[ "$(xpath "$ADMX" "string($policy/@class)")" = Machine ] || fail "the policy is not a machine policy"
key=$(xpath "$ADMX" "string($policy/@key)")
[ -n "$key" ] && [ "$key" = "$(program_text kTrustPolicyKey)" ] ||
    fail "the template's key '$key' is not the one the panel reads"
value=$(xpath "$ADMX" "string($policy//*[local-name()=\"text\"]/@valueName)")
[ -n "$value" ] && [ "$value" = "$(program_text kTrustPolicyValue)" ] ||
    fail "the template's value '$value' is not the one the panel reads"

namespace='string(/*/namespace::*[name()=""])'
[ "$(xpath "$ADMX" "$namespace")" = "$(xpath "$ADML" "$namespace")" ] ||
    fail "the template and its language file have different XML namespaces"

for kind in string presentation; do
    while read -r id; do
        [ -z "$id" ] && continue
        [ -n "$(xpath "$ADML" "//*[local-name()=\"$kind\" and @id=\"$id\"]")" ] ||
            fail "the language file has no $kind '$id'"
    done < <(grep -o "\$($kind\.[A-Za-z0-9_]*)" "$ADMX" | sed -e "s/^\$($kind\.//" -e 's/)$//' | sort -u)
done
echo "policy template test passed"
