#!/usr/bin/env bash
# Says what the site weighs as a server would send it, each file compressed with gzip, and fails
# when the whole passes 400 KB.
set -euo pipefail
site=$1
limit=$((400 * 1024))
total=0
for file in "$site"/*; do
  total=$((total + $(gzip -9 -c "$file" | wc -c)))
done
echo "site: $((total / 1024)) KB with gzip (at most $((limit / 1024)) KB)"
[ "$total" -le "$limit" ]
