#!/usr/bin/python3
"""Synthesises Pulsewick's 24 sounds and writes them as WAVE resources.

Every sound is built from decaying modes, pitch sweeps, band-limited oscillators
and spectrally shaped noise with a fixed random seed, so a rerun reproduces the
committed files byte for byte. Each file is read back from disk and measured;
any silent, clipping, off-centre or malformed file ends the run with status 1.
"""

import argparse
import struct
import sys
from pathlib import Path

import numpy as np

SR = 44100
PEAK_DBFS = -1.0
FULL_SCALE = 32767.0
MAX_SET_BYTES = 2 * 1024 * 1024


def axis(seconds):
    return np.arange(int(round(seconds * SR))) / SR


def mode(t, freq, tau, amp=1.0):
    return amp * np.exp(-t / tau) * np.sin(2 * np.pi * freq * t)


def sweep(t, f_start, f_end, tau, amp_tau):
    """Sine whose pitch falls exponentially from f_start to f_end, like a struck membrane."""
    freq = f_end + (f_start - f_end) * np.exp(-t / tau)
    phase = 2 * np.pi * np.cumsum(freq) / SR
    return np.exp(-t / amp_tau) * np.sin(phase - phase[0])


def membrane(t, f0, taus, amps, glide=1.0, glide_tau=0.02):
    """Circular-membrane modes (Bessel ratios) that all share the strike's pitch glide."""
    ratios = (1.0, 1.594, 2.136, 2.296, 2.653, 2.918)
    bend = 1 + (glide - 1) * np.exp(-t / glide_tau)
    out = np.zeros_like(t)
    for ratio, tau, amp in zip(ratios, taus, amps):
        phase = 2 * np.pi * np.cumsum(f0 * ratio * bend) / SR
        out += amp * np.exp(-t / tau) * np.sin(phase - phase[0])
    return out


def shaped(x, hp=None, lp=None, order=2):
    """Zero-phase Butterworth-magnitude filter; applied to stationary sources before enveloping."""
    nfft = 1 << int(np.ceil(np.log2(len(x) * 2)))
    spectrum = np.fft.rfft(x, nfft)
    f = np.fft.rfftfreq(nfft, 1 / SR)
    gain = np.ones_like(f)
    if hp:
        gain /= np.sqrt(1 + (hp / np.maximum(f, 1e-6)) ** (2 * order))
    if lp:
        gain /= np.sqrt(1 + (f / lp) ** (2 * order))
    return np.fft.irfft(spectrum * gain, nfft)[: len(x)]


def square(t, freq, top=20000):
    """Band-limited square wave: odd harmonics below top, so nothing aliases."""
    out = np.zeros_like(t)
    k = 1
    while k * freq < top:
        out += np.sin(2 * np.pi * k * freq * t) / k
        k += 2
    return out * 4 / np.pi


class Noise:
    """Seeded white noise, optionally shaped; one generator per sound keeps sounds independent."""

    def __init__(self, seed):
        self.rng = np.random.default_rng(seed)

    def __call__(self, t, hp=None, lp=None, order=2):
        return shaped(self.rng.standard_normal(len(t)), hp, lp, order)


# Synthesis of each sound. Each returns a 1-D array (mono) or a 2-D array of
# shape (samples, 2) (stereo), at any scale: finish() normalises it.


def accent_click(noise):
    t = axis(0.045)
    body = mode(t, 1900, 0.01) + mode(t, 4290, 0.004, 0.45)
    tick = noise(t, hp=2500) * np.exp(-t / 0.0005) * 0.3
    return body + tick


def normal_click(noise):
    t = axis(0.035)
    body = mode(t, 1000, 0.005) + mode(t, 2350, 0.002, 0.2)
    tick = noise(t, hp=800, lp=4000) * np.exp(-t / 0.0003) * 0.2
    mono = body + tick
    return np.column_stack([mono, mono])


def practice_end(noise):
    """Two bell tones a fifth apart, the second after 120 ms: unlike any click
    or drum, so the end of a practice session is heard as such."""
    t = axis(0.45)
    first = mode(t, 660, 0.12) + mode(t, 1980, 0.04, 0.25)
    later = np.maximum(t - 0.12, 0)
    second = np.where(t >= 0.12, mode(later, 990, 0.14) + mode(later, 2970, 0.04, 0.2), 0)
    return first + second


def kick(noise):
    t = axis(0.35)
    body = np.tanh(1.6 * sweep(t, 160, 52, 0.035, 0.12))
    beater = noise(t, hp=800, lp=4000) * np.exp(-t / 0.002) * 0.3
    return body + beater


def short_kick(noise):
    t = axis(0.16)
    body = np.tanh(2.0 * sweep(t, 210, 65, 0.02, 0.045))
    beater = noise(t, hp=1000, lp=6000) * np.exp(-t / 0.0015) * 0.45
    return body + beater


def snare(noise):
    t = axis(0.3)
    head = membrane(t, 185, (0.045, 0.03), (1.0, 0.5), glide=1.12, glide_tau=0.01)
    stick = noise(t, hp=300, lp=6000) * np.exp(-t / 0.004) * 0.5
    common = noise(t, hp=1500, lp=9000)
    wire_env = np.exp(-t / 0.075) * 0.8
    # Part of the wire noise differs between the channels so the snare sounds wide, not mono.
    channels = []
    for _ in range(2):
        wires = (0.85 * common + 0.45 * noise(t, hp=1500, lp=9000)) * wire_env
        channels.append(head + stick + wires)
    return np.column_stack(channels)


def rimshot(noise):
    t = axis(0.22)
    head = membrane(t, 230, (0.025, 0.02), (0.6, 0.3), glide=1.1, glide_tau=0.008)
    rim = mode(t, 1720, 0.035, 0.5) + mode(t, 2580, 0.02, 0.3) + mode(t, 3900, 0.012, 0.2)
    crack = noise(t, hp=1000) * np.exp(-t / 0.003) * 1.2
    wires = noise(t, hp=2000, lp=9000) * np.exp(-t / 0.045) * 0.35
    return head + rim + crack + wires


def side_stick(noise):
    t = axis(0.15)
    wood = mode(t, 510, 0.018) + mode(t, 1180, 0.01, 0.5) + mode(t, 2050, 0.006, 0.35)
    rim = mode(t, 3500, 0.005, 0.15)
    click = noise(t, hp=2000) * np.exp(-t / 0.001) * 0.4
    wires = noise(t, hp=2000, lp=8000) * np.exp(-t / 0.025) * 0.08
    return wood + rim + click + wires


def tom(noise, f0, seconds, tau):
    t = axis(seconds)
    head = membrane(t, f0, (tau, tau * 0.5, tau * 0.3), (1.0, 0.25, 0.12), glide=1.25, glide_tau=0.04)
    stick = noise(t, lp=5000) * np.exp(-t / 0.003) * 0.25
    return head + stick


def hihat_source(t, noise):
    # Six detuned square waves ring-modulated in pairs, the analogue recipe for a
    # metallic spectrum; a little noise fills the gaps between its partials. Each
    # square stops at 10 kHz so the products stay below the Nyquist frequency.
    a, b, c, d, e, f = (square(t, hz, 10000) for hz in (205.3, 304.4, 369.6, 522.7, 540.0, 800.0))
    return (a * b + c * d + e * f) / 3 + 0.15 * noise(t)


def shimmer(t, noise, count, lo, hi, tau_lo, tau_hi):
    """A cluster of inharmonic partials; higher ones die sooner, as on a cymbal."""
    freqs = np.sort(noise.rng.uniform(lo, hi, count))
    taus = np.linspace(tau_hi, tau_lo, count)
    amps = noise.rng.uniform(0.5, 1.0, count)
    return sum(mode(t, f, tau, a) for f, tau, a in zip(freqs, taus, amps)) / np.sqrt(count)


def closed_hihat(noise):
    t = axis(0.12)
    src = shaped(hihat_source(t, noise), hp=7000, lp=16000, order=4)
    stick = noise(t, hp=3000) * np.exp(-t / 0.0015) * 0.3
    return src * np.exp(-t / 0.018) + stick


def open_hihat(noise):
    t = axis(0.8)
    src = shaped(hihat_source(t, noise), hp=6000, lp=16000, order=4)
    stick = noise(t, hp=3000) * np.exp(-t / 0.0015) * 0.3
    return stick + src * (0.6 * np.exp(-t / 0.03) + 0.4 * np.exp(-t / 0.28))


def crash(noise):
    t = axis(1.2)
    a, b, c, d = (square(t, hz, 10000) for hz in (245.0, 317.5, 396.2, 587.3))
    src = (a * b + c * d) / 2 + 0.35 * noise(t)
    bright = shaped(src, hp=7000, lp=17000, order=3)
    body = shaped(src, hp=3000, lp=7000, order=3)
    ring = shimmer(t, noise, 40, 3000, 11000, 0.25, 0.7)
    # The highest band fades first, as it does on a real crash.
    wash = bright * (0.8 * np.exp(-t / 0.02) + 0.5 * np.exp(-t / 0.3)) + body * np.exp(-t / 0.55) * 0.7
    return wash + 0.3 * ring


def ride(noise):
    t = axis(1.0)
    ping = mode(t, 620, 0.4, 0.2) + mode(t, 1480, 0.35, 0.25) + mode(t, 2390, 0.3, 0.25)
    ring = shimmer(t, noise, 40, 2500, 12000, 0.2, 0.6)
    a, b = square(t, 311.1, 10000), square(t, 467.9, 10000)
    wash = shaped(a * b + 0.3 * noise(t), hp=5000, lp=16000, order=3)
    tick = noise(t, hp=3000) * np.exp(-t / 0.001) * 0.6
    return ping + 0.6 * ring + wash * np.exp(-t / 0.35) * 0.35 + tick


def shaker(noise):
    t = axis(0.15)
    # Beads hit the shell at random instants; their grains give the shaker its grit.
    grains = np.zeros_like(t)
    for start in noise.rng.uniform(0, 0.05, 40):
        grains += np.exp(-np.maximum(t - start, 0) / 0.004) * (t >= start)
    body = (1 - np.exp(-t / 0.006)) * np.exp(-t / 0.035)
    return noise(t, hp=4000, lp=12000) * (body + 0.15 * grains)


def wood_block(noise):
    t = axis(0.15)
    wood = mode(t, 780, 0.03) + mode(t, 2150, 0.012, 0.35) + mode(t, 3900, 0.005, 0.15)
    tick = noise(t, hp=2000) * np.exp(-t / 0.0005) * 0.3
    return wood + tick


def cowbell(noise):
    t = axis(0.3)
    tone = shaped(square(t, 540) + square(t, 800), hp=500, lp=2600)
    stick = noise(t, hp=1000) * np.exp(-t / 0.001) * 0.3
    return tone * (0.6 * np.exp(-t / 0.012) + 0.4 * np.exp(-t / 0.11)) + stick


def tambourine(noise):
    t = axis(0.3)
    freqs = noise.rng.uniform(5500, 12000, 18)
    taus = noise.rng.uniform(0.03, 0.08, 18)
    jingles = np.zeros_like(t)
    # The jingles strike each other a few times just after the hit.
    for delay, level in ((0.0, 1.0), (0.004, 0.7), (0.009, 0.5), (0.016, 0.35)):
        tt = np.maximum(t - delay, 0)
        hit = sum(mode(tt, f, tau) for f, tau in zip(freqs, taus)) * (t >= delay)
        jingles += level * hit / len(freqs)
    rattle = noise(t, hp=6000) * np.exp(-t / 0.06) * 0.25
    skin = mode(t, 280, 0.02, 0.15)
    return jingles + rattle + skin


def slap_conga(noise, f0):
    t = axis(0.18)
    # The hand mutes the fundamental, leaving the upper head modes and a sharp crack.
    head = membrane(
        t, f0, (0.03, 0.03, 0.028, 0.025, 0.022, 0.02), (0.6, 0.4, 0.4, 0.35, 0.3, 0.3), glide=1.08, glide_tau=0.01
    )
    crack = noise(t, hp=1200, lp=7000) * np.exp(-t / 0.006) * 1.6
    return head + crack


def open_conga(noise, f0):
    t = axis(0.3)
    head = membrane(t, f0, (0.18, 0.07, 0.05), (1.0, 0.2, 0.1), glide=1.06, glide_tau=0.015)
    palm = noise(t, lp=3000) * np.exp(-t / 0.002) * 0.2
    return head + palm


# id, label, channels, synthesis, extra chunks. The extra chunks vary in kind and
# position (an odd-sized INFO entry, "fact", LIST after "data") so the loader
# meets what real-world files carry.
SOUNDS = (
    (181, "Accent click", 1, accent_click, ("list",)),
    (180, "Normal click", 2, normal_click, ("fact",)),
    (182, "Practice end", 1, practice_end, ()),
    (129, "Kick", 1, kick, ("list",)),
    (130, "Short Kick", 1, short_kick, ()),
    (131, "Snare", 2, snare, ("list",)),
    (132, "Rimshot", 1, rimshot, ()),
    (133, "S-Rimshot", 1, side_stick, ()),
    (134, "Tom1", 1, lambda n: tom(n, 196, 0.35, 0.16), ()),
    (135, "Tom2", 1, lambda n: tom(n, 98, 0.45, 0.22), ()),
    (136, "ClsHiat", 1, closed_hihat, ()),
    (137, "OpHiat", 1, open_hihat, ("fact",)),
    (138, "Cymbol1", 1, crash, ("list-after",)),
    (139, "Cymbol2", 1, ride, ()),
    (140, "Shaker", 1, shaker, ()),
    (141, "Block", 1, wood_block, ()),
    (142, "Bell", 1, cowbell, ()),
    (143, "Tambourine", 1, tambourine, ()),
    (144, "S-Conga1", 1, lambda n: slap_conga(n, 350), ()),
    (145, "S-Conga2", 1, lambda n: slap_conga(n, 300), ()),
    (146, "S-Conga3", 1, lambda n: slap_conga(n, 255), ()),
    (147, "Conga1", 1, lambda n: open_conga(n, 392), ()),
    (148, "Conga2", 1, lambda n: open_conga(n, 330), ()),
    (149, "Conga3", 1, lambda n: open_conga(n, 277), ()),
    (150, "Conga4", 1, lambda n: open_conga(n, 220), ()),
)

# Sounds with a tuned head, whose fundamental the table reports.
PITCHED = {129, 130, 131, 132, 134, 135, 144, 145, 146, 147, 148, 149, 150}

# The normal click sits below the accent so the first beat of a bar stands out.
PEAK_OVERRIDE = {180: -5.0}


def finish(x, peak_dbfs):
    """Fades, centres and normalises a sound, returning int16 samples."""
    x = np.array(x, dtype=np.float64)
    if x.ndim == 1:
        x = x[:, None]
    n = len(x)
    fade_in = min(4, n)
    fade_out = max(int(n * 0.2), int(0.005 * SR))
    env = np.ones(n)
    env[:fade_in] = np.sin(0.5 * np.pi * (np.arange(fade_in) + 1) / (fade_in + 1)) ** 2
    env[n - fade_out :] = np.cos(0.5 * np.pi * np.arange(1, fade_out + 1) / fade_out) ** 2
    x *= env[:, None]
    # Subtract the mean through a window that is zero at both ends, so both ends stay silent.
    window = np.sin(np.pi * np.arange(n) / (n - 1)) ** 2
    x -= np.outer(window / window.mean(), x.mean(axis=0))
    peak = np.abs(x).max()
    if not np.isfinite(peak) or peak <= 0:
        raise ValueError("synthesis produced silence")
    x *= 10 ** (peak_dbfs / 20) * FULL_SCALE / peak
    return np.round(x).astype("<i2")


def chunk(tag, payload):
    pad = b"\0" if len(payload) % 2 else b""
    return tag + struct.pack("<I", len(payload)) + payload + pad


def info_list(label):
    entries = chunk(b"INAM", label.encode("ascii") + b"\0") + chunk(b"ISFT", b"Pulsewick sound tool\0")
    return chunk(b"LIST", b"INFO" + entries)


def wave_bytes(samples, label, extras):
    channels = samples.shape[1]
    fmt = struct.pack("<HHIIHH", 1, channels, SR, SR * channels * 2, channels * 2, 16)
    body = chunk(b"fmt ", fmt)
    if "fact" in extras:
        body += chunk(b"fact", struct.pack("<I", len(samples)))
    if "list" in extras:
        body += info_list(label)
    body += chunk(b"data", samples.tobytes())
    if "list-after" in extras:
        body += info_list(label)
    return b"RIFF" + struct.pack("<I", 4 + len(body)) + b"WAVE" + body


def read_wave(data):
    """Walks the chunks the way the program's loader does; raises on anything it would reject."""
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError("not a RIFF WAVE image")
    riff_end = 8 + struct.unpack_from("<I", data, 4)[0]
    if riff_end != len(data):
        raise ValueError(f"RIFF size says {riff_end} bytes, file has {len(data)}")
    fmt = samples = None
    tags = []
    pos = 12
    while pos + 8 <= riff_end:
        tag = data[pos : pos + 4]
        size = struct.unpack_from("<I", data, pos + 4)[0]
        payload = data[pos + 8 : pos + 8 + size]
        tags.append(tag.decode("ascii").strip())
        if tag == b"fmt " and fmt is None:
            fmt = struct.unpack_from("<HHIIHH", payload)
        elif tag == b"data":
            samples = np.frombuffer(payload, dtype="<i2")
        pos += 8 + size + (size & 1)
    if fmt is None or samples is None:
        raise ValueError("missing fmt or data chunk")
    tag_fmt, channels, rate, byte_rate, align, bits = fmt
    if (tag_fmt, rate, bits, align, byte_rate) != (1, SR, 16, channels * 2, SR * channels * 2):
        raise ValueError(f"format {fmt} is not 16-bit PCM at {SR} Hz")
    return channels, samples.reshape(-1, channels).astype(np.float64) / 32768.0, tags


def db(value):
    return 20 * np.log10(max(value, 1e-12))


def spectrum_stats(mono, seconds):
    """Spectral centroid and dominant frequency of the sound's opening stretch."""
    seg = mono[: int(seconds * SR)]
    nfft = 1 << 16
    mag = np.abs(np.fft.rfft(seg * np.hanning(len(seg)), nfft))
    f = np.fft.rfftfreq(nfft, 1 / SR)
    power = mag**2
    centroid = (f * power).sum() / power.sum() if power.sum() > 0 else 0.0
    k = int(np.argmax(mag[1:])) + 1
    # Parabolic interpolation between bins for a finer peak estimate.
    a, b, c = np.log(mag[k - 1 : k + 2] + 1e-12)
    offset = 0.5 * (a - c) / (a - 2 * b + c) if a - 2 * b + c else 0.0
    return centroid, (k + offset) * SR / nfft


def low_pitch(mono, seconds):
    """Strongest frequency below 1 kHz: the fundamental of a drum head."""
    seg = mono[: int(seconds * SR)]
    nfft = 1 << 17
    mag = np.abs(np.fft.rfft(seg * np.hanning(len(seg)), nfft))
    f = np.fft.rfftfreq(nfft, 1 / SR)
    band = (f > 40) & (f < 1000)
    return f[band][np.argmax(mag[band])]


def measure(sound_id, label, expected_channels, data):
    channels, x, tags = read_wave(data)
    errors = []
    if channels != expected_channels:
        errors.append(f"{channels} channels, expected {expected_channels}")
    mono = x.mean(axis=1)
    ms = 1000 * len(x) / SR
    peak = np.abs(x).max()
    rms = np.sqrt((x**2).mean())
    dc = np.abs(x.mean(axis=0)).max()
    peak_at_ms = 1000 * np.argmax(np.abs(x).max(axis=1)) / SR
    audible = np.nonzero(np.abs(x).max(axis=1) >= 0.01)[0]
    onset_ms = 1000 * audible[0] / SR if len(audible) else float("inf")
    centroid, dominant = spectrum_stats(mono, min(0.05, len(x) / SR))
    stats = {
        "id": sound_id,
        "label": label,
        "ch": channels,
        "ms": ms,
        "bytes": len(data),
        "peak": db(peak),
        "rms": db(rms),
        "dc": dc,
        "peak_at": peak_at_ms,
        "centroid": centroid,
        "dominant": dominant,
        "pitch": low_pitch(mono, min(0.2, len(x) / SR)) if sound_id in PITCHED else None,
        "chunks": " ".join(tags),
    }
    if peak < 10 ** (-20 / 20):
        errors.append(f"silent or far too quiet (peak {db(peak):.1f} dBFS)")
    if np.abs(x).max() * 32768 >= 32767:
        errors.append("clips")
    if dc > 0.001:
        errors.append(f"DC offset {dc:.5f}")
    if np.any(x[-1] != 0):
        errors.append("does not end at zero")
    if onset_ms > 1.0:
        errors.append(f"leading silence {onset_ms:.2f} ms")
    if ms > 1250:
        errors.append(f"too long ({ms:.0f} ms)")
    if sound_id in (180, 181):
        if not 20 <= ms <= 60:
            errors.append(f"click lasts {ms:.0f} ms")
        if peak_at_ms > 2.0:
            errors.append(f"click peaks late ({peak_at_ms:.2f} ms)")
    return stats, errors


def relation_errors(stats):
    """The distinctions a player relies on, checked on the measured files."""
    by_id = {s["id"]: s for s in stats}
    errors = []

    def falling(ids, key, what):
        values = [by_id[i][key] for i in ids]
        if any(a <= b for a, b in zip(values, values[1:])):
            errors.append(f"{what} not falling: " + ", ".join(f"{i}={v:.0f}" for i, v in zip(ids, values)))

    accent, normal = by_id[181], by_id[180]
    if accent["centroid"] <= normal["centroid"] * 1.3:
        errors.append("accent click is not clearly brighter than the normal click")
    if accent["rms"] <= normal["rms"] or accent["peak"] <= normal["peak"]:
        errors.append("accent click is not louder than the normal click")
    falling((181, 180), "dominant", "click pitch")
    falling((134, 135), "pitch", "tom pitch")
    falling((144, 145, 146), "pitch", "slap conga pitch")
    falling((147, 148, 149, 150), "pitch", "open conga pitch")
    falling((130, 129), "pitch", "kick pitch (short above long)")
    total = sum(s["bytes"] for s in stats)
    if total >= MAX_SET_BYTES:
        errors.append(f"set is {total} bytes")
    return errors


def print_table(stats):
    head = (
        f"{'id':>3} {'label':<12} {'ch':>2} {'ms':>6} {'bytes':>7} {'peak':>6} {'rms':>6} "
        f"{'DC':>8} {'pk@ms':>6} {'cent Hz':>7} {'dom Hz':>7} {'f0 Hz':>6}  chunks"
    )
    print(head)
    print("-" * len(head))
    for s in stats:
        pitch = "-" if s["pitch"] is None else f"{s['pitch']:.1f}"
        print(
            f"{s['id']:>3} {s['label']:<12} {s['ch']:>2} {s['ms']:>6.1f} {s['bytes']:>7} "
            f"{s['peak']:>6.2f} {s['rms']:>6.1f} {s['dc']:>8.6f} {s['peak_at']:>6.2f} "
            f"{s['centroid']:>7.0f} {s['dominant']:>7.0f} {pitch:>6}  {s['chunks']}"
        )
    print(f"total {sum(s['bytes'] for s in stats)} bytes in {len(stats)} files")
    print("peak/rms in dBFS; cent = spectral centroid and dom = strongest frequency over the first 50 ms;")
    print("f0 = strongest frequency below 1 kHz over the first 200 ms, for drums with a tuned head.")


def write_rc(path):
    lines = ["// Pulsewick sounds: resource id, type WAVE, file relative to res/"]
    lines += [f'{sound_id} WAVE "wav/{sound_id}.wav"' for sound_id, *_ in SOUNDS]
    path.write_text("\n".join(lines) + "\n", encoding="ascii", newline="\n")


def main():
    default_res = Path(__file__).resolve().parents[2] / "res"
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--res", type=Path, default=default_res, help="resource folder (default: %(default)s)")
    args = parser.parse_args()
    wav_dir = args.res / "wav"
    wav_dir.mkdir(parents=True, exist_ok=True)

    stats, errors = [], []
    for sound_id, label, channels, synth, extras in SOUNDS:
        samples = finish(synth(Noise(sound_id)), PEAK_OVERRIDE.get(sound_id, PEAK_DBFS))
        path = wav_dir / f"{sound_id}.wav"
        path.write_bytes(wave_bytes(samples, label, extras))
        try:
            s, errs = measure(sound_id, label, channels, path.read_bytes())
        except ValueError as e:
            errors.append(f"{sound_id} {label}: {e}")
            continue
        stats.append(s)
        errors += [f"{sound_id} {label}: {e}" for e in errs]
    write_rc(args.res / "sounds.rc")

    print_table(stats)
    if len(stats) == len(SOUNDS):
        errors += relation_errors(stats)
    if errors:
        print("\nFAILED:", file=sys.stderr)
        for e in errors:
            print("  " + e, file=sys.stderr)
        return 1
    print("all sounds pass")
    return 0


if __name__ == "__main__":
    sys.exit(main())
