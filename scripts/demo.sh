#!/usr/bin/env bash
# The README's demo: for every state whose file this release writes, the quarter of the shipped sample
# workbook is filed through wagetrove-cli into demo-output/, and the demo company's quarter from the simulated
# QuickBooks for the states it has employees in, over a fresh data folder and a fixed day, so
# that every run writes the same bytes. Needs no display.
#   scripts/demo.sh [DIR]   DIR holds bin/wagetrove-cli: a build folder (default: build) or an installation's
#                           prefix such as /usr; DEMO_OUTPUT chooses another folder than demo-output
set -euo pipefail
cd "$(dirname "$0")/.."

programs="$(realpath "${1:-build}")"
cli="$programs/bin/wagetrove-cli"
# The demo company ships with the program: in share/wagetrove when installed, next to it in a build folder.
company="$programs/share/wagetrove/demo-company.json"
if [ ! -f "$company" ]; then
    company="$programs/bin/demo-company.json"
fi
output="${DEMO_OUTPUT:-demo-output}"
data="$output/data"
files="$output/files"

run() {
    "$cli" --data-folder "$data" --today 2025-04-15 "$@"
}

rm -rf "$data" "$files"
mkdir -p "$files"

echo "Submitter row of the demo's data folder:"
run submitter --name "PAYROLL SERVICES LLC" --address "2 OAK AVE" --city CHICAGO --state IL --zip 60601 \
    --contact "PAT DOE" --phone 312-555-0100 --ein 98-7654321 --email pat@example.com
echo

# The sample's employer account number (1234567) is an Illinois one; the other states get a number of the
# form their checks accept. The hours answer the question the states that file hours ask about salaried staff.
declare -A state_ids=([CT]=1234567890 [FL]=1234567 [KY]=123456 [MA-QUEST]=12345678 [MS]=1234567890
    [NC]=1234567 [SC]=123456 [TX]=12-345678-9)

filed=()
failed=()
while IFS=$'\t' read -r _position text _itemdata _code short; do
    echo "== $text ($short), first quarter of 2025, from $data/12-3456789-Sample-Wages.xlsx"
    corrections=()
    if [ -n "${state_ids[$short]:-}" ]; then
        corrections=(--state-id "${state_ids[$short]}")
    fi
    if run file --state "$short" --quarter 1 --year 2025 --wages "$data/12-3456789-Sample-Wages.xlsx" \
        --out-dir "$files" --hours-for-zero 520 "${corrections[@]}" 2>&1; then
        filed+=("$short")
    else
        failed+=("$short")
    fi
    echo
done < <(run states --writers)

echo "== The wage listing form of the same quarter (Illinois)"
if run wage-listing --state IL --quarter 1 --year 2025 --wages "$data/12-3456789-Sample-Wages.xlsx" \
    --out "$files/WageListing-IL-2025-1.pdf" 2>&1; then
    filed+=("wage-listing")
else
    failed+=("wage-listing")
fi
echo

# The demo company, through the simulated QuickBooks, for each state it has employees in. Its quarter goes into
# a data folder of its own, so that its company and account numbers stay apart from the workbook's.
qb_data="$output/quickbooks-data"
qb_files="$output/quickbooks-files"
rm -rf "$qb_data" "$qb_files"
mkdir -p "$qb_files"
"$cli" --data-folder "$qb_data" --today 2025-04-15 submitter --name "PAYROLL SERVICES LLC" --address "2 OAK AVE" \
    --city CHICAGO --state IL --zip 60601 --contact "PAT DOE" --phone 312-555-0100 --ein 98-7654321 \
    --email pat@example.com >/dev/null
for entry in IL:1234567 MA-QUEST:12345678 MA-PFML:1234567; do
    short="${entry%%:*}"
    echo "== $short, first quarter of 2025, from the simulated QuickBooks company $company"
    if "$cli" --data-folder "$qb_data" --today 2025-04-15 file --state "$short" --quarter 1 --year 2025 \
        --quickbooks "simulated:$company" --state-id "${entry#*:}" --hours-for-zero 520 --out-dir "$qb_files" 2>&1; then
        filed+=("QuickBooks $short")
    else
        failed+=("QuickBooks $short")
    fi
    echo
done

echo "Files written for ${#filed[@]} report(s): ${filed[*]}"
ls -l "$files" "$qb_files"
if [ "${#failed[@]}" -gt 0 ]; then
    echo "No file for: ${failed[*]}" >&2
    exit 1
fi
