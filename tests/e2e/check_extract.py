#!/usr/bin/env python3
"""qtgraph extract against ffprobe and ffmpeg on the movies of movies.py.

    python3 tests/e2e/check_extract.py [--wine] QTGRAPH OUTDIR

For each movie, `qtgraph extract` writes one file per pin into OUTDIR/<movie>/;
then, stream by stream:
  video     the .dv file's packets (ffprobe's DV demuxer) have the MD5s of
            the movie's video packets, frame by frame;
  sound     the .wav (little-endian) or .aif (big-endian) file has the
            movie's codec, channels and rate, and decodes to what ffmpeg
            decodes from the movie's sound (-f md5 over 32-bit samples, so no
            bit of 24-bit sound is lost);
  timecode  the text's start timecode is the movie's timecode tag.
No .part file may be left, and a second extract must refuse to overwrite.
With --wine, QTGRAPH is qtgraph.exe, run under Wine against the DLL
registered there. Exits 77 (skipped) when ffmpeg or ffprobe is missing.
"""

import argparse
import hashlib
import json
import os
import subprocess
import sys
from typing import List

import movies

WINE_SECONDS = 300
# The container each sound codec of movies.py is written in.
SOUND_EXTENSIONS = {"pcm_s16be": "aif", "pcm_s16le": "wav", "pcm_s24le": "wav"}


def probe(path: str) -> dict:
    result = subprocess.run(["ffprobe", "-v", "error", "-show_streams", "-show_packets", "-show_data_hash", "MD5",
                             "-of", "json", path], capture_output=True, text=True, check=True)
    return json.loads(result.stdout)


def decoded_md5(path: str, stream: str) -> str:
    result = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-map", f"0:{stream}", "-c:a", "pcm_s32le",
                             "-f", "md5", "-"], capture_output=True, text=True, check=True)
    return result.stdout.strip()


class Extract:
    def __init__(self, qtgraph: str, wine: bool):
        self.qtgraph, self.wine = qtgraph, wine

    def run(self, movie: str, outdir: str) -> subprocess.CompletedProcess:
        if not self.wine:
            return subprocess.run([self.qtgraph, "extract", movie, outdir], capture_output=True, text=True)
        windows = ["Z:" + os.path.abspath(p).replace("/", "\\") for p in (movie, outdir)]
        return subprocess.run(["timeout", str(WINE_SECONDS), "wine", self.qtgraph, "extract"] + windows,
                              capture_output=True, text=True)


def check_movie(extract: Extract, movie: movies.Movie, path: str, outdir: str) -> List[str]:
    failures = []

    def expect(what, ours, theirs):
        if ours != theirs:
            failures.append(f"{movie.name}: {what}: extract {ours!r}, expected {theirs!r}")

    folder = os.path.join(outdir, movie.name)
    subprocess.run(["rm", "-rf", folder], check=True)
    done = extract.run(path, folder)
    if done.returncode != 0:
        return [f"{movie.name}: qtgraph extract exited {done.returncode}: {done.stderr.strip()}"]
    info = probe(path)
    for stream in info["streams"]:
        index = stream["index"]
        base = os.path.join(folder, f"{movie.name}.{index}")
        if stream["codec_type"] == "video":
            theirs = [p["data_hash"] for p in info["packets"] if p["stream_index"] == index]
            ours = [p["data_hash"] for p in probe(base + ".dv")["packets"]]
            expect(f"stream {index} .dv frame MD5s", ours, theirs)
        elif stream["codec_type"] == "audio":
            written = base + "." + SOUND_EXTENSIONS[stream["codec_name"]]
            expect(f"stream {index} decoded sound", decoded_md5(written, "a"), decoded_md5(path, str(index)))
            header = probe(written)["streams"][0]
            layout = ("codec_name", "channels", "sample_rate")
            expect(f"stream {index} {', '.join(layout)}", [header[k] for k in layout], [stream[k] for k in layout])
        else:
            with open(base + ".timecode.txt") as text:
                lines = dict(line.rsplit(None, 1) for line in text if line.strip())
            expect(f"stream {index} start timecode", lines.get("start timecode"),
                   stream.get("tags", {}).get("timecode"))
    expect("files left as .part", [f for f in os.listdir(folder) if f.endswith(".part")], [])
    before = {f: hashlib.md5(open(os.path.join(folder, f), "rb").read()).hexdigest() for f in os.listdir(folder)}
    again = extract.run(path, folder)
    expect("a second extract's exit status (no --force)", again.returncode, 1)
    after = {f: hashlib.md5(open(os.path.join(folder, f), "rb").read()).hexdigest() for f in os.listdir(folder)}
    expect("the files after a refused second extract", after, before)
    return failures


def main(argv: List[str]) -> int:
    parser = argparse.ArgumentParser(description="qtgraph extract against ffprobe and ffmpeg")
    parser.add_argument("--wine", action="store_true", help="QTGRAPH is qtgraph.exe, run under Wine")
    parser.add_argument("qtgraph")
    parser.add_argument("outdir")
    args = parser.parse_args(argv[1:])
    missing = movies.missing_tools()
    if missing:
        print(f"SKIPPED: {' and '.join(missing)} not found on PATH (Debian package ffmpeg);"
              " the extract comparison did not run")
        return movies.SKIP
    if not args.wine:
        registered = subprocess.run([args.qtgraph, "register"], capture_output=True, text=True)
        if registered.returncode != 0:
            print(f"qtgraph register failed: {registered.stderr.strip()}")
            return 1
    extract = Extract(args.qtgraph, args.wine)
    failures = []
    for movie, path in zip(movies.MOVIES, movies.write_movies(os.path.join(args.outdir, "movies"))):
        try:
            mine = check_movie(extract, movie, path, args.outdir)
        except (subprocess.CalledProcessError, OSError, KeyError, ValueError) as error:
            mine = [f"{movie.name}: {type(error).__name__}: {error}"]
        failures += mine
        print(f"{'FAIL' if mine else 'ok  '} {movie.name}")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
