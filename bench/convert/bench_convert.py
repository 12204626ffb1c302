#!/usr/bin/env python3
"""Conversion speed of wavora-convert, measured in one run against the same encoders at the
very same settings.

Usage: bench_convert.py PROGRAM_DIR [--minutes M] [--repeat N] [--soundconverter]

Makes about M minutes (default 10) of audio as MP3, Ogg Vorbis and FLAC sources and decodes
each once to WAV. Then, for MP3 at a constant 128 kbit/s (the template's `lame -f -b 128`),
MP3 in quality mode (`lame -f -V 4.5`, the quality bar at 50), Ogg Vorbis at 128 kbit/s
(`oggenc --bitrate 128`) and Ogg Vorbis in quality mode (`oggenc --quality 5`), it times:
  - the floor: the encoder alone on the pre-decoded WAV files, one after another;
  - the peer: `ffmpeg -i SRC -f wav - | ENCODER`, one file after another;
  - wavora-convert --jobs 1;
  - wavora-convert with its default jobs, against the floor run on as many files at once,
    and against the whole run's CPU time (its own and its encoders') divided by the cores.
WAV output is timed against `ffmpeg -i SRC OUT.wav`, and the peak resident memory of
wavora-convert is shown. Each time is the best of N runs (default
3), so that other work on the machine disturbs it less. Every ratio is wavora's time divided
by the reference's (below 1: wavora is faster); each row also shows the ratio to the floor.
"""
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

OPTIONS = (
    "object CDOptions\r\n"
    "  CurFormat = 'MP3'\r\n"
    "  CustomFileNaming = False\r\n"
    "  MP3v2Tag = True\r\n"
    "  ConstBitrate = {const}\r\n"
    "  Bitrate = 128\r\n"
    "  Quality = 50\r\n"
    "end\r\n"
)

# The encoder arguments wavora's templates give at bitrate 128 and quality 50.
MODES = {
    ("mp3", True): ["lame", "--quiet", "-f", "-b", "128"],
    ("mp3", False): ["lame", "--quiet", "-f", "-V", "4.5"],
    ("ogg", True): ["oggenc", "--quiet", "--bitrate", "128"],
    ("ogg", False): ["oggenc", "--quiet", "--quality", "5"],
}


def run(cmd, **kw):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kw)


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(fn, repeat):
    """Best wall time of `repeat` runs, with the CPU time (children) of that run."""
    best = None
    for _ in range(repeat):
        cpu = children_cpu()
        start = time.perf_counter()
        fn()
        wall = time.perf_counter() - start
        used = children_cpu() - cpu
        if best is None or wall < best[0]:
            best = (wall, used)
    return best


def make_sources(folder, minutes):
    """Six files of equal length, two of each kind, with a little variety of signal, and
    each one decoded to WAV."""
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
    wavs = []
    os.makedirs(os.path.join(folder, "wav"))
    for src in sources:
        wav = os.path.join(folder, "wav", os.path.basename(src) + ".wav")
        run(["ffmpeg", "-v", "error", "-y", "-i", src, wav])
        wavs.append(wav)
    return sources, wavs, per_file * 6


def program_copy(program_dir, into):
    """A program folder of our own, so that options.dat of the build stays untouched."""
    for name in os.listdir(program_dir):
        if name == "wavora-convert" or (name.startswith("lib") and name.endswith(".so")):
            shutil.copy2(os.path.join(program_dir, name), into)
    return os.path.join(into, "wavora-convert")


def set_mode(prog, const):
    with open(os.path.join(prog, "options.dat"), "w", newline="") as f:
        f.write(OPTIONS.format(const="True" if const else "False"))


def encode_one(encoder, wav, out):
    name = os.path.join(out, os.path.basename(wav) + "." + encoder[0][:3])
    if encoder[0] == "lame":
        run([*encoder, wav, name])
    else:
        run([*encoder, "-o", name, wav])


def floor(encoder, wavs, out, jobs=1):
    os.makedirs(out, exist_ok=True)
    with ThreadPoolExecutor(max_workers=jobs) as pool:
        list(pool.map(lambda wav: encode_one(encoder, wav, out), wavs))


def peer(encoder, sources, out):
    os.makedirs(out, exist_ok=True)
    for src in sources:
        name = os.path.join(out, os.path.basename(src) + "." + encoder[0][:3])
        dec = subprocess.Popen(["ffmpeg", "-v", "error", "-i", src, "-f", "wav", "-"],
                               stdout=subprocess.PIPE)
        args = [*encoder, "-", name] if encoder[0] == "lame" else [*encoder, "-o", name, "-"]
        subprocess.run(args, stdin=dec.stdout, stderr=subprocess.DEVNULL, check=True)
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
        return None
    # MP3 at a constant 128 kbit/s; Vorbis has only a quality scale there (0.5 = oggenc's 5).
    settings = {"mp3": ["-m", "cbr", "-q", "128"], "ogg": ["-q", "0.5"]}[fmt]
    cmd = ["soundconverter", "-b", "-f", fmt, *settings, "-o", out, *sources]
    if shutil.which("xvfb-run") and not os.environ.get("DISPLAY"):
        cmd = ["xvfb-run", "-a", *cmd]
    try:
        start = time.perf_counter()
        run(cmd, timeout=1800)
        return time.perf_counter() - start
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
    minutes = float(sys.argv[sys.argv.index("--minutes") + 1]) if "--minutes" in sys.argv else 10
    repeat = int(sys.argv[sys.argv.index("--repeat") + 1]) if "--repeat" in sys.argv else 3
    cores = os.cpu_count() or 1
    with tempfile.TemporaryDirectory(prefix="wavora-bench-") as work:
        prog = os.path.join(work, "program")
        os.makedirs(prog)
        tool = program_copy(program_dir, prog)
        sources, wavs, seconds = make_sources(work, minutes)
        print(f"{len(sources)} sources, {seconds / 60:.1f} minutes of audio, {cores} cores, "
              f"load average {os.getloadavg()[0]:.2f} at the start; best of {repeat} runs")

        def out(name):
            path = os.path.join(work, name)
            shutil.rmtree(path, ignore_errors=True)
            return path

        def clean(fn, name):
            return lambda: fn(out(name))

        set_mode(prog, True)
        rss = max(peak_rss_mb([tool, "--format", fmt, "--output", out("rss"), *sources[:3]])
                  for fmt in ("mp3", "ogg", "wav", "wma"))

        rows = []  # (name, wavora s, reference s, floor s, goal)
        for (fmt, const), encoder in MODES.items():
            set_mode(prog, const)
            label = f"{fmt} {' '.join(encoder[2:])}"
            base = timed(clean(lambda o: floor(encoder, wavs, o), "floor"), repeat)[0]
            ref = timed(clean(lambda o: peer(encoder, sources, o), "peer"), repeat)[0]
            one = timed(clean(lambda o: wavora(tool, sources, o, fmt, jobs=1), "one"), repeat)[0]
            rows.append((f"{label}: --jobs 1 / ffmpeg|{encoder[0]}", one, ref, base, ""))
            rows.append((f"{label}: --jobs 1 / {encoder[0]} alone on WAV", one, base, base,
                         "<= 1.05" if (fmt, const) == ("mp3", True) else ""))
            many, cpu = timed(clean(lambda o: wavora(tool, sources, o, fmt), "many"), repeat)
            wide = timed(clean(lambda o: floor(encoder, wavs, o, cores), "wide"), repeat)[0]
            rows.append((f"{label}: default jobs / {encoder[0]} alone, {cores} at once", many,
                         wide, wide, ""))
            rows.append((f"{label}: default jobs / (its CPU time / {cores} cores)", many,
                         cpu / cores, wide, "<= 1.05"))
            if "--soundconverter" in sys.argv and (fmt, const) in (("mp3", True), ("ogg", False)):
                sc = soundconverter(sources, out("sc"), fmt)
                if sc is None:
                    print(f"{label}: SoundConverter could not be run; that reference is missing")
                else:
                    rows.append((f"{label}: default jobs / soundconverter -b", many, sc, wide, ""))
        ref = timed(clean(lambda o: ffmpeg_wav(sources, o), "ref"), repeat)[0]
        one = timed(clean(lambda o: wavora(tool, sources, o, "wav", jobs=1), "one"), repeat)[0]
        many = timed(clean(lambda o: wavora(tool, sources, o, "wav"), "many"), repeat)[0]
        rows.append(("wav: --jobs 1 / ffmpeg -i SRC OUT.wav", one, ref, None, "<= 1.0"))
        rows.append(("wav: default jobs / ffmpeg -i SRC OUT.wav", many, ref, None, "<= 1.0"))

        print(f"{'comparison':<58} {'wavora s':>8} {'ref s':>7} {'ratio':>6} "
              f"{'/floor':>6}  goal")
        for name, ours, theirs, base, goal in rows:
            against_floor = f"{ours / base:6.3f}" if base else f"{'':>6}"
            print(f"{name:<58} {ours:8.2f} {theirs:7.2f} {ours / theirs:6.3f} "
                  f"{against_floor}  {goal}")
        print(f"peak resident memory of wavora-convert: {rss:.1f} MB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
