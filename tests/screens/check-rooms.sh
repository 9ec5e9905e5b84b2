#!/usr/bin/env bash
# The screens' rooms depend on each other one way only: a room may include the headers of the rooms
# before it in this list, never those after it, and never another room's src/ folder.
set -euo pipefail
screens=$1
rooms=(dialogs widgets framework whatif output fit schedule forms)
status=0
for ((i = 0; i < ${#rooms[@]}; i++)); do
    room=${rooms[i]}
    for ((j = i + 1; j < ${#rooms[@]}; j++)); do
        later=${rooms[j]}
        if grep -rn "#include \"quandrelle/screens/$later/" "$screens/$room"; then
            echo "the $room room reaches up into $later" >&2
            status=1
        fi
    done
    if grep -rnE '#include "(\.\./|[^"]*/src/)' "$screens/$room"; then
        echo "the $room room reaches into another folder's sources" >&2
        status=1
    fi
done
exit $status
