#!/usr/bin/env bash
# Builds the libFuzzer targets of the tag readers with clang and runs each for a bounded time
# on seeds made here by the real encoders and by the tag writers.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=${WAVORA_FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${WAVORA_FUZZ_SECONDS:-35}
targets=(fuzz_id3v1 fuzz_id3v2 fuzz_mpeg fuzz_ogg fuzz_wma fuzz_wav)

CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWAVORA_FUZZ=ON -DWAVORA_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}"

work=$(mktemp -d)
scratch=$(mktemp -d -p "$([ -w /dev/shm ] && echo /dev/shm || echo /tmp)")
trap 'rm -rf "$work" "$scratch"' EXIT
export WAVORA_FUZZ_SCRATCH=$scratch
seeds=$work/seeds
mkdir -p "$seeds"
ff() { ffmpeg -nostdin -loglevel error "$@"; }
ff -f lavfi -i sine=frequency=440:duration=0.1 -ac 2 -ar 44100 "$seeds/s.wav"
ff -f lavfi -i sine=frequency=440:duration=0.1 -ac 1 -ar 8000 -c:a pcm_u8 "$seeds/m8.wav"
lame --quiet -b 128 --add-id3v2 --tt "Tïtle" --ta Artist --tn 3/9 --tg Rock "$seeds/s.wav" "$seeds/cbr.mp3"
lame --quiet -V 5 --id3v1-only --tt Title "$seeds/s.wav" "$seeds/vbr.mp3"
lame --quiet -m m -b 32 --resample 22.05 "$seeds/s.wav" "$seeds/mono22.mp3"
ff -i "$seeds/s.wav" -c:a libmp3lame -id3v2_version 4 -metadata title="Größe 😀" \
    -metadata comment=c "$seeds/v24.mp3"
ff -i "$seeds/s.wav" -c:a mp2 -b:a 64k "$seeds/s.mp2"
oggenc -Q -t "Tïtle" -a Artist -c "replaygain_track_gain=-1 dB" "$seeds/s.wav" -o "$seeds/s.ogg"
ff -i "$seeds/s.wav" -c:a wmav2 -b:a 64k -metadata title=T -metadata album=A "$seeds/s.wma"
# An Ogg stream behind an ID3v2 tag.
{ printf 'ID3\003\000\000\000\000\000\012'; head -c 10 /dev/zero; cat "$seeds/s.ogg"; } >"$seeds/tagged.ogg"

for target in "${targets[@]}"; do
    echo "== $target (${seconds}s)"
    corpus=$work/corpus-$target
    mkdir -p "$corpus"
    "$dir/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$dir/" "$corpus" "$seeds" 2>"$work/$target.log" || {
        tail -n 60 "$work/$target.log"
        echo "$target failed; the input is kept in $dir"
        exit 1
    }
    grep -E 'stat::number_of_executed_units|cov:' "$work/$target.log" | tail -n 2
done
