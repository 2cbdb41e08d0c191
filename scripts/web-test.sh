#!/usr/bin/env bash
# Plays the site given (build-web/site) in Debian's Chromium, headless, through puppeteer-core at
# the version that tests/web's lockfile fixes; node's own test runner reports. With a second
# argument, runs that script of tests/web instead (bench.mjs).
set -euo pipefail
site=$(realpath "$1")
cd "$(dirname "$0")/../tests/web"
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi
if [ $# -gt 1 ]; then
  VELMORA_SITE=$site node "$2"
else
  VELMORA_SITE=$site node --test --test-concurrency=1 --test-timeout=300000 site.test.mjs
fi
