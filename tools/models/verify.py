#!/usr/bin/python3
"""Checks a converted model against the TensorFlow Lite graph it came from.

Usage: verify.py MODEL.tflite MODEL.onnx [--outputs NAME,NAME...] [--scale LOW,HIGH]

The TensorFlow Lite graph is evaluated here with numpy, operator by operator, on a fixed
pseudo-random image; the ONNX model runs through OpenCV's dnn module on the same image.
The largest absolute difference of each output is printed, and the exit status is 1
when one exceeds the tolerance. It is a developer's check for changes to the converter
(it needs python3-opencv) and is not part of the set-up.
"""

import argparse
import sys

import numpy as np

import tflite
import tflite2onnx


def _pad_same(x, k_h, k_w, s_h, s_w, d_h, d_w):
    top, bottom = tflite2onnx.same_pads(x.shape[1], k_h, s_h, d_h)
    left, right = tflite2onnx.same_pads(x.shape[2], k_w, s_w, d_w)
    return np.pad(x, ((0, 0), (top, bottom), (left, right), (0, 0)))


def _windows(x, k_h, k_w, s_h, s_w, d_h, d_w):
    """NHWC input -> (N, OH, OW, KH, KW, C) view of its sliding windows."""
    n, h, w, c = x.shape
    out_h = (h - (k_h - 1) * d_h - 1) // s_h + 1
    out_w = (w - (k_w - 1) * d_w - 1) // s_w + 1
    sn, sh, sw, sc = x.strides
    return np.lib.stride_tricks.as_strided(
        x, (n, out_h, out_w, k_h, k_w, c), (sn, sh * s_h, sw * s_w, sh * d_h, sw * d_w, sc), writeable=False
    )


def _activate(x, code):
    kind = tflite.ACTIVATIONS.get(code)
    if kind == "RELU":
        return np.maximum(x, 0)
    if kind == "RELU6":
        return np.clip(x, 0, 6)
    if kind == "RELU_N1_TO_1":
        return np.clip(x, -1, 1)
    if kind == "TANH":
        return np.tanh(x)
    return x


def _resize_half_pixel(x, out_h, out_w):
    n, h, w, c = x.shape

    def axis(out, size):
        src = (np.arange(out) + 0.5) * size / out - 0.5
        src = np.clip(src, 0, size - 1)
        lo = np.floor(src).astype(int)
        hi = np.minimum(lo + 1, size - 1)
        return lo, hi, (src - lo).astype(np.float32)

    y0, y1, fy = axis(out_h, h)
    x0, x1, fx = axis(out_w, w)
    top = x[:, y0][:, :, x0] * (1 - fx)[None, None, :, None] + x[:, y0][:, :, x1] * fx[None, None, :, None]
    bottom = x[:, y1][:, :, x0] * (1 - fx)[None, None, :, None] + x[:, y1][:, :, x1] * fx[None, None, :, None]
    return top * (1 - fy)[None, :, None, None] + bottom * fy[None, :, None, None]


def evaluate(model, image):
    """Runs the graph on an NHWC float32 image; returns every tensor's value."""
    values = {}
    for t in model.tensors:
        if t.data is not None:
            values[t.index] = t.data
    values[model.inputs[0]] = image
    for op in model.operators:
        inp = [values.get(i) if i >= 0 else None for i in op.inputs]
        o = op.options
        code = op.code
        if code == "DEQUANTIZE":
            source = model.tensors[op.inputs[0]]
            out = inp[0].astype(np.float32) if inp[0] is not None else tflite2onnx.densify(source)
        elif code == "DENSIFY":
            out = tflite2onnx.densify(model.tensors[op.inputs[0]])
        elif code in ("CONV_2D", "DEPTHWISE_CONV_2D"):
            depthwise = code == "DEPTHWISE_CONV_2D"
            padding, s_w, s_h = o.scalar(0, "b"), o.scalar(1, "i"), o.scalar(2, "i")
            fused = o.scalar(4 if depthwise else 3, "b")
            d_w, d_h = (o.scalar(5, "i", 1), o.scalar(6, "i", 1)) if depthwise else (o.scalar(4, "i", 1), o.scalar(5, "i", 1))
            weights = inp[1].astype(np.float32)
            k_h, k_w = weights.shape[1], weights.shape[2]
            x = inp[0] if padding == 1 else _pad_same(inp[0], k_h, k_w, s_h, s_w, d_h, d_w)
            win = _windows(np.ascontiguousarray(x), k_h, k_w, s_h, s_w, d_h, d_w)
            if depthwise:
                out = np.einsum("nhwijc,ijc->nhwc", win, weights[0], optimize=True)
            else:
                out = np.einsum("nhwijc,oijc->nhwo", win, weights, optimize=True)
            if len(inp) > 2 and inp[2] is not None:
                out = out + inp[2]
            out = _activate(out, fused)
        elif code in ("ADD", "SUB", "MUL"):
            fn = {"ADD": np.add, "SUB": np.subtract, "MUL": np.multiply}[code]
            out = _activate(fn(inp[0], inp[1]), o.scalar(0, "b") if o is not None else 0)
        elif code == "PRELU":
            out = np.where(inp[0] >= 0, inp[0], inp[0] * inp[1])
        elif code == "RELU":
            out = np.maximum(inp[0], 0)
        elif code == "RELU6":
            out = np.clip(inp[0], 0, 6)
        elif code == "LOGISTIC":
            out = 1 / (1 + np.exp(-inp[0]))
        elif code == "PAD":
            out = np.pad(inp[0], inp[1].astype(int))
        elif code == "MAX_POOL_2D":
            padding, s_w, s_h, k_w, k_h = (o.scalar(i, "b" if i == 0 else "i") for i in range(5))
            x = inp[0]
            if padding == 0:
                top, bottom = tflite2onnx.same_pads(x.shape[1], k_h, s_h)
                left, right = tflite2onnx.same_pads(x.shape[2], k_w, s_w)
                x = np.pad(x, ((0, 0), (top, bottom), (left, right), (0, 0)), constant_values=-np.inf)
            out = _windows(np.ascontiguousarray(x), k_h, k_w, s_h, s_w, 1, 1).max(axis=(3, 4))
        elif code == "RESIZE_BILINEAR":
            out_h, out_w = (int(v) for v in inp[1])
            out = _resize_half_pixel(inp[0], out_h, out_w)
        elif code == "DEPTH_TO_SPACE":
            b = o.scalar(0, "i")
            n, h, w, c = inp[0].shape
            out = inp[0].reshape(n, h, w, b, b, c // (b * b)).transpose(0, 1, 3, 2, 4, 5).reshape(n, h * b, w * b, c // (b * b))
        elif code == "CONCATENATION":
            out = np.concatenate(inp, axis=o.scalar(0, "i"))
        elif code == "RESHAPE":
            out = inp[0].reshape(model.tensors[op.outputs[0]].shape)
        elif code == "MEAN":
            out = inp[0].mean(axis=tuple(int(a) for a in inp[1].flatten()), keepdims=bool(o.scalar(0, "?")))
        elif code == "FULLY_CONNECTED":
            out = inp[0].reshape(inp[0].shape[0], -1) @ inp[1].T.astype(np.float32)
            if len(inp) > 2 and inp[2] is not None:
                out = out + inp[2]
            out = _activate(out, o.scalar(0, "b") if o is not None else 0)
        else:
            raise SystemExit(f"verify: no reference for {code}")
        values[op.outputs[0]] = np.asarray(out, dtype=np.float32)
    return values


def main(argv):
    import cv2

    parser = argparse.ArgumentParser()
    parser.add_argument("tflite")
    parser.add_argument("onnx")
    parser.add_argument("--outputs")
    parser.add_argument("--scale", default="0,1", help="value range of the input image")
    parser.add_argument("--tolerance", type=float, default=2e-3, help="relative to each output's range")
    args = parser.parse_args(argv)

    model = tflite.read(open(args.tflite, "rb").read())
    _, h, w, c = model.tensors[model.inputs[0]].shape
    low, high = (float(v) for v in args.scale.split(","))
    rng = np.random.default_rng(7)
    # A smooth image: noise alone drives the detectors' heads nowhere interesting.
    base = cv2.resize(rng.random((8, 8, c)).astype(np.float32), (w, h), interpolation=cv2.INTER_CUBIC)
    image = (low + (high - low) * np.clip(base, 0, 1))[None].astype(np.float32)

    reference = evaluate(model, image)
    net = cv2.dnn.readNetFromONNX(args.onnx)
    net.setInput(image.transpose(0, 3, 1, 2).copy())
    names = args.outputs.split(",") if args.outputs else [model.tensors[i].name for i in model.outputs]
    results = net.forward(names)
    by_name = {model.tensors[i].name: i for i in model.outputs}
    failed = False
    for name, got in zip(names, results):
        want = reference[by_name[name]]
        if want.ndim == 4:
            want = want.transpose(0, 3, 1, 2)
        got = got.reshape(want.shape)
        diff = float(np.abs(got - want).max())
        spread = float(want.max() - want.min()) or 1.0
        ok = diff <= args.tolerance * max(spread, 1.0)
        failed |= not ok
        print(f"{name}: shape {list(want.shape)} range {want.min():.4g}..{want.max():.4g} max diff {diff:.3g} {'ok' if ok else 'FAILED'}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
