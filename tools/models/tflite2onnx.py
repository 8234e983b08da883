#!/usr/bin/python3
"""Converts a TensorFlow Lite model into an ONNX model that OpenCV's dnn module reads.

Usage: tflite2onnx.py IN.tflite OUT.onnx [--outputs NAME,NAME...]

The TensorFlow Lite graph works on NHWC tensors; the ONNX graph keeps every 4-D tensor in
NCHW, which is what OpenCV expects, so the input becomes 1x3xHxW (RGB planes) and the
layout changes back only where the model reshapes a 4-D tensor. Constant work is done
here rather than at run time: 16-bit weights are widened to 32 bits and sparse weights are
made dense. With --outputs only the named outputs are kept and whatever feeds nothing
else is dropped, so unused heads (segmentation masks, heat maps) cost nothing.

The result is deterministic: the same input file always gives the same bytes.

OpenCV 4.6 reads Clip only with "min" and "max" attributes (opset 10 and earlier), so the
graph is written for opset 10; its Resize nodes carry the later
"coordinate_transformation_mode" attribute, which OpenCV honours, to get the half-pixel
sampling the models were trained with.
"""

import argparse
import sys

import numpy as np
import onnx
from onnx import TensorProto, helper, numpy_helper

import tflite

OPSET = 10

# NHWC axis -> NCHW axis.
NHWC_TO_NCHW_AXIS = {0: 0, 1: 2, 2: 3, 3: 1}


class ConversionError(Exception):
    pass


def densify(tensor):
    """The dense float32 array of a sparse constant (dense leading dimensions, CSR last)."""
    sparsity = tensor.sparsity
    dims = sparsity.dims
    if sparsity.block_map or sparsity.traversal_order != list(range(len(tensor.shape))):
        raise ConversionError(f"{tensor.name}: only plain CSR sparsity is supported")
    if any(not d.dense for d in dims[:-1]) or dims[-1].dense:
        raise ConversionError(f"{tensor.name}: only a sparse last dimension is supported")
    dtype = tflite.NUMPY_TYPES[tensor.type]
    values = np.frombuffer(tensor.raw, dtype=np.dtype(dtype).newbyteorder("<")).astype(np.float32)
    rows = int(np.prod(tensor.shape[:-1]))
    columns = tensor.shape[-1]
    segments = dims[-1].segments
    indices = dims[-1].indices
    if len(segments) != rows + 1 or len(indices) != len(values) or segments[-1] != len(values):
        raise ConversionError(f"{tensor.name}: inconsistent sparse index")
    dense = np.zeros((rows, columns), dtype=np.float32)
    for row in range(rows):
        start, end = segments[row], segments[row + 1]
        dense[row, indices[start:end]] = values[start:end]
    return dense.reshape(tensor.shape)


def same_pads(in_size, kernel, stride, dilation=1):
    """Begin and end padding of TensorFlow's SAME scheme along one axis."""
    out = -(-in_size // stride)
    effective = (kernel - 1) * dilation + 1
    total = max((out - 1) * stride + effective - in_size, 0)
    return total // 2, total - total // 2


class Converter:
    def __init__(self, model, outputs=None):
        self.model = model
        self.nodes = []
        self.initializers = []
        self.constants = {}  # tensor index -> float32/int array after folding
        self.names = {}  # tensor index -> ONNX value name
        self.counter = 0
        wanted = outputs or [model.tensors[i].name for i in model.outputs]
        by_name = {model.tensors[i].name: i for i in model.outputs}
        missing = [n for n in wanted if n not in by_name]
        if missing:
            raise ConversionError(f"no such output: {', '.join(missing)}")
        self.outputs = [by_name[n] for n in wanted]

    # ---- helpers

    def tensor(self, index):
        return self.model.tensors[index]

    def fresh(self, stem):
        self.counter += 1
        return f"{stem}_{self.counter}"

    def value(self, index):
        if index in self.names:
            return self.names[index]
        raise ConversionError(f"tensor {self.tensor(index).name} is used before it is produced")

    def constant(self, index):
        if index in self.constants:
            return self.constants[index]
        tensor = self.tensor(index)
        if tensor.data is None:
            raise ConversionError(f"tensor {tensor.name} must be constant")
        return tensor.data

    def is_constant(self, index):
        return index in self.constants or self.tensor(index).data is not None

    def initializer(self, array, stem):
        name = self.fresh(stem)
        self.initializers.append(numpy_helper.from_array(np.ascontiguousarray(array), name))
        return name

    def node(self, op, inputs, output=None, **attributes):
        output = output or self.fresh(op.lower())
        self.nodes.append(helper.make_node(op, inputs, [output], name=output, **attributes))
        return output

    def activation(self, value, code, output):
        kind = tflite.ACTIVATIONS.get(code, "unknown")
        if kind is None:
            if value != output:
                self.node("Identity", [value], output)
            return
        if kind == "RELU":
            self.node("Relu", [value], output)
        elif kind == "RELU6":
            self.node("Clip", [value], output, min=0.0, max=6.0)
        elif kind == "RELU_N1_TO_1":
            self.node("Clip", [value], output, min=-1.0, max=1.0)
        elif kind == "TANH":
            self.node("Tanh", [value], output)
        else:
            raise ConversionError(f"unsupported fused activation {code}")

    def produce(self, index, fused_code, op, inputs, **attributes):
        """Emits op into the tensor's value, followed by its fused activation."""
        name = self.output_name(index)
        if tflite.ACTIVATIONS.get(fused_code) is None:
            self.node(op, inputs, name, **attributes)
        else:
            self.activation(self.node(op, inputs, **attributes), fused_code, name)

    def output_name(self, index):
        name = self.tensor(index).name if index in self.outputs else f"t{index}"
        self.names[index] = name
        return name

    def rank(self, index):
        return len(self.tensor(index).shape)

    # ---- operators

    def convert(self):
        needed = self.needed_operators()
        for position, op in enumerate(self.model.operators):
            if position not in needed:
                continue
            handler = getattr(self, "op_" + op.code.lower(), None)
            if handler is None:
                raise ConversionError(f"unsupported operator {op.code}")
            handler(op)
        return self.graph()

    def needed_operators(self):
        """Positions of the operators that feed the wanted outputs."""
        producer = {}
        for position, op in enumerate(self.model.operators):
            for out in op.outputs:
                producer[out] = position
        needed, pending = set(), list(self.outputs)
        while pending:
            index = pending.pop()
            position = producer.get(index)
            if position is None or position in needed:
                continue
            needed.add(position)
            pending.extend(i for i in self.model.operators[position].inputs if i >= 0)
        return needed

    def op_dequantize(self, op):
        source = self.tensor(op.inputs[0])
        if op.inputs[0] in self.constants:
            self.constants[op.outputs[0]] = self.constants[op.inputs[0]].astype(np.float32)
        elif source.sparsity is not None:
            self.constants[op.outputs[0]] = densify(source)
        elif source.data is not None:
            self.constants[op.outputs[0]] = source.data.astype(np.float32)
        else:
            raise ConversionError("DEQUANTIZE of a computed tensor")

    def op_densify(self, op):
        source = self.tensor(op.inputs[0])
        if source.sparsity is None:
            raise ConversionError(f"DENSIFY of {source.name} without sparsity")
        self.constants[op.outputs[0]] = densify(source)

    def bias(self, op, channels):
        if len(op.inputs) > 2 and op.inputs[2] >= 0:
            return self.initializer(self.constant(op.inputs[2]).astype(np.float32), "bias")
        return self.initializer(np.zeros(channels, np.float32), "bias")

    def conv_pads(self, op, kernel_h, kernel_w, stride_h, stride_w, dil_h, dil_w, padding):
        if padding == 1:  # VALID
            return [0, 0, 0, 0]
        _, in_h, in_w, _ = self.tensor(op.inputs[0]).shape
        top, bottom = same_pads(in_h, kernel_h, stride_h, dil_h)
        left, right = same_pads(in_w, kernel_w, stride_w, dil_w)
        return [top, left, bottom, right]

    def op_conv_2d(self, op):
        o = op.options
        padding, stride_w, stride_h = o.scalar(0, "b"), o.scalar(1, "i"), o.scalar(2, "i")
        fused, dil_w, dil_h = o.scalar(3, "b"), o.scalar(4, "i", 1), o.scalar(5, "i", 1)
        weights = self.constant(op.inputs[1]).astype(np.float32)  # O, H, W, I
        out_c, k_h, k_w, _ = weights.shape
        self.produce(
            op.outputs[0],
            fused,
            "Conv",
            [self.value(op.inputs[0]), self.initializer(weights.transpose(0, 3, 1, 2), "weights"), self.bias(op, out_c)],
            kernel_shape=[k_h, k_w],
            strides=[stride_h, stride_w],
            dilations=[dil_h, dil_w],
            pads=self.conv_pads(op, k_h, k_w, stride_h, stride_w, dil_h, dil_w, padding),
            group=1,
        )

    def op_depthwise_conv_2d(self, op):
        o = op.options
        padding, stride_w, stride_h = o.scalar(0, "b"), o.scalar(1, "i"), o.scalar(2, "i")
        multiplier, fused = o.scalar(3, "i"), o.scalar(4, "b")
        dil_w, dil_h = o.scalar(5, "i", 1), o.scalar(6, "i", 1)
        weights = self.constant(op.inputs[1]).astype(np.float32)  # 1, H, W, C*M
        _, k_h, k_w, out_c = weights.shape
        in_c = self.tensor(op.inputs[0]).shape[3]
        if multiplier not in (0, 1) or out_c != in_c:
            raise ConversionError("depthwise convolution with a channel multiplier")
        self.produce(
            op.outputs[0],
            fused,
            "Conv",
            [self.value(op.inputs[0]), self.initializer(weights.transpose(3, 0, 1, 2), "weights"), self.bias(op, out_c)],
            kernel_shape=[k_h, k_w],
            strides=[stride_h, stride_w],
            dilations=[dil_h, dil_w],
            pads=self.conv_pads(op, k_h, k_w, stride_h, stride_w, dil_h, dil_w, padding),
            group=in_c,
        )

    def elementwise(self, op, onnx_op):
        inputs = []
        for i in op.inputs:
            if self.is_constant(i):
                array = self.constant(i).astype(np.float32)
                if self.rank(op.outputs[0]) == 4 and array.ndim >= 1 and array.size > 1:
                    array = array.reshape(-1, 1, 1)  # per-channel in NCHW
                inputs.append(self.initializer(array, "operand"))
            else:
                inputs.append(self.value(i))
        fused = op.options.scalar(0, "b") if op.options is not None else 0
        self.produce(op.outputs[0], fused, onnx_op, inputs)

    def op_add(self, op):
        self.elementwise(op, "Add")

    def op_sub(self, op):
        self.elementwise(op, "Sub")

    def op_mul(self, op):
        self.elementwise(op, "Mul")

    def op_prelu(self, op):
        alpha = self.constant(op.inputs[1]).astype(np.float32)
        channels = self.tensor(op.inputs[0]).shape[-1]
        if alpha.size != channels:
            raise ConversionError("PReLU slope is not per channel")
        slope = self.initializer(alpha.reshape(channels, 1, 1), "slope")
        self.node("PRelu", [self.value(op.inputs[0]), slope], self.output_name(op.outputs[0]))

    def op_relu(self, op):
        self.node("Relu", [self.value(op.inputs[0])], self.output_name(op.outputs[0]))

    def op_relu6(self, op):
        self.node("Clip", [self.value(op.inputs[0])], self.output_name(op.outputs[0]), min=0.0, max=6.0)

    def op_logistic(self, op):
        self.node("Sigmoid", [self.value(op.inputs[0])], self.output_name(op.outputs[0]))

    def op_tanh(self, op):
        self.node("Tanh", [self.value(op.inputs[0])], self.output_name(op.outputs[0]))

    def op_pad(self, op):
        paddings = self.constant(op.inputs[1]).astype(np.int64)
        if self.rank(op.inputs[0]) != 4:
            raise ConversionError("padding of a tensor that is not 4-D")
        begin = [paddings[a][0] for a in (0, 3, 1, 2)]
        end = [paddings[a][1] for a in (0, 3, 1, 2)]
        self.node(
            "Pad",
            [self.value(op.inputs[0])],
            self.output_name(op.outputs[0]),
            pads=[int(v) for v in begin + end],
            mode="constant",
            value=0.0,
        )

    def op_max_pool_2d(self, op):
        o = op.options
        padding, stride_w, stride_h = o.scalar(0, "b"), o.scalar(1, "i"), o.scalar(2, "i")
        k_w, k_h, fused = o.scalar(3, "i"), o.scalar(4, "i"), o.scalar(5, "b")
        self.produce(
            op.outputs[0],
            fused,
            "MaxPool",
            [self.value(op.inputs[0])],
            kernel_shape=[k_h, k_w],
            strides=[stride_h, stride_w],
            pads=self.conv_pads(op, k_h, k_w, stride_h, stride_w, 1, 1, padding),
        )

    def op_resize_bilinear(self, op):
        o = op.options
        align_corners = o.scalar(2, "?") if o is not None else False
        half_pixel = o.scalar(3, "?") if o is not None else False
        _, in_h, in_w, _ = self.tensor(op.inputs[0]).shape
        _, out_h, out_w, _ = self.tensor(op.outputs[0]).shape
        scales = self.initializer(np.array([1, 1, out_h / in_h, out_w / in_w], np.float32), "scales")
        mode = "align_corners" if align_corners else ("half_pixel" if half_pixel else "asymmetric")
        self.node(
            "Resize",
            [self.value(op.inputs[0]), scales],
            self.output_name(op.outputs[0]),
            mode="linear",
            coordinate_transformation_mode=mode,
        )

    def op_depth_to_space(self, op):
        block = op.options.scalar(0, "i")
        self.node("DepthToSpace", [self.value(op.inputs[0])], self.output_name(op.outputs[0]), blocksize=block, mode="DCR")

    def op_concatenation(self, op):
        o = op.options
        axis, fused = o.scalar(0, "i"), o.scalar(1, "b")
        rank = self.rank(op.outputs[0])
        if axis < 0:
            axis += rank
        if rank == 4:
            axis = NHWC_TO_NCHW_AXIS[axis]
        self.produce(op.outputs[0], fused, "Concat", [self.value(i) for i in op.inputs], axis=axis)

    def to_tflite_layout(self, index):
        """The value of a tensor in the layout TensorFlow Lite gives it."""
        if self.rank(index) == 4:
            return self.node("Transpose", [self.value(index)], perm=[0, 2, 3, 1])
        return self.value(index)

    def op_reshape(self, op):
        shape = self.tensor(op.outputs[0]).shape
        if len(shape) == 4:
            raise ConversionError("reshape into a 4-D tensor")
        source = self.to_tflite_layout(op.inputs[0])
        target = self.initializer(np.array(shape, np.int64), "shape")
        self.node("Reshape", [source, target], self.output_name(op.outputs[0]))

    def op_mean(self, op):
        axes = sorted(int(a) % 4 for a in self.constant(op.inputs[1]).flatten())
        keep = op.options.scalar(0, "?") if op.options is not None else False
        if self.rank(op.inputs[0]) != 4 or axes != [1, 2]:
            raise ConversionError("mean over other axes than height and width")
        pooled = self.node("GlobalAveragePool", [self.value(op.inputs[0])])
        if keep:
            self.node("Identity", [pooled], self.output_name(op.outputs[0]))
        else:
            self.node("Flatten", [pooled], self.output_name(op.outputs[0]), axis=1)

    def op_fully_connected(self, op):
        fused = op.options.scalar(0, "b") if op.options is not None else 0
        source = self.value(op.inputs[0])
        if self.rank(op.inputs[0]) != 2:
            source = self.node("Flatten", [self.to_tflite_layout(op.inputs[0])], axis=1)
        weights = self.constant(op.inputs[1]).astype(np.float32)  # O, I
        self.produce(
            op.outputs[0],
            fused,
            "Gemm",
            [source, self.initializer(weights, "weights"), self.bias(op, weights.shape[0])],
            transB=1,
        )

    # ---- the graph

    def graph(self):
        inputs = []
        for index in self.model.inputs:
            tensor = self.tensor(index)
            if len(tensor.shape) != 4:
                raise ConversionError("the model input is not an image")
            n, h, w, c = tensor.shape
            inputs.append(helper.make_tensor_value_info("input", TensorProto.FLOAT, [n, c, h, w]))
        outputs = []
        for index in self.outputs:
            tensor = self.tensor(index)
            shape = tensor.shape
            if len(shape) == 4:
                shape = [shape[0], shape[3], shape[1], shape[2]]
            outputs.append(helper.make_tensor_value_info(tensor.name, TensorProto.FLOAT, shape))
        graph = helper.make_graph(self.nodes, "converted", inputs, outputs, self.initializers)
        model = helper.make_model(graph, producer_name="kestrel-tflite2onnx", opset_imports=[helper.make_opsetid("", OPSET)])
        model.ir_version = 5
        return model


def convert(data, outputs=None):
    model = tflite.read(data)
    if len(model.inputs) != 1:
        raise ConversionError("expected one input")
    converter = Converter(model, outputs)
    converter.names[model.inputs[0]] = "input"
    return converter.convert()


def main(argv):
    parser = argparse.ArgumentParser(description="Convert a TensorFlow Lite model to ONNX for OpenCV.")
    parser.add_argument("source")
    parser.add_argument("target")
    parser.add_argument("--outputs", help="comma-separated output tensors to keep (default: all)")
    args = parser.parse_args(argv)
    try:
        with open(args.source, "rb") as f:
            data = f.read()
        model = convert(data, args.outputs.split(",") if args.outputs else None)
    except (OSError, tflite.FormatError, ConversionError) as error:
        print(f"tflite2onnx: {args.source}: {error}", file=sys.stderr)
        return 1
    with open(args.target, "wb") as f:
        f.write(model.SerializeToString())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
