#!/usr/bin/env python3
"""End-to-end check of the parser against ffprobe on movies ffmpeg writes.

    python3 tests/e2e/check_movies.py QTGRAPH OUTDIR
    python3 tests/e2e/check_movies.py --wine QTGRAPH_EXE [--same-as QTGRAPH] OUTDIR

Writes the movies of movies.py into OUTDIR, then for each one compares
`qtgraph info --json`, `qtgraph chunks --json`, `qtgraph check --json` and
`qtgraph run --json --samples` with `ffprobe -show_streams -show_packets
-show_data_hash MD5`:
track kinds, format codes, frame sizes, channels, sample rates, time scales,
media major types, DV bit rates, timecode parameters, the pins' format
blocks, and for video every frame's file offset, size and the MD5 of the
data its pin delivered; for sound, the chunks must cover ffprobe's packets
exactly and the pin deliver as many bytes; `check` must find no error and
warn of exactly the video time scales the filter misreads as frames per
second x 100, quoting the rate it takes and ffprobe's.
Exits 77 (reported by CTest as skipped) when ffmpeg or ffprobe is missing.

With --wine, the Windows qtgraph.exe runs under Wine (each call under a
time-out) against the DLL registered there with regsvr32, and only `run` is
checked (info and chunks read the filter's insides and are native only).
--same-as also requires the run results, pin by pin and sample by sample, and
the findings of `check` to equal those of the native qtgraph named.
"""

import argparse
import json
import os
import subprocess
import sys
from typing import Dict, List, Optional

import movies

KINDS = {"video": "video", "audio": "sound", "data": "timecode"}
MAJOR_TYPES = {
    "video": "{73646976-0000-0010-8000-00AA00389B71}",
    "sound": "{73647561-0000-0010-8000-00AA00389B71}",
    "timecode": "{0482DEE3-7817-11CF-8A03-00AA006ECB65}",
}
# Little-endian integer PCM wider than 16 bits is tagged in24/in32 with an
# "enda" flag; the parser reports the code reversed.
LITTLE_ENDIAN_WIDE_PCM = {"pcm_s24le", "pcm_s32le"}


# A run under Wine that takes longer than this has hung.
WINE_SECONDS = 300


def run_json(command: List[str]):
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(command)} exited {result.returncode}: {result.stderr.strip()}")
    return json.loads(result.stdout)


def run_check(command: List[str]) -> Dict:
    """qtgraph check --json: exit status 0, 1 or 2 as its findings say."""
    result = subprocess.run(command, capture_output=True, text=True)
    if result.returncode not in (0, 1, 2):
        raise RuntimeError(f"{' '.join(command)} exited {result.returncode}: {result.stderr.strip()}")
    report = json.loads(result.stdout)
    status = 2 if report["errors"] else 1 if report["warnings"] else 0
    if result.returncode != status:
        raise RuntimeError(f"{' '.join(command)} exited {result.returncode} for {report['errors']} errors and "
                           f"{report['warnings']} warnings")
    return report


def expected_format(stream: Dict) -> str:
    tag = stream["codec_tag_string"]
    return tag[::-1] if stream.get("codec_name") in LITTLE_ENDIAN_WIDE_PCM else tag


def fourcc_guid(code: str) -> str:
    data1 = int.from_bytes(code.encode("latin-1"), "little")
    return "{%08X-0000-0010-8000-00AA00389B71}" % data1


class Checker:
    def __init__(self, movie: movies.Movie):
        self.movie = movie
        self.failures: List[str] = []

    def expect(self, what: str, ours, theirs) -> None:
        if ours != theirs:
            self.failures.append(f"{self.movie.name}: {what}: qtgraph {ours!r}, expected {theirs!r}")

    def check_timecode(self, where: str, track: Dict, stream: Dict, streams: List[Dict]) -> None:
        """Drop-frame flag, frames per second and frame duration against the
        timecode ffmpeg was given and the video's frame rate."""
        value = stream.get("tags", {}).get("timecode", "")
        self.expect(f"{where} drop-frame flag", track["timecode_flags"] & 1, 1 if ";" in value else 0)
        video = [s for s in streams if s["codec_type"] == "video"]
        if video:
            num, den = (int(x) for x in video[0]["r_frame_rate"].split("/"))
            self.expect(f"{where} frame count", track["timecode_frame_count"], round(num / den))
            self.expect(f"{where} frame duration x frame rate", round(track["timecode_frame_duration"] * num / den),
                        track["media_time_scale"])

    def check_track(self, number: int, track: Dict, stream: Dict, packets: List[Dict], streams: List[Dict]) -> None:
        where = f"track {number}"
        kind = KINDS.get(stream["codec_type"], "none")
        self.expect(f"{where} kind", track["kind"], kind)
        self.expect(f"{where} format", track["format"], expected_format(stream))
        if number <= len(self.movie.formats):
            self.expect(f"{where} format (movie list)", track["format"], self.movie.formats[number - 1])
        self.expect(f"{where} media time scale", track["media_time_scale"], int(stream["time_base"].split("/")[1]))
        self.expect(f"{where} major type", track["major_type"], MAJOR_TYPES.get(kind))
        if kind == "video":
            self.expect(f"{where} width", track["width"], stream["width"])
            self.expect(f"{where} height", track["height"], stream["height"])
            self.expect(f"{where} sample count", track["sample_count"], len(packets))
            self.expect(f"{where} max sample size", track["max_sample_size"], max(int(p["size"]) for p in packets))
            # DV50 runs at about 57.6 Mbit/s, DV25 at 28.8.
            self.expect(f"{where} bit rate", track["bit_rate"], 50 if int(stream["bit_rate"]) > 40_000_000 else 25)
        elif kind == "sound":
            self.expect(f"{where} subtype", track["subtype"], fourcc_guid(track["format"]))
            self.expect(f"{where} channels", track["channels"], stream["channels"])
            self.expect(f"{where} sample rate", track["sample_rate"], int(stream["sample_rate"]))
        elif kind == "timecode":
            self.check_timecode(where, track, stream, streams)

    def check_video_chunks(self, number: int, chunks: List[Dict], packets: List[Dict]) -> None:
        """Every frame's offset and size, frame by frame."""
        frames = []
        for chunk in chunks:
            self.expect(f"track {number} chunk {chunk['chunk']} samples", len(chunk["sizes"]), chunk["samples"])
            offset = chunk["offset"]
            for size in chunk["sizes"]:
                frames.append((offset, size))
                offset += size
        theirs = [(int(p["pos"]), int(p["size"])) for p in packets]
        self.expect(f"track {number} frame count", len(frames), len(theirs))
        for index, (ours, their) in enumerate(zip(frames, theirs), start=1):
            self.expect(f"track {number} frame {index} (offset, size)", ours, their)

    def check_sound_chunks(self, number: int, chunks: List[Dict], packets: List[Dict]) -> None:
        """ffprobe cuts a sound chunk into packets of at most 1024 samples:
        each chunk must be tiled exactly by consecutive packets."""
        theirs = [(int(p["pos"]), int(p["size"])) for p in packets]
        next_packet = 0
        for chunk in chunks:
            position, end = chunk["offset"], chunk["offset"] + sum(chunk["sizes"])
            while position < end and next_packet < len(theirs) and theirs[next_packet][0] == position:
                position += theirs[next_packet][1]
                next_packet += 1
            self.expect(f"track {number} chunk {chunk['chunk']} bytes covered by packets", position, end)
            if position != end:
                return
        self.expect(f"track {number} packets covered by chunks", next_packet, len(theirs))

    def check_chunks(self, tracks: List[Dict], chunks: List[Dict], packets: List[Dict]) -> None:
        offsets = [c["offset"] for c in chunks]
        self.expect("chunks in ascending file order", offsets, sorted(offsets))
        for number, track in enumerate(tracks, start=1):
            mine = [c for c in chunks if c["track"] == number]
            theirs = [p for p in packets if p["stream_index"] == number - 1]
            self.expect(f"track {number} chunk numbers", [c["chunk"] for c in mine], list(range(1, len(mine) + 1)))
            if track["kind"] == "video":
                self.expect(f"track {number} chunk count", track["chunk_count"], len(mine))
                self.check_video_chunks(number, mine, theirs)
            elif track["kind"] == "sound":
                self.check_sound_chunks(number, mine, theirs)
            else:
                self.expect(f"track {number} ({track['kind']}) chunks served", len(mine), 0)

    def check_pin(self, pin: Dict, stream: Dict, streams: List[Dict]) -> None:
        """The format block a downstream filter reads, against ffprobe."""
        where, block = f"pin {pin['index']}", pin["format"]
        if stream["codec_type"] == "video":
            self.expect(f"{where} frame size", (block["width"], block["height"]), (stream["width"], stream["height"]))
        elif stream["codec_type"] == "audio":
            self.expect(f"{where} channels", block["channels"], stream["channels"])
            self.expect(f"{where} samples per second", block["samples_per_second"], int(stream["sample_rate"]))
        else:
            video = [s for s in streams if s["codec_type"] == "video"]
            if video:
                num, den = (int(x) for x in video[0]["r_frame_rate"].split("/"))
                self.expect(f"{where} frames per second", block["frames_per_second"], round(num / den))
            self.expect(f"{where} time scale", block["time_scale"], int(stream["time_base"].split("/")[1]))

    def check_run(self, run: Dict, packets: List[Dict]) -> None:
        """What each pin delivered: every video frame's MD5 as ffprobe hashes
        that packet's data, every sound byte, and end of stream."""
        self.expect("run result", run["result"], "0x00000000")
        for pin in run["pins"]:
            theirs = [p for p in packets if p["stream_index"] == pin["index"]]
            where = f"pin {pin['index']}"
            self.expect(f"{where} end of stream", pin["end_of_stream"], True)
            if pin["major_type_name"] == "MEDIATYPE_Video":
                self.expect(f"{where} frame MD5s", [s["md5"] for s in pin["sample_list"]],
                            [p["data_hash"].split(":")[1] for p in theirs])
            elif pin["major_type_name"] == "MEDIATYPE_Audio":
                self.expect(f"{where} bytes", pin["bytes"], sum(int(p["size"]) for p in theirs))

    def check_structure(self, report: Dict, tracks: List[Dict], streams: List[Dict]) -> None:
        """qtgraph check finds no error in a movie ffmpeg wrote, and warns of
        a video time scale the filter misreads as frames per second x 100:
        the rate it takes against ffprobe's."""
        self.expect("check errors", [f["message"] for f in report["findings"] if f["severity"] == "error"], [])
        warned = {f["track"]: f["values"] for f in report["findings"] if f["kind"] == "frame-rate-from-time-scale"}
        for number, (track, stream) in enumerate(zip(tracks, streams), start=1):
            if stream["codec_type"] != "video":
                continue
            num, den = (int(x) for x in stream["avg_frame_rate"].split("/"))
            scale = track["media_time_scale"]
            taken = scale / 100 if scale >= 100 else scale
            misread = abs(taken - num / den) > 0.001 * num / den
            self.expect(f"track {number} frame-rate warning", number in warned, misread)
            if misread and number in warned:
                self.expect(f"track {number} rates in the warning",
                            (warned[number]["filter_rate"], round(warned[number]["movie_rate"], 3)),
                            (taken, round(num / den, 3)))

    def check_wine(self, qtgraph_exe: str, native: Optional[str], path: str) -> int:
        """Returns the number of video frames compared."""
        probe = run_json(["ffprobe", "-v", "error", "-show_packets", "-show_data_hash", "MD5", "-of", "json", path])
        windows_path = "Z:" + os.path.abspath(path).replace("/", "\\")
        run = run_json(["timeout", str(WINE_SECONDS), "wine", qtgraph_exe, "run", "--json", "--samples",
                        windows_path])
        self.check_run(run, probe["packets"])
        if native:
            # The check reads the file with quicktime/ alone: the same findings on both builds.
            ours = run_check(["timeout", str(WINE_SECONDS), "wine", qtgraph_exe, "check", "--json", windows_path])
            theirs = run_check([native, "check", "--json", path])
            self.expect("check findings (the native qtgraph's)", ours["findings"], theirs["findings"])
            theirs = run_json([native, "run", "--json", "--samples", path])
            for key in ("result", "end_event", "duration", "pins"):
                self.expect(f"run {key} (the native qtgraph's)", run.get(key), theirs.get(key))
        return sum(1 for p in probe["packets"] if p["codec_type"] == "video")

    def check(self, qtgraph: str, path: str) -> int:
        """Returns the number of video frames compared."""
        probe = run_json(["ffprobe", "-v", "error", "-show_streams", "-show_packets", "-show_data_hash", "MD5",
                          "-of", "json", path])
        info = run_json([qtgraph, "info", "--json", path])
        chunks = run_json([qtgraph, "chunks", "--json", path])
        tracks, streams, packets = info["tracks"], probe["streams"], probe["packets"]
        self.expect("track count", len(tracks), len(streams))
        for number, (track, stream) in enumerate(zip(tracks, streams), start=1):
            self.check_track(number, track, stream, [p for p in packets if p["stream_index"] == number - 1], streams)
        self.expect("pin count", len(info["pins"]), len(streams))
        for pin, stream in zip(info["pins"], streams):
            self.check_pin(pin, stream, streams)
        self.check_chunks(tracks, chunks, packets)
        self.check_structure(run_check([qtgraph, "check", "--json", path]), tracks, streams)
        self.check_run(run_json([qtgraph, "run", "--json", "--samples", path]), packets)
        return sum(1 for p in packets if p["codec_type"] == "video")


def main(argv: List[str]) -> int:
    parser = argparse.ArgumentParser(description="qtgraph against ffprobe on movies ffmpeg writes")
    parser.add_argument("--wine", metavar="QTGRAPH_EXE", help="check the Windows qtgraph.exe under Wine")
    parser.add_argument("--same-as", metavar="QTGRAPH", help="with --wine: the native qtgraph to agree with")
    parser.add_argument("qtgraph", nargs="?", help="the native qtgraph (without --wine)")
    parser.add_argument("outdir")
    args = parser.parse_args(argv[1:])
    if bool(args.wine) == bool(args.qtgraph):
        parser.error("give either QTGRAPH or --wine QTGRAPH_EXE")
    missing = movies.missing_tools()
    if missing:
        print(f"SKIPPED: {' and '.join(missing)} not found on PATH (Debian package ffmpeg);"
              " the end-to-end comparison did not run")
        return movies.SKIP
    # qtgraph makes the filter from the registered module (QTP_REGISTRY);
    # under Wine the caller registered the DLL with regsvr32.
    for native in filter(None, [args.qtgraph, args.same_as]):
        registered = subprocess.run([native, "register"], capture_output=True, text=True)
        if registered.returncode != 0:
            print(f"qtgraph register failed: {registered.stderr.strip()}")
            return 1
    failures = []
    for movie, path in zip(movies.MOVIES, movies.write_movies(args.outdir)):
        checker = Checker(movie)
        try:
            if args.wine:
                frames = checker.check_wine(args.wine, args.same_as, path)
            else:
                frames = checker.check(args.qtgraph, path)
        except (RuntimeError, KeyError, ValueError) as error:
            checker.failures.append(f"{movie.name}: {type(error).__name__}: {error}")
            frames = 0
        failures += checker.failures
        print(f"{'FAIL' if checker.failures else 'ok  '} {movie.name} ({frames} video frames)")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
