#!/usr/bin/env python3
"""Conversion speed of wavora-convert against the stock pipelines, measured in one run.

Usage: bench_convert.py PROGRAM_DIR [--minutes M]

Makes about ten minutes of audio as MP3, Ogg Vorbis and FLAC sources, then times:
  - wavora-convert --jobs 1 to MP3 and Ogg against `ffmpeg -i SRC -f wav - | lame -b 128 - OUT`
    and `ffmpeg -i SRC -f wav - | oggenc -b 128 -o OUT -`, one file after another;
  - wavora-convert with its default jobs against the same pipelines, and against
    SoundConverter's batch mode (`soundconverter -b`, installed with apt-get when
    missing);
  - WAV output against `ffmpeg -i SRC OUT.wav`;
  - the peak resident memory of wavora-convert.
Each ratio is wavora's time divided by the reference's time (below 1: wavora is faster).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

OPTIONS = (
    "object CDOptions\r\n"
    "  CurFormat = 'MP3'\r\n"
    "  CustomFileNaming = False\r\n"
    "  MP3v2Tag = True\r\n"
    "  ConstBitrate = True\r\n"
    "  Bitrate = 128\r\n"
    "  Quality = 50\r\n"
    "end\r\n"
)


def run(cmd, **kw):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)


def timed(fn):
    start = time.perf_counter()
    fn()
    return time.perf_counter() - start


def make_sources(folder, minutes):
    """Six files of equal length, two of each kind, with a little variety of signal."""
    per_file = minutes * 60 / 6
    sources = []
    signals = ["sine=frequency=440", "anoisesrc=color=pink:amplitude=0.3"]
    for kind, codec in (("mp3", ["-c:a", "libmp3lame", "-b:a", "192k"]),
                        ("ogg", ["-c:a", "libvorbis", "-q:a", "5"]),
                        ("flac", ["-c:a", "flac"])):
        for i, signal in enumerate(signals):
            path = os.path.join(folder, f"src{i}_{kind}.{kind}")
            run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                 f"{signal}:sample_rate=44100:duration={per_file}", "-ac", "2", *codec, path])
            sources.append(path)
    return sources, per_file * 6


def program_copy(program_dir, into):
    """A program folder of our own, so that options.dat of the build stays untouched."""
    for name in os.listdir(program_dir):
        if name == "wavora-convert" or (name.startswith("lib") and name.endswith(".so")):
            shutil.copy2(os.path.join(program_dir, name), into)
    with open(os.path.join(into, "options.dat"), "w", newline="") as f:
        f.write(OPTIONS)
    return os.path.join(into, "wavora-convert")


def pipelines(sources, out, encoder):
    os.makedirs(out, exist_ok=True)
    for src in sources:
        base = os.path.splitext(os.path.basename(src))[0]
        dec = subprocess.Popen(["ffmpeg", "-v", "error", "-i", src, "-f", "wav", "-"],
                               stdout=subprocess.PIPE)
        if encoder == "mp3":
            enc = ["lame", "--quiet", "-b", "128", "-", os.path.join(out, base + ".mp3")]
        else:
            enc = ["oggenc", "--quiet", "-b", "128", "-o", os.path.join(out, base + ".ogg"), "-"]
        subprocess.run(enc, stdin=dec.stdout, stderr=subprocess.DEVNULL, check=True)
        dec.stdout.close()
        dec.wait()


def ffmpeg_wav(sources, out):
    os.makedirs(out, exist_ok=True)
    for src in sources:
        base = os.path.splitext(os.path.basename(src))[0]
        run(["ffmpeg", "-v", "error", "-y", "-i", src, os.path.join(out, base + ".wav")])


def wavora(tool, sources, out, fmt, jobs=None):
    args = [tool, "--format", fmt, "--output", out]
    if jobs:
        args += ["--jobs", str(jobs)]
    run(args + sources)


def soundconverter(sources, out, fmt):
    if shutil.which("soundconverter") is None:
        if os.geteuid() == 0:
            subprocess.run(["apt-get", "install", "-y", "-q", "soundconverter"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if shutil.which("soundconverter") is None:
            return None
    # The same settings: MP3 at a constant 128 kbit/s; Vorbis has only a quality scale there,
    # and 0.4 is its setting nearest to 128 kbit/s.
    settings = {"mp3": ["-m", "cbr", "-q", "128"], "ogg": ["-q", "0.4"]}[fmt]
    cmd = ["soundconverter", "-b", "-f", fmt, *settings, "-o", out, *sources]
    if shutil.which("xvfb-run") and not os.environ.get("DISPLAY"):
        cmd = ["xvfb-run", "-a", *cmd]
    try:
        return timed(lambda: run(cmd, timeout=1800))
    except (subprocess.CalledProcessError, subprocess.TimeoutExpired, OSError):
        return None


def peak_rss_mb(cmd):
    """Peak resident set of this one process (GNU time's %M, in KiB)."""
    with tempfile.NamedTemporaryFile("r") as report:
        run(["/usr/bin/time", "-f", "%M", "-o", report.name, *cmd])
        return int(report.read().strip().splitlines()[-1]) / 1024.0


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    program_dir = sys.argv[1]
    minutes = 10.0
    if "--minutes" in sys.argv:
        minutes = float(sys.argv[sys.argv.index("--minutes") + 1])
    with tempfile.TemporaryDirectory(prefix="wavora-bench-") as work:
        prog = os.path.join(work, "program")
        os.makedirs(prog)
        tool = program_copy(program_dir, prog)
        sources, seconds = make_sources(work, minutes)
        print(f"{len(sources)} sources, {seconds / 60:.1f} minutes of audio, "
              f"{os.cpu_count()} cores")

        def out(name):
            path = os.path.join(work, name)
            shutil.rmtree(path, ignore_errors=True)
            return path

        # Memory first, on a cold tool: the default jobs, every format in turn.
        rss = max(peak_rss_mb([tool, "--format", fmt, "--output", out("rss"), *sources[:3]])
                  for fmt in ("mp3", "ogg", "wav", "wma"))

        rows = []
        for fmt in ("mp3", "ogg"):
            ref = timed(lambda: pipelines(sources, out("ref"), fmt))
            one = timed(lambda: wavora(tool, sources, out("one"), fmt, jobs=1))
            many = timed(lambda: wavora(tool, sources, out("many"), fmt))
            rows.append((f"{fmt}: wavora --jobs 1 / ffmpeg|{'lame' if fmt == 'mp3' else 'oggenc'}",
                         one, ref, "<= 1.03"))
            rows.append((f"{fmt}: wavora default jobs / ffmpeg|{'lame' if fmt == 'mp3' else 'oggenc'}",
                         many, ref, "<= 0.59 (1.7x faster)"))
            sc = soundconverter(sources, out("sc"), fmt)
            if sc is None:
                print(f"{fmt}: SoundConverter could not be run; that reference is missing")
            else:
                rows.append((f"{fmt}: wavora default jobs / soundconverter -b", many, sc, "< 1"))
        ref = timed(lambda: ffmpeg_wav(sources, out("ref")))
        one = timed(lambda: wavora(tool, sources, out("one"), "wav", jobs=1))
        many = timed(lambda: wavora(tool, sources, out("many"), "wav"))
        rows.append(("wav: wavora --jobs 1 / ffmpeg -i SRC OUT.wav", one, ref, "<= 1.0"))
        rows.append(("wav: wavora default jobs / ffmpeg -i SRC OUT.wav", many, ref, "<= 1.0"))

        print(f"{'comparison':<52} {'wavora s':>9} {'ref s':>8} {'ratio':>7}  goal")
        for name, ours, theirs, goal in rows:
            print(f"{name:<52} {ours:9.2f} {theirs:8.2f} {ours / theirs:7.3f}  {goal}")
            print(f"{'':<52} {seconds / ours:8.0f}x {seconds / theirs:7.0f}x  real time")
        print(f"peak resident memory of wavora-convert: {rss:.1f} MB (goal: < 60 MB)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
