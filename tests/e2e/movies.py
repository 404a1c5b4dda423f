#!/usr/bin/env python3
"""The movies the end-to-end test checks, written by ffmpeg.

    python3 tests/e2e/movies.py OUTDIR      writes every movie into OUTDIR

Each movie is a few frames long (a DV frame is 120 to 288 KB), so the whole set
takes a second or two to write. The list is also the fuzzer's seed corpus.
"""

import os
import shutil
import subprocess
import sys
from dataclasses import dataclass, field
from typing import List, Optional

SKIP = 77  # CTest's SKIP_RETURN_CODE for the end-to-end test


@dataclass
class Movie:
    name: str
    # Video: (format code, frame size, pixel format, frame rate); None for sound only.
    video: Optional[tuple]
    # Sound: (ffmpeg codec, channels, sample rate); None for no sound.
    sound: Optional[tuple]
    timecode: Optional[str] = None
    frames: int = 4
    video_time_scale: Optional[int] = None
    # The four characters each track must report, in track order: the
    # ffprobe-independent half of the check.
    formats: List[str] = field(default_factory=list)


NTSC = ("720x480", "30000/1001")
PAL = ("720x576", "25")


def dv(code: str, standard: tuple, pixels: str) -> tuple:
    size, rate = standard
    return (code, size, pixels, rate)


MOVIES = [
    Movie("dv25_ntsc_twos_stereo_tc", dv("dvc ", NTSC, "yuv411p"), ("pcm_s16be", 2, 48000),
          timecode="01:00:00;00", video_time_scale=2997, formats=["dvc ", "twos", "tmcd"]),
    Movie("dv25_pal_sowt_mono", dv("dvcp", PAL, "yuv420p"), ("pcm_s16le", 1, 48000),
          formats=["dvcp", "sowt"]),
    Movie("dv50_ntsc_in24_stereo_tc", dv("dv5n", NTSC, "yuv422p"), ("pcm_s24le", 2, 48000),
          timecode="00:59:59;28", formats=["dv5n", "42ni", "tmcd"]),
    Movie("dv50_pal_twos_mono_tc", dv("dv5p", PAL, "yuv422p"), ("pcm_s16be", 1, 32000),
          timecode="10:00:00:00", video_time_scale=2500, formats=["dv5p", "twos", "tmcd"]),
    Movie("dv25_pal_in24_mono", dv("dvcp", PAL, "yuv420p"), ("pcm_s24le", 1, 48000),
          frames=3, formats=["dvcp", "42ni"]),
    # Frames back to back with nothing between them: ffmpeg puts several in one chunk.
    Movie("dv25_ntsc_video_only_tc", dv("dvc ", NTSC, "yuv411p"), None,
          timecode="00:00:00;00", frames=6, formats=["dvc ", "tmcd"]),
    Movie("sowt_stereo_sound_only", None, ("pcm_s16le", 2, 44100), frames=8, formats=["sowt"]),
]


def ffmpeg_command(movie: Movie, path: str) -> List[str]:
    command = ["ffmpeg", "-hide_banner", "-loglevel", "error", "-y"]
    if movie.video:
        _, size, _, rate = movie.video
        command += ["-f", "lavfi", "-i", f"testsrc=size={size}:rate={rate}"]
    if movie.sound:
        _, _, rate = movie.sound
        command += ["-f", "lavfi", "-i", f"sine=frequency=440:sample_rate={rate}"]
    if movie.video:
        code, _, pixels, rate = movie.video
        command += ["-c:v", "dvvideo", "-pix_fmt", pixels, "-tag:v", code]
        if movie.video_time_scale:
            command += ["-video_track_timescale", str(movie.video_time_scale)]
        # A limit on the frames would end the sound with the first packet:
        # the length limits both streams.
        num, _, den = rate.partition("/")
        seconds = movie.frames * int(den or 1) / int(num)
    else:
        seconds = movie.frames * 0.04
    command += ["-t", f"{seconds:.4f}"]
    if movie.sound:
        codec, channels, _ = movie.sound
        command += ["-c:a", codec, "-ac", str(channels)]
    if movie.timecode:
        command += ["-timecode", movie.timecode]
    command += ["-fflags", "+bitexact", "-map_metadata", "-1", "-f", "mov", path]
    return command


def missing_tools() -> List[str]:
    return [tool for tool in ("ffmpeg", "ffprobe") if shutil.which(tool) is None]


def write_movies(outdir: str) -> List[str]:
    """Writes every movie into outdir; returns their paths."""
    os.makedirs(outdir, exist_ok=True)
    paths = []
    for movie in MOVIES:
        path = os.path.join(outdir, movie.name + ".mov")
        subprocess.run(ffmpeg_command(movie, path), check=True)
        paths.append(path)
    return paths


def main(argv: List[str]) -> int:
    if len(argv) != 2:
        print(f"usage: {argv[0]} OUTDIR", file=sys.stderr)
        return 2
    missing = missing_tools()
    if missing:
        print(f"SKIPPED: {' and '.join(missing)} not found on PATH (Debian package ffmpeg)")
        return SKIP
    for path in write_movies(argv[1]):
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
