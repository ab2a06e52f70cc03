#!/usr/bin/env bash
# The Group Policy template: both files are well-formed XML, each policy writes
# the machine key and value that the panel reads (the trusted account as text,
# balloons as 1 for on and 0 for off), and every string and presentation the
# template names is in its language file.
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

# check_policy <policy name> <XPath of its value name below the policy> <program constant>
check_policy() {
    local policy="//*[local-name()=\"policy\" and @name=\"$1\"]" key value
    [ "$(xpath "$ADMX" "string($policy/@class)")" = Machine ] || fail "$1 is not a machine policy"
    key=$(xpath "$ADMX" "string($policy/@key)")
    [ -n "$key" ] && [ "$key" = "$(program_text kTrustPolicyKey)" ] ||
        fail "$1: the template's key '$key' is not the one the panel reads"
    value=$(xpath "$ADMX" "string($policy$2)")
    [ -n "$value" ] && [ "$value" = "$(program_text "$3")" ] ||
        fail "$1: the template's value '$value' is not the one the panel reads"
}
check_policy TrustedServiceAccount '//*[local-name()="text"]/@valueName' kTrustPolicyValue
check_policy Notifications '/@valueName' kNotificationsValue
switch='//*[local-name()="policy" and @name="Notifications"]'
[ "$(xpath "$ADMX" "string($switch/*[local-name()=\"enabledValue\"]/*/@value)")" = 1 ] &&
    [ "$(xpath "$ADMX" "string($switch/*[local-name()=\"disabledValue\"]/*/@value)")" = 0 ] ||
    fail "Notifications: enabled must write 1 and disabled 0"

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
