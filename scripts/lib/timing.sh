# shellcheck shell=bash
# How long each part of a test script takes, in its output: the figures
# that README gives for CI come from these lines.

# part NAME: ends the part under way (printing its time) and starts NAME.
part() {
    part_end
    part_name=$1
    part_start=$SECONDS
    echo "== $part_name"
}

# Prints the time of the part under way, if any, and ends it.
part_end() {
    [ -z "${part_name:-}" ] || echo "== $part_name: $((SECONDS - part_start)) s"
    part_name=
}
