#!/bin/sh
# Host instructions per emulated T-state, as valgrind's cachegrind counts them: unlike the
# timings, the count does not move with the load on the machine. Each figure is the difference
# between runs of N and 2N frames, so start-up and the ROM's boot are left out.
# Usage: bench/instructions_per_tstate.sh [BUILD_DIR]
build=${1:-build}
frames=300
tstates_per_frame=69888

if ! command -v valgrind >/dev/null 2>&1; then
    echo "host instructions per T-state: skipped, valgrind is not installed"
    exit 0
fi

# Instructions the command executes.
count() {
    valgrind --tool=cachegrind --cache-sim=no --cachegrind-out-file=/dev/null "$@" 2>&1 \
        >/dev/null | sed -n 's/.*I *refs: *//p' | tr -d ,
}

# Instructions per T-state of the frames between the two counts; the 48K's frame unless a
# third argument gives another.
per_tstate() {
    if [ -z "$1" ] || [ -z "$2" ]; then
        echo "?"
        return
    fi
    awk -v a="$1" -v b="$2" -v t=$((frames * ${3:-$tstates_per_frame})) \
        'BEGIN { printf "%.2f", (b - a) / t }'
}

core="$build/bench/wendal-bench-core"
run="$build/tools/wendal-run"
snapshot="$build/bench/workload.sna"
double=$((frames * 2))

core_rom=$(per_tstate "$(count "$core" $frames rom)" "$(count "$core" $double rom)")
core_work=$(per_tstate "$(count "$core" $frames workload)" "$(count "$core" $double workload)")
run_rom=$(per_tstate "$(count "$run" --frames $frames)" "$(count "$run" --frames $double)")
run_work=$(per_tstate "$(count "$run" --frames $frames "$snapshot")" \
    "$(count "$run" --frames $double "$snapshot")")
run_128=$(per_tstate "$(count "$run" --machine 128 --frames $frames)" \
    "$(count "$run" --machine 128 --frames $double)" 70908)

sound="$build/bench/wendal-bench-sound"
# One mode of the sound benchmark, per T-state of its frames ($2; the 48K's unless given).
sound_per_tstate() {
    per_tstate "$(count "$sound" $frames "$1")" "$(count "$sound" $double "$1")" "$2"
}
chip_mono=$(sound_per_tstate chip-mono 70908)
chip_stereo=$(sound_per_tstate chip-stereo 70908)
frame_48=$(sound_per_tstate 48k)
frame_48_sound=$(sound_per_tstate 48k-sound)
frame_128_mono=$(sound_per_tstate 128k-mono 70908)
frame_128_stereo=$(sound_per_tstate 128k-stereo 70908)

echo "host instructions per T-state (cachegrind):"
echo "  core,        ROM start-up screen: $core_rom"
echo "  core,        workload:            $core_work"
echo "  whole frame, ROM start-up screen: $run_rom"
echo "  whole frame, workload snapshot:   $run_work"
echo "  whole frame, 128K start-up menu:  $run_128"
echo "  sound chip alone, three tones, mono:     $chip_mono"
echo "  sound chip alone, three tones, stereo:   $chip_stereo"
echo "  whole frame, workload, 48K, silent:      $frame_48"
echo "  whole frame, workload, 48K, its sound:   $frame_48_sound"
echo "  whole frame, workload, 128K, chord mono: $frame_128_mono"
echo "  whole frame, workload, 128K, stereo:     $frame_128_stereo"
