#!/usr/bin/env bash
# The stream engine's and the real binary's figures side by side with ffmpeg, ffplay and
# mpv on the same files, in one run: reader scan speed against plain reading, decode floor,
# playback CPU and peak memory (30 and 60 fps, up to 1920x1080), time to first frame,
# audio/video offset, seek time (in process, and the real binary driven with its keys), CPU
# and wake-ups while playing, paused, stopped and idle.
#   bench/run-bench.sh [BUILD_DIR]
# BENCH_SECONDS (default 30) is the length of every playback; shorten it for a quick try.
# Peers that are missing (mpv, ffmpeg/ffplay, Xvfb, openbox, xdotool) are installed with
# apt-get. Everything on screen happens on a private Xvfb with openbox; sound goes to SDL's
# dummy driver (ZEPO, ffplay) or mpv's null output, both paced like a real device.
# Generated clips stay in BUILD_DIR/bench-media for the next run, except the 1 GB file,
# which is made for the scan and deleted after it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
mkdir -p "$build"
build=$(cd "$build" && pwd)
seconds=${BENCH_SECONDS:-30}
media=$build/bench-media
bin=$build/bench

# Runs of each exec-to-first-frame measurement; the median is reported (start-up times
# have a long tail on a shared machine).
first_frame_runs=5
# Passes of each scan and decode figure; the median is reported.
scan_passes=5
decode_passes=3
# Seek bases in the 10-minute file (s): spread over the file and over the 10 s keyframe
# interval, so the frames decoded up to the target vary from a few to nearly 300.
seek_bases="41.3 97.7 153.1 222.9 288.4 341.6 409.2 466.8 523.5 586.0"
# Steps each way of the key-driven seeks in the real binary.
key_seeks=10
# How long the CPU of a player that shows nothing new is measured (s).
still_seconds=10
# The sizes pictures are shown at: the clips' own and twice that.
native=640x360
large=1280x720
# The player window's client area that shows the video at those sizes (the movie's stage
# is 4:3; the 16:9 picture is letter-boxed in it).
zepo_native=640x480
zepo_large=1280x960
# The full-HD clips are shown at their own size, in a client area of this size.
full_hd=1920x1080
zepo_full_hd=1920x1440

# --- peers and programs
need=()
command -v mpv >/dev/null || need+=(mpv)
command -v ffmpeg >/dev/null && command -v ffplay >/dev/null || need+=(ffmpeg)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v openbox >/dev/null || need+=(openbox)
command -v xdotool >/dev/null || need+=(xdotool)
command -v xprop >/dev/null || need+=(x11-utils)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_scan bench_decode bench_play bench_window bench_keys bench_mpv_seek \
  bench_playlist zepo >/dev/null

work=$(mktemp -d /tmp/zepo-bench.XXXXXX)
pids=()
big=""
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
  [ -z "$big" ] || rm -f "$big"
}
trap cleanup EXIT

# --- the display: big enough for a 1280x960 window and its frame
Xvfb -displayfd 5 -screen 0 2560x1600x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 1 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 200); do xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break; sleep 0.05; done
# The pointer away in a corner, so no player shows its controls over the picture.
xdotool mousemove 2559 1599
unset QT_QPA_PLATFORM
export SDL_AUDIODRIVER=dummy
mkdir -p "$work/bin" "$work/home"
cp "$build/app/zepo" "$work/bin/zepo"   # setting.ini is written beside the binary
export HOME=$work/home

# --- media
mkdir -p "$media"
# 35 s at 640x360, 30 or 60 fps: the test pattern with a magenta flash over the whole
# picture on the first frame of every second, a centre box whose grey counts frames (16 + 6
# * (n mod 30)), and a 1 kHz beep for the first 0.1 s of every second.
sync_video() {  # RATE SIZE
  echo "testsrc2=s=$2:r=$1:d=35,drawbox=x=0:y=0:w=iw:h=ih:color=magenta:t=fill:enable='eq(mod(n\,$1)\,0)'[bg];color=s=64x64:r=$1:d=35,format=yuv420p,geq=lum='16+6*mod(N\,30)':cb=128:cr=128[box];[bg][box]overlay=(W-w)/2:(H-h)/2:shortest=1,format=yuv420p"
}
sync_audio="aevalsrc='0.5*sin(2*PI*1000*t)*lt(mod(t\,1)\,0.1)':s=44100:c=stereo:d=35"
make_clip() {  # FILE RATE SIZE MBIT/S-PER-30-FPS VIDEO-CODEC-ARGS... -- AUDIO-CODEC-ARGS...
  local file=$1 rate=$2 size=$3 mbits=$4; shift 4
  [ -f "$file" ] && return
  local v=() a=()
  while [ "$1" != "--" ]; do v+=("$1"); shift; done; shift
  a=("$@")
  ffmpeg -nostdin -v error -y -f lavfi -i "$(sync_video "$rate" "$size")" -f lavfi -i "$sync_audio" \
    "${v[@]}" -b:v "$((mbits * rate / 30))M" "${a[@]}" -b:a 128k "$file.part.flv"
  mv "$file.part.flv" "$file"
}
h263=$media/sync_h263.flv
h264=$media/sync_h264.flv
h263_60=$media/sync60_h263.flv
h264_60=$media/sync60_h264.flv
h264_hd=$media/sync_h264_1080p.flv
h264_hd_60=$media/sync60_h264_1080p.flv
make_clip "$h263" 30 "$native" 1 -c:v flv1 -g 60 -- -c:a libmp3lame
make_clip "$h264" 30 "$native" 1 -c:v libx264 -preset veryfast -- -c:a aac
make_clip "$h263_60" 60 "$native" 1 -c:v flv1 -g 120 -- -c:a libmp3lame
make_clip "$h264_60" 60 "$native" 1 -c:v libx264 -preset veryfast -- -c:a aac
make_clip "$h264_hd" 30 "$full_hd" 6 -c:v libx264 -preset veryfast -- -c:a aac
make_clip "$h264_hd_60" 60 "$full_hd" 6 -c:v libx264 -preset veryfast -- -c:a aac
playback_clips=("$h263" "$h264" "$h263_60" "$h264_60")
full_hd_clips=("$h264_hd" "$h264_hd_60")
# 10 minutes with a keyframe every 10 s, without and with the metadata's keyframe index.
seek_plain=$media/seek_10min_gop10s.flv
seek_index=$media/seek_10min_gop10s_index.flv
if [ ! -f "$seek_plain" ]; then
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=s=640x360:r=30:d=600" -f lavfi -i "sine=f=440:r=44100:d=600" \
    -c:v libx264 -preset veryfast -b:v 1M -g 300 -keyint_min 300 -sc_threshold 0 -c:a aac -b:a 128k "$seek_plain.part.flv"
  mv "$seek_plain.part.flv" "$seek_plain"
fi
if [ ! -f "$seek_index" ]; then
  ffmpeg -nostdin -v error -y -i "$seek_plain" -c copy -flvflags add_keyframe_index "$seek_index.part.flv"
  mv "$seek_index.part.flv" "$seek_index"
fi

# --- helpers
value() { grep -o "$1=[^ ]*" | head -1 | cut -d= -f2; }
median() { sort -g | awk '{v[NR]=$1} END {if (NR) print v[int((NR+1)/2)]; else print "-"}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (a+0 > 0 && b+0 > 0) printf "%.2f", a/b; else print "-"}'; }
row() { printf "  %-44s %12s %12s %12s %12s  %s\n" "$@"; }
head_row() { echo; echo "$1"; row "" "$2" "$3" "$4" "$5" "$6"; }
# The two rows of a seek comparison: SEEK-FILE OURS THEIRS EXTRA (EXTRA follows the ratio).
seek_rows() {
  local label="without keyframe index" ours=$2 theirs=$3
  [ "$1" = "$seek_index" ] && label="with keyframe index"
  row "$label" "$(echo "$ours" | value seek_ms_median)" "$(echo "$ours" | value seek_ms_max)" \
    "$(echo "$theirs" | value seek_ms_median)" "$(echo "$theirs" | value seek_ms_max)" \
    "$(ratio "$(echo "$ours" | value seek_ms_median)" "$(echo "$theirs" | value seek_ms_median)")$4"
  row "  forward / back medians" "$(echo "$ours" | value seek_fwd_ms_median) / $(echo "$ours" | value seek_back_ms_median)" "" \
    "$(echo "$theirs" | value seek_fwd_ms_median) / $(echo "$theirs" | value seek_back_ms_median)" "" \
    "seeks: $(echo "$ours" | value seeks) / $(echo "$theirs" | value seeks), failed $(echo "$ours" | value failed) / $(echo "$theirs" | value failed)"
}
# Mean and largest |A-V| a player prints in its status line (ffplay, mpv), in ms.
reported_av() {
  tr '\r' '\n' <"$1" | grep -o 'A-V: *[-+0-9.]*' | awk '{v=$2+0; if (v<0) v=-v; s+=v; if (v>m) m=v; n++}
    END {if (n) printf "%.1f / %.1f", 1000*s/n, 1000*m; else print "-"}'
}
cpu_model=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')

echo "ZEPO benchmark, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "machine: $cpu_model, $(nproc) cores, Linux $(uname -r); load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "peers: $(ffmpeg -version | head -1 | cut -d' ' -f1-3); $(mpv --version | head -1 | cut -d' ' -f1-2); display Xvfb $DISPLAY + openbox"
echo "playback: $seconds s each"

# --- 1. reader
big=$media/scan_1gb.flv
ffmpeg -nostdin -v error -y -stream_loop -1 -i "$h264" -c copy -fs 1000M "$big"
scan=$("$bin/bench_scan" "$big" "$scan_passes")
ff_copy=()
for _ in 1 2 3; do
  ff_copy+=("$(ffmpeg -nostdin -hide_banner -nostats -benchmark -i "$big" -c copy -f null - 2>&1 | grep -o 'rtime=[0-9.]*' | cut -d= -f2)")
done
ff_rtime=$(printf '%s\n' "${ff_copy[@]}" | median)
mib=$(echo "$scan" | value file_mib)
head_row "1. Reader: tag-header scan of a $(echo "$scan" | value file_mib) MiB FLV ($(echo "$scan" | value tags) tags), MiB/s, median of $scan_passes" \
  "ZEPO" "read(2)" "ffmpeg" "" "ZEPO/read (goal >= 0.8)"
row "warm (file in the page cache)" "$(echo "$scan" | value scan_warm_mib_s)" "$(echo "$scan" | value read_warm_mib_s)" \
  "$(awk -v m="$mib" -v t="$ff_rtime" 'BEGIN {printf "%.0f", m/t}')*" "" \
  "$(ratio "$(echo "$scan" | value scan_warm_mib_s)" "$(echo "$scan" | value read_warm_mib_s)")"
row "cold-ish (dropped from the cache)" "$(echo "$scan" | value scan_cold_mib_s)" "$(echo "$scan" | value read_cold_mib_s)" "" "" \
  "$(ratio "$(echo "$scan" | value scan_cold_mib_s)" "$(echo "$scan" | value read_cold_mib_s)")"
row "every tag with its payload, warm" "$(echo "$scan" | value read_all_tags_warm_mib_s)" "" "" "" ""
echo "  * ffmpeg: '-i FILE -c copy -f null -', every packet demuxed (median of 3, warm)."
echo "  read(2): the file's bytes in 1 MiB reads. Cold-ish: posix_fadvise(DONTNEED) before each pass;"
echo "  the virtual disk's host may still hold the data."
rm -f "$big"
big=""

# --- 2. decode floor
corpus=$root/tests/corpus
decode_files=("$h263" "$h264")
for f in h264_heaac_minimal_meta_streamserver_gv6.flv vp6_mp3_flash8enc_red5old.flv \
         h263_mp3_flvtool2_keyframes_onlastsecond_red5old.flv; do
  [ -f "$corpus/$f" ] && decode_files+=("$corpus/$f")
done
head_row "2. Decode floor: every packet decoded as fast as it goes, CPU s (user+sys), median of $decode_passes" \
  "ZEPO" "ffmpeg" "ZEPO wall s" "ffmpeg wall s" "ZEPO/ffmpeg CPU (goal <= 1.10)"
for f in "${decode_files[@]}"; do
  ours=$("$bin/bench_decode" "$f" "$decode_passes")
  cpus=(); walls=()
  for _ in $(seq 1 "$decode_passes"); do
    b=$(ffmpeg -nostdin -hide_banner -nostats -benchmark -i "$f" -f null - 2>&1 | grep -o 'utime=[0-9.]*s stime=[0-9.]*s rtime=[0-9.]*s' | tr -d s)
    cpus+=("$(echo "$b" | awk -F'[= ]' '{print $2 + $4}')")
    walls+=("$(echo "$b" | value rtime)")
  done
  theirs=$(printf '%s\n' "${cpus[@]}" | median)
  row "$(basename "$f" | cut -c1-44)" "$(echo "$ours" | value decode_cpu_s)" "$theirs" \
    "$(echo "$ours" | value decode_wall_s)" "$(printf '%s\n' "${walls[@]}" | median)" "$(ratio "$(echo "$ours" | value decode_cpu_s)" "$theirs")"
done
echo "  ffmpeg: '-benchmark -i FILE -f null -' (it also converts the sound to 16-bit PCM for the null muxer)."

# --- 3. playback, whole process, first frame, A/V
ttff_lines=()
av_lines=()
for clip in "${playback_clips[@]}" "${full_hd_clips[@]}"; do
  name=$(basename "$clip")
  sizes=("$native" "$large")
  [[ " ${full_hd_clips[*]} " == *" $clip "* ]] && sizes=("$full_hd")
  for size in "${sizes[@]}"; do
    if [ "$size" = "$large" ]; then
      zsize=$zepo_large; ffsize=(-x "${size%x*}" -y "${size#*x}"); mpvsize=(--geometry="$size")
    else
      zsize=$zepo_native; [ "$size" = "$full_hd" ] && zsize=$zepo_full_hd
      ffsize=(); mpvsize=()
    fi
    engine=$("$bin/bench_play" play "$clip" "$seconds" "$size" 2>/dev/null || true)
    rm -f "$work/bin/setting.ini"
    app=$("$bin/bench_window" --title "$name" --size "$zsize" --hold "$seconds" --timeout 60 -- \
      "$work/bin/zepo" "$clip" 2>/dev/null | grep first_frame_ms= || true)
    mpv=$("$bin/bench_window" --title "$name" --timeout 60 -- mpv --no-config --vo=x11 --ao=null --length="$seconds" \
      "${mpvsize[@]}" "$clip" 2>"$work/mpv.err" | grep first_frame_ms= || true)
    ffplay=$(SDL_RENDER_DRIVER=software "$bin/bench_window" --title "$name" --timeout 60 -- ffplay -hide_banner -autoexit \
      -t "$seconds" "${ffsize[@]}" "$clip" 2>"$work/ffplay.err" | grep first_frame_ms= || true)
    head_row "3. Playback, $seconds s of $name shown at $size" "ZEPO engine" "ZEPO app" "mpv" "ffplay" "goal"
    row "CPU s (user+sys)" "$(echo "$engine" | value cpu_s)" "$(echo "$app" | value cpu_s)" \
      "$(echo "$mpv" | value cpu_s)" "$(echo "$ffplay" | value cpu_s)" \
      "ZEPO <= 0.9 x mpv: engine $(ratio "$(echo "$engine" | value cpu_s)" "$(echo "$mpv" | value cpu_s)"), app $(ratio "$(echo "$app" | value cpu_s)" "$(echo "$mpv" | value cpu_s)")"
    row "peak RSS MiB" "$(echo "$engine" | value peak_rss_mib)" "$(echo "$app" | value peak_rss_mib)" \
      "$(echo "$mpv" | value peak_rss_mib)" "$(echo "$ffplay" | value peak_rss_mib)" "ZEPO <= mpv"
    row "frames painted / rate" "$(echo "$engine" | value frames) / $(echo "$engine" | value fps)" "" "" "" ""
    row "exec to first frame ms" "" "$(echo "$app" | value first_frame_ms)" "$(echo "$mpv" | value first_frame_ms)" \
      "$(echo "$ffplay" | value first_frame_ms)" "(one run; see 4)"
    ttff_lines+=("$(row "play() to painted, $name $size" "$(echo "$engine" | value ttff_ms)" "" "" "" "<= 50")")
    av_lines+=("$(row "ZEPO, $name $size" "$(echo "$engine" | value av_p5_ms)" "$(echo "$engine" | value av_median_ms)" \
      "$(echo "$engine" | value av_p95_ms)" "$(echo "$engine" | value av_max_abs_ms)" \
      "$(echo "$engine" | value av_in_window_pct)% of $(echo "$engine" | value av_frames); $(echo "$engine" | value file_flash_minus_beep_ms)")")
    av_lines+=("$(row "  |A-V| mean / max, mpv / ffplay say" "" "" "$(reported_av "$work/mpv.err")" "$(reported_av "$work/ffplay.err")" "")")
  done
done
echo "  ZEPO engine: bench_play, FlvNetStream painting into a plain window, CPU from play() on; ZEPO app: the real"
echo "  build/app/zepo with its window's client area at $zepo_native / $zepo_large / $zepo_full_hd (the 4:3 stage"
echo "  letter-boxes the picture to $native / $large / $full_hd), closed $seconds s after its first frame; the full-HD"
echo "  clips carry 6 Mbit/s of video per 30 fps, the others 1; mpv --no-config --vo=x11 --ao=null"
echo "  --length=$seconds; ffplay -autoexit -t $seconds with SDL's software renderer (its default under Xvfb is"
echo "  OpenGL on llvmpipe). App, mpv and ffplay: whole process from exec, from wait4()."

# --- 4. time to first frame
head_row "4. Time to first frame, ms" "ZEPO" "mpv" "ffplay" "" "goal"
printf '%s\n' "${ttff_lines[@]}"
for clip in "${playback_clips[@]}"; do
  name=$(basename "$clip")
  z=(); m=(); f=()
  for _ in $(seq 1 "$first_frame_runs"); do
    rm -f "$work/bin/setting.ini"
    # A run that never shows its first frame in time prints -1 and counts as such.
    z+=("$({ "$bin/bench_window" --title "$name" --hold 0 -- "$work/bin/zepo" "$clip" 2>/dev/null || true; } | value first_frame_ms)")
    m+=("$({ "$bin/bench_window" --title "$name" --hold 0 -- mpv --no-config --vo=x11 --ao=null --frames=1 "$clip" 2>/dev/null || true; } | value first_frame_ms)")
    f+=("$({ SDL_RENDER_DRIVER=software "$bin/bench_window" --title "$name" --hold 0 -- ffplay -hide_banner -loglevel error "$clip" 2>/dev/null || true; } | value first_frame_ms)")
  done
  zm=$(printf '%s\n' "${z[@]}" | median); mm=$(printf '%s\n' "${m[@]}" | median)
  row "exec to on screen, $name" "$zm" "$mm" "$(printf '%s\n' "${f[@]}" | median)" "" "ZEPO/mpv $(ratio "$zm" "$mm")"
done
echo "  play() to painted: in-process, bench_play (the window already shown). Exec to on screen: median of"
echo "  $first_frame_runs; bench_window starts the program and grabs the middle of its window from the X server every"
echo "  2 ms until the clip's first frame (magenta all over) is there. ZEPO: the real binary; mpv: --frames=1."

# --- 5. A/V offset
head_row "5. A/V offset of each painted frame, ms (video timestamp minus the sound as heard)" \
  "p5" "median" "p95" "max |.|" "in [-60,+40] / frames; file's own"
printf '%s\n' "${av_lines[@]}"
echo "  Goal: p95 inside +40/-60, max <= 100. ZEPO's sound is taken on its way to the device (bench_play stands in"
echo "  for SDL_OpenAudioDevice) and counted as heard one device buffer after it is handed over; beep starts give"
echo "  the sound's clock, the centre box of each painted picture its timestamp. 'File's own': flash minus beep in"
echo "  the file's timestamps, as the decoders produce them. mpv and ffplay: their own A-V status figure."

# --- 6. seek
head_row "6. Precise seek +-5 s in a 10-minute file, keyframe every 10 s, paused, ms to the new frame" \
  "ZEPO median" "ZEPO max" "mpv median" "mpv max" "ZEPO/mpv (goal <= 0.8); ZEPO open to ready"
for file in "$seek_plain" "$seek_index"; do
  ours=$("$bin/bench_play" seek "$file" "$native" $seek_bases 2>/dev/null || true)
  rm -f "$work/mpv.sock"
  mpv --no-config --pause --hr-seek=yes --vo=x11 --ao=null --input-ipc-server="$work/mpv.sock" "$file" >/dev/null 2>&1 &
  mpv_pid=$!
  theirs=$("$bin/bench_mpv_seek" "$work/mpv.sock" $seek_bases || true)
  # It was asked to quit; one that never listened is stopped.
  for _ in $(seq 1 100); do kill -0 "$mpv_pid" 2>/dev/null || break; sleep 0.05; done
  kill "$mpv_pid" 2>/dev/null || true
  wait "$mpv_pid" 2>/dev/null || true
  seek_rows "$file" "$ours" "$theirs" "; $(echo "$ours" | value ready_ms) ms"
done
echo "  Bases: $seek_bases; from each, +5 s then -5 s (exact). ZEPO: bench_play, seek() until the frame is painted;"
echo "  mpv --pause --hr-seek=yes --vo=x11 over its IPC, until playback-restart (sent once the frame is on screen)."
echo "  ZEPO open to ready: play() until NetStream.Buffer.Full, which waits for the seek index (scanned or from the"
echo "  metadata)."

# --- 7. seek in the real binary, driven with its keys
head_row "7. Precise seek +-5 s, the real binary paused and driven with its keys, ms from the key to the new picture" \
  "ZEPO median" "ZEPO max" "mpv median" "mpv max" "ZEPO/mpv (goal <= 0.8)"
for file in "$seek_plain" "$seek_index"; do
  rm -f "$work/bin/setting.ini"
  ours=$("$bin/bench_keys" --title "$(basename "$file")" --pause ctrl+c --seeks "$key_seeks" --forward ctrl+Right \
    --back ctrl+Left -- "$work/bin/zepo" "$file" 2>/dev/null || true)
  theirs=$("$bin/bench_keys" --title "$(basename "$file")" --pause space --seeks "$key_seeks" --forward Right --back Left \
    -- mpv --no-config --hr-seek=yes --osd-level=0 --no-osc --vo=x11 --ao=null "$file" 2>/dev/null || true)
  seek_rows "$file" "$ours" "$theirs" ""
done
echo "  Each player plays the file for 2 s, is paused with its key and steps $key_seeks times 5 s forward, then"
echo "  $key_seeks times back (ZEPO Ctrl+Right / Ctrl+Left; mpv --hr-seek=yes Right / Left, its on-screen display"
echo "  off); bench_keys presses the keys through XTest and times each step until the middle of the window changes."

# --- 8. CPU and wake-ups while playing, and while nothing new is shown
head_row "8. CPU (% of one core) and wake-ups (context switches of all threads, per s) over $still_seconds s, the whole process" \
  "ZEPO CPU" "ZEPO wake/s" "mpv CPU" "mpv wake/s" "goal"
still_rows() {  # LABEL OURS THEIRS GOAL [FIELD PREFIX]
  local field=${5:-still}
  row "$1" "$(echo "$2" | value "${field}_cpu_pct")" "$(echo "$2" | value "${field}_wakeups_s")" \
    "$(echo "$3" | value still_cpu_pct)" "$(echo "$3" | value still_wakeups_s)" "$4"
}
for clip in "$h264" "$h264_60"; do
  rm -f "$work/bin/setting.ini"
  ours=$("$bin/bench_keys" --title "$(basename "$clip")" --still "$still_seconds" -- "$work/bin/zepo" "$clip" 2>/dev/null || true)
  theirs=$("$bin/bench_keys" --title "$(basename "$clip")" --still "$still_seconds" \
    -- mpv --no-config --vo=x11 --ao=null "$clip" 2>/dev/null || true)
  still_rows "playing, $(basename "$clip") at $native" "$ours" "$theirs" \
    "wake-ups <= mpv: $(ratio "$(echo "$ours" | value still_wakeups_s)" "$(echo "$theirs" | value still_wakeups_s)")"
done
rm -f "$work/bin/setting.ini"
ours=$("$bin/bench_keys" --title "$(basename "$h264")" --pause ctrl+c --still "$still_seconds" --stop ctrl+x \
  -- "$work/bin/zepo" "$h264" 2>/dev/null || true)
theirs=$("$bin/bench_keys" --title "$(basename "$h264")" --pause space --still "$still_seconds" \
  -- mpv --no-config --vo=x11 --ao=null "$h264" 2>/dev/null || true)
still_rows "paused, $(basename "$h264")" "$ours" "$theirs" "<= 0.2 %, <= 20/s"
still_rows "stopped (at 0, paused)" "$ours" "" "<= 0.2 %, <= 20/s" stopped
rm -f "$work/bin/setting.ini"
ours=$("$bin/bench_keys" --title ZEPO --still "$still_seconds" -- "$work/bin/zepo" 2>/dev/null || true)
theirs=$("$bin/bench_keys" --still "$still_seconds" -- mpv --no-config --idle --force-window --vo=x11 2>/dev/null || true)
still_rows "idle, no file" "$ours" "$theirs" "<= 0.1 %, <= 10/s"
echo "  Measured from /proc after the player settled in the state (bench_keys): CPU from the process's times,"
echo "  wake-ups from every thread's voluntary and involuntary context switches. Playing starts 3 s into the clip."
echo "  ZEPO's sound goes to SDL's dummy driver, whose thread wakes once a device buffer (about 23 ms) while it"
echo "  plays; mpv's null output has no such thread. mpv has no stopped state."
echo
echo "9. Playlist: opening, filling and using a list of 100 000 entries (bench_playlist, offscreen)"
"$bin/bench_playlist" 100000 2>/dev/null | sed 's/^/  /'
echo
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
