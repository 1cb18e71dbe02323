#!/bin/sh
# A shipped language translates every text the program shows, and nothing it no longer shows:
# lupdate brings a copy of the .ts up to date with the sources; the copy may then hold no message
# unfinished (new or untranslated), vanished or obsolete (gone from the sources).
#   check-translation.sh LUPDATE TS STAMP SOURCE...
set -eu
lupdate=$1 ts=$2 stamp=$3
shift 3
cp "$ts" "$stamp.ts"
"$lupdate" -silent -locations none "$@" -ts "$stamp.ts"
if grep -B4 -E 'type="(unfinished|vanished|obsolete)"|<translation></translation>|<translation/>' "$stamp.ts" >&2; then
    echo "$ts: the texts above are untranslated or no longer shown. Run" \
        "'cmake --build build --target update_translations' and translate them (linguist)." >&2
    exit 1
fi
touch "$stamp"
