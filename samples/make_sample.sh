#!/usr/bin/env bash
# Makes samples/sample.mov, the small movie that ./run.sh lists: DV25 NTSC
# video ('dvc ', 720x480, track time scale 2997), stereo 48 kHz 16-bit
# big-endian PCM ('twos') and a timecode track, 14 frames (about 0.47 s).
# Run once; the result is committed so that ./run.sh needs no ffmpeg.
set -euo pipefail
cd "$(dirname "$0")"
out=${1:-sample.mov}
ffmpeg -hide_banner -loglevel error -y \
  -f lavfi -i "testsrc=size=720x480:rate=30000/1001" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000" \
  -frames:v 14 -t 0.467 \
  -c:v dvvideo -pix_fmt yuv411p -vtag 'dvc ' -video_track_timescale 2997 \
  -c:a pcm_s16be -ac 2 \
  -timecode '01:00:00;00' \
  -fflags +bitexact -map_metadata -1 \
  -f mov "$out"
ffprobe -v error -show_entries stream=index,codec_type,codec_name,codec_tag_string,time_base -of compact "$out"
