# Sourced by the benchmarks that time whole processes in alternating rounds, so that a busy moment
# of the machine falls on every contender alike. Needs $work, a scratch folder.

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs the command after NAME and ROUND; from round 1 on, appends "SECONDS PEAK_KB" to
# $work/NAME.times (round 0 warms the caches). Wall time in microseconds: time(1) gives
# hundredths of a second only.
timed_round() {
    local name="$1" round="$2"
    shift 2
    local start="$EPOCHREALTIME"
    # A run that ends with a warning (a real folder's damaged PDF) is timed all the same.
    /usr/bin/time -f '%M' -o "$work/one" "$@" >/dev/null 2>&1 || true
    local end="$EPOCHREALTIME"
    # time(1) puts its note on a failed run's status before the figure.
    [[ $round -gt 0 ]] && echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }') $(tail -n 1 "$work/one")" >>"$work/$name.times"
    return 0
}

# A table row for NAME, shown as LABEL: the medians of its times and memory, and its time against
# that of the contender named OURS; DIGITS after the point for seconds.
median_row() {
    local name="$1" label="$2" ours="$3" digits="$4"
    local time memory base
    time="$(cut -d' ' -f1 "$work/$name.times" | median)"
    memory="$(cut -d' ' -f2 "$work/$name.times" | median)"
    base="$(cut -d' ' -f1 "$work/$ours.times" | median)"
    awk -v t="$label" -v s="$time" -v m="$memory" -v o="$base" -v d="$digits" \
        'BEGIN { printf "| %s | %.*f s | %.0f MB | %.2fx |\n", t, d, s, m / 1024, s / o }'
}
