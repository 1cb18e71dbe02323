#!/usr/bin/env bash
# Runs a command in a C library locale compiled for the occasion into a temporary folder, so the
# test needs no locale generated on the machine.
#   with-locale.sh de_DE.UTF-8 COMMAND...
set -u
name=$1
shift
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
if ! localedef -i "${name%%.*}" -f "${name#*.}" "$dir/$name" 2>"$dir/localedef.log"; then
    # localedef warns about some definitions yet writes the locale; only a missing one is fatal.
    if [ ! -d "$dir/$name" ]; then
        echo "with-locale: cannot build $name:" >&2
        cat "$dir/localedef.log" >&2
        exit 1
    fi
fi
env LOCPATH="$dir" LC_ALL="$name" LANG="$name" "$@"
