#!/usr/bin/env bash
# Stream engine figures side by side with ffmpeg, ffplay and mpv on the same files, in
# the same run: reader scan speed against plain reading, decode floor, playback CPU and
# peak memory, time to first frame, audio/video offset and seek time.
#   bench/run-bench.sh [BUILD_DIR]      (BENCH_SECONDS=10 per playback; BENCH_NO_INSTALL=1
#                                        skips installing mpv when it is missing)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
seconds=${BENCH_SECONDS:-10}
media=$build/bench-media
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=offscreen

if ! command -v mpv >/dev/null && [ -z "${BENCH_NO_INSTALL:-}" ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends mpv >/dev/null || echo "(mpv not installed)"
fi
[ -x "$build/bench/bench_play" ] || "$root/scripts/build.sh" "$build" >/dev/null

# A 720p H.264 + AAC clip whose centre box counts frames (luma 16 + 6 * (n mod 30)), so
# the offset of each shown picture from the sound clock can be read off the picture.
mkdir -p "$media"
clip=$media/h264_720p_coded.flv
if [ ! -f "$clip" ]; then
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=s=1280x720:r=30:d=30" \
    -f lavfi -i "color=s=64x64:r=30:d=30,format=yuv420p,geq=lum='16+6*mod(N\,30)':cb=128:cr=128" \
    -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=30" \
    -filter_complex "[0][1]overlay=608:328,format=yuv420p[v]" -map "[v]" -map 2 \
    -c:v libx264 -preset veryfast -bf 0 -g 60 -b:v 3M -c:a aac -b:a 128k "$clip"
fi
corpus=$root/../shared/flv-corpus
[ -d "$corpus" ] || corpus=$root/../../shared/flv-corpus
files=("$clip")
for f in h264_heaac_minimal_meta_streamserver_gv6.flv vp6_mp3_flash8enc_red5old.flv \
         h263_mp3_flvtool2_keyframes_onlastsecond_red5old.flv; do
  [ -f "$corpus/$f" ] && files+=("$corpus/$f")
done

value() { grep -o "$1=[^ ]*" | head -1 | cut -d= -f2; }
# Wall seconds, CPU percent and peak RSS (MiB) of a command, from GNU time.
measure() {
  local out
  out=$( { /usr/bin/time -f "TIME %e %P %M" "$@" >/dev/null 2>/tmp/bench-cmd.err; } 2>&1; grep TIME /tmp/bench-cmd.err || true)
  echo "$out" | grep TIME | tail -1 | awk '{gsub("%","",$3); printf "%s %s %.1f\n", $2, $3, $4/1024}'
}
row() { printf "  %-34s %-14s %-14s %-14s %-14s\n" "$@"; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(uname -r)"
echo "versions: $(ffmpeg -version | head -1 | cut -d' ' -f1-3); $(command -v mpv >/dev/null && mpv --version | head -1 | cut -d' ' -f1-2 || echo 'mpv missing')"
for file in "${files[@]}"; do
  name=$(basename "$file")
  echo
  echo "== $name ($(du -k "$file" | cut -f1) KiB)"
  row "figure" "ZEPO" "ffmpeg" "ffplay" "mpv"

  scan=$("$build/bench/bench_scan" "$file" 20)
  row "read file bytes (MiB/s)" "$(echo "$scan" | value read_bytes_mib_s)" "" "" ""
  row "index scan, headers (MiB/s)" "$(echo "$scan" | value index_scan_mib_s)" "" "" ""
  row "index scan (ms)" "$(echo "$scan" | value index_scan_ms)" "" "" ""
  row "read every tag (MiB/s)" "$(echo "$scan" | value read_all_tags_mib_s)" "" "" ""

  ours=$("$build/bench/bench_decode" "$file")
  theirs=$(ffmpeg -nostdin -hide_banner -benchmark -i "$file" -f null - 2>&1 | grep -o 'bench: utime=[^ ]* stime=[^ ]* rtime=[^ ]*' || true)
  row "decode floor, wall (s)" "$(echo "$ours" | value decode_wall_s)" "$(echo "$theirs" | value rtime | tr -d s)" "" ""
  u=$(echo "$theirs" | value utime | tr -d s); st=$(echo "$theirs" | value stime | tr -d s)
  row "decode floor, CPU (s)" "$(echo "$ours" | value decode_cpu_s)" "$(awk "BEGIN{print ${u:-0}+${st:-0}}")" "" ""

  coded=0; [ "$file" = "$clip" ] && coded=30
  play=$("$build/bench/bench_play" play "$file" "$seconds" $coded 2>/dev/null)
  ffplay_m=$(measure ffplay -hide_banner -nostats -autoexit -t "$seconds" "$file")
  ffplay_av=$(timeout $((seconds + 10)) ffplay -hide_banner -autoexit -t "$seconds" "$file" 2>&1 | tr '\r' '\n' \
    | grep -o 'A-V: *[-0-9.]*' | awk '{v=$2; if (v<0) v=-v; s+=v; n++} END {if (n) printf "%.1f", 1000*s/n}')
  mpv_m=""; mpv_av=""
  if command -v mpv >/dev/null; then
    mpv_m=$(measure mpv --no-config --really-quiet --vo=null --ao=null --length="$seconds" "$file")
    mpv_av=$(mpv --no-config --vo=null --ao=null --length="$seconds" --term-status-msg='AVSYNC ${avsync}' "$file" 2>&1 \
      | tr '\r' '\n' | grep -o 'AVSYNC [-0-9.]*' | awk '{v=$2; if (v<0) v=-v; s+=v; n++} END {if (n) printf "%.1f", 1000*s/n}')
  fi
  row "playback CPU (% of one core)" "$(echo "$play" | value cpu_percent)" "" "$(echo "$ffplay_m" | cut -d' ' -f2)" "$(echo "$mpv_m" | cut -d' ' -f2)"
  row "playback peak RSS (MiB)" "$(echo "$play" | value peak_rss_mib)" "" "$(echo "$ffplay_m" | cut -d' ' -f3)" "$(echo "$mpv_m" | cut -d' ' -f3)"
  row "frames shown / fps" "$(echo "$play" | value frames) / $(echo "$play" | value fps)" "" "" ""
  row "play() to first frame (ms)" "$(echo "$play" | value ttff_ms)" "" "" ""
  ours_first=$(measure "$build/bench/bench_play" first "$file")
  ff_first=$(measure ffmpeg -nostdin -v error -i "$file" -frames:v 1 -f null -)
  mpv_first=""; command -v mpv >/dev/null && mpv_first=$(measure mpv --no-config --really-quiet --vo=null --ao=null --frames=1 "$file")
  row "exec to first frame, process (s)" "$(echo "$ours_first" | cut -d' ' -f1)" "$(echo "$ff_first" | cut -d' ' -f1)" "" "$(echo "$mpv_first" | cut -d' ' -f1)"
  if [ "$coded" != 0 ]; then
    row "A/V offset mean (ms, measured)" "$(echo "$play" | value av_offset_mean_ms)" "" "" ""
    row "A/V offset |median| / |max| (ms)" "$(echo "$play" | value av_offset_median_abs_ms) / $(echo "$play" | value av_offset_max_abs_ms)" "" "" ""
  fi
  row "A/V as each player reports (ms)" "" "" "${ffplay_av:-}" "${mpv_av:-}"

  seek=$("$build/bench/bench_play" seek "$file" 20 2>/dev/null)
  base=$(measure ffmpeg -nostdin -v error -i "$file" -an -frames:v 1 -f null - | cut -d' ' -f1)
  total=0
  for t in 3 7 11 13 17; do
    s=$(measure ffmpeg -nostdin -v error -ss $t -i "$file" -an -frames:v 1 -f null - | cut -d' ' -f1)
    total=$(awk "BEGIN{print $total + $s - $base}")
  done
  row "precise seek to picture (ms)" "$(echo "$seek" | value seek_ms_median) med" "$(awk "BEGIN{printf \"%.0f\", $total*1000/5}") avg*" "" ""
  row "  (ZEPO p90 / max)" "$(echo "$seek" | value seek_ms_p90) / $(echo "$seek" | value seek_ms_max)" "" "" ""
done
echo
echo "* ffmpeg: process time of '-ss T -i FILE -frames:v 1' minus that of the same at 0 s."
echo "  mpv plays with --vo=null (no picture conversion); ffplay and ZEPO convert every picture."
