#!/usr/bin/env bash
# The source folders form layers, from the bottom up. A file may include
# headers of its own folder and of the folders below it, never of a folder
# above it (and so no two folders include each other). Run by the test suite;
# exits 1 and names each include that runs upward.
#
#   scripts/check-layers.sh [SOURCE-ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"

# Bottom first, one layer each; folders joined by "+" sit side by side on one
# layer and include nothing of each other.
layers=(core store pricelist+book estimate ui worksheets screens app tools)
folders=()
for layer in "${layers[@]}"; do
    IFS=+ read -r -a side <<<"$layer"
    folders+=("${side[@]}")
done

rank_of() {
    local i
    for i in "${!layers[@]}"; do
        case "+${layers[$i]}+" in *"+$1+"*) echo "$i"; return ;; esac
    done
    echo -1
}

bad=0
for folder in "${folders[@]}"; do
    [ -d "$folder" ] || continue
    own=$(rank_of "$folder")
    while IFS= read -r hit; do
        file=${hit%%:*}
        rest=${hit#*:}
        line=${rest%%:*}
        target=$(sed -n "${line}s/^[[:space:]]*#[[:space:]]*include[[:space:]]*\"\\([^/\"]*\\)\\/.*/\\1/p" "$file")
        [ -n "$target" ] || continue
        theirs=$(rank_of "$target")
        [ "$theirs" -lt 0 ] && continue # generated or third-party headers
        if [ "$theirs" -gt "$own" ] || { [ "$theirs" -eq "$own" ] && [ "$target" != "$folder" ]; }; then
            echo "$file:$line: $folder/ includes from $target/, a layer above it" >&2
            bad=1
        fi
    done < <(grep -rn --include='*.h' --include='*.cpp' -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "$folder" || true)
    # An include without a folder reaches a header by the include path, which
    # hides which layer it comes from.
    while IFS= read -r hit; do
        echo "$hit: include the header with its folder (\"folder/name.h\")" >&2
        bad=1
    done < <(grep -rn --include='*.h' --include='*.cpp' -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+"' "$folder" |
        grep -v -E '"(sample_prices\.h|[a-z_]+\.moc|moc_[a-z_]+\.cpp)"' || true)
done

# The data has its owners: store/ under pricelist/ (the prices, their
# history, the shop's details and settings) and book/ (the saved estimates).
# They alone write SQL and use Qt's SQL classes; the layers above call them
# and include none of their private headers.
private='book/book_store\.h'
sql='"[^"]*\<(Select [^"]* From |Insert Into |Update [A-Za-z0-9_]+ Set |Delete From |Create (Table|Index|Trigger|Role|Or Replace)|Alter Table |Drop Table |Pragma |Grant [^"]* To |Revoke [^"]* From |Lock Table |Vacuum Into|Attach Database )'
txn='"(Begin|Commit|Rollback|Begin Immediate|Begin Exclusive)"'
for folder in estimate ui worksheets screens app tools; do
    [ -d "$folder" ] || continue
    while IFS= read -r hit; do
        echo "$hit: storage belongs to its owners (store/, pricelist/, book/): call them" >&2
        bad=1
    done < <(grep -rn --include='*.h' --include='*.cpp' -E "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"](QSql|$private)" "$folder" || true;
             grep -rn --include='*.h' --include='*.cpp' -E "$sql|$txn" "$folder" || true)
done

if [ "$bad" -ne 0 ]; then
    echo "Layers, bottom first: ${layers[*]}" >&2
    exit 1
fi
echo "Layers hold: ${layers[*]}"
