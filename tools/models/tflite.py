"""A small reader of TensorFlow Lite model files.

A .tflite file is a FlatBuffers buffer (file identifier "TFL3"). Only the parts the
converter needs are read: tensors (shape, type, constant data, sparsity), operators
(builtin code, inputs, outputs, options) and the graph's inputs and outputs.

Field numbers follow the published TensorFlow Lite schema; a field's vtable slot is
4 + 2 * number.
"""

import struct
from dataclasses import dataclass, field

import numpy as np

# Tensor element types, as numbered by the schema.
FLOAT32, FLOAT16, INT32, UINT8, INT64, STRING, BOOL, INT16, COMPLEX64, INT8 = range(10)

NUMPY_TYPES = {
    FLOAT32: np.float32,
    FLOAT16: np.float16,
    INT32: np.int32,
    UINT8: np.uint8,
    INT64: np.int64,
    BOOL: np.bool_,
    INT16: np.int16,
    INT8: np.int8,
}

# Builtin operator codes used by the models we convert.
BUILTIN = {
    0: "ADD",
    1: "AVERAGE_POOL_2D",
    2: "CONCATENATION",
    3: "CONV_2D",
    4: "DEPTHWISE_CONV_2D",
    5: "DEPTH_TO_SPACE",
    6: "DEQUANTIZE",
    9: "FULLY_CONNECTED",
    14: "LOGISTIC",
    17: "MAX_POOL_2D",
    18: "MUL",
    19: "RELU",
    21: "RELU6",
    22: "RESHAPE",
    23: "RESIZE_BILINEAR",
    25: "SOFTMAX",
    28: "TANH",
    32: "CUSTOM",
    34: "PAD",
    39: "TRANSPOSE",
    40: "MEAN",
    41: "SUB",
    42: "DIV",
    54: "PRELU",
    60: "PADV2",
    97: "RESIZE_NEAREST_NEIGHBOR",
    117: "HARD_SWISH",
    124: "DENSIFY",
}

# Fused activations of the options tables.
ACTIVATIONS = {0: None, 1: "RELU", 2: "RELU_N1_TO_1", 3: "RELU6", 4: "TANH"}


class FormatError(Exception):
    """The file is not a TensorFlow Lite model this reader understands."""


class _Table:
    """Read access to one FlatBuffers table."""

    def __init__(self, buf, pos):
        self.buf = buf
        self.pos = pos
        vtable = pos - struct.unpack_from("<i", buf, pos)[0]
        self.vtable = vtable
        self.vtable_size = struct.unpack_from("<H", buf, vtable)[0]

    def _offset(self, number):
        slot = 4 + 2 * number
        if slot >= self.vtable_size:
            return 0
        return struct.unpack_from("<H", self.buf, self.vtable + slot)[0]

    def has(self, number):
        return self._offset(number) != 0

    def scalar(self, number, fmt, default=0):
        off = self._offset(number)
        if off == 0:
            return default
        return struct.unpack_from("<" + fmt, self.buf, self.pos + off)[0]

    def _indirect(self, number):
        off = self._offset(number)
        if off == 0:
            return None
        at = self.pos + off
        return at + struct.unpack_from("<I", self.buf, at)[0]

    def table(self, number):
        at = self._indirect(number)
        return None if at is None else _Table(self.buf, at)

    def string(self, number):
        at = self._indirect(number)
        if at is None:
            return ""
        length = struct.unpack_from("<I", self.buf, at)[0]
        return bytes(self.buf[at + 4 : at + 4 + length]).decode("utf-8", "replace")

    def vector(self, number, dtype):
        """A vector of scalars as a numpy array (empty when absent)."""
        at = self._indirect(number)
        if at is None:
            return np.zeros(0, dtype=dtype)
        length = struct.unpack_from("<I", self.buf, at)[0]
        return np.frombuffer(self.buf, dtype=np.dtype(dtype).newbyteorder("<"), count=length, offset=at + 4)

    def tables(self, number):
        at = self._indirect(number)
        if at is None:
            return []
        length = struct.unpack_from("<I", self.buf, at)[0]
        result = []
        for i in range(length):
            element = at + 4 + 4 * i
            result.append(_Table(self.buf, element + struct.unpack_from("<I", self.buf, element)[0]))
        return result


@dataclass
class DimensionMetadata:
    dense: bool
    dense_size: int
    segments: np.ndarray
    indices: np.ndarray


@dataclass
class Sparsity:
    traversal_order: list
    block_map: list
    dims: list  # of DimensionMetadata


@dataclass
class Tensor:
    index: int
    name: str
    shape: list
    type: int
    data: np.ndarray = None  # constant data in its own type and shape, or None
    sparsity: Sparsity = None
    raw: bytes = b""  # constant bytes as stored (sparse tensors keep only these)


@dataclass
class Operator:
    code: str
    inputs: list
    outputs: list
    options: _Table = None
    custom_code: str = ""
    custom_options: bytes = b""
    extra: dict = field(default_factory=dict)


@dataclass
class Model:
    tensors: list
    operators: list
    inputs: list
    outputs: list


def _sparse_vector(table, type_number, value_number):
    kind = table.scalar(type_number, "B")
    values = table.table(value_number)
    if values is None or kind == 0:
        return np.zeros(0, dtype=np.int64)
    dtype = {1: np.int32, 2: np.uint16, 3: np.uint8}.get(kind)
    if dtype is None:
        raise FormatError(f"unknown sparse index vector type {kind}")
    return values.vector(0, dtype).astype(np.int64)


def _sparsity(table):
    if table is None:
        return None
    dims = []
    for d in table.tables(2):
        dims.append(
            DimensionMetadata(
                dense=d.scalar(0, "b") == 0,
                dense_size=d.scalar(1, "i"),
                segments=_sparse_vector(d, 2, 3),
                indices=_sparse_vector(d, 4, 5),
            )
        )
    return Sparsity(
        traversal_order=[int(v) for v in table.vector(0, np.int32)],
        block_map=[int(v) for v in table.vector(1, np.int32)],
        dims=dims,
    )


def read(data):
    """Parses a .tflite file's bytes into a Model with one subgraph."""
    if len(data) < 8 or data[4:8] != b"TFL3":
        raise FormatError("not a TensorFlow Lite file")
    root = _Table(data, struct.unpack_from("<I", data, 0)[0])
    codes = []
    for code in root.tables(1):
        builtin = max(code.scalar(0, "b"), code.scalar(3, "i"))
        codes.append((BUILTIN.get(builtin, f"BUILTIN_{builtin}"), code.string(1)))
    buffers = [b.vector(0, np.uint8) for b in root.tables(4)]
    subgraphs = root.tables(2)
    if len(subgraphs) != 1:
        raise FormatError(f"expected one subgraph, found {len(subgraphs)}")
    graph = subgraphs[0]

    tensors = []
    for i, t in enumerate(graph.tables(0)):
        tensor = Tensor(
            index=i,
            name=t.string(3),
            shape=[int(v) for v in t.vector(0, np.int32)],
            type=t.scalar(1, "b"),
            sparsity=_sparsity(t.table(6)),
        )
        buffer = t.scalar(2, "I")
        raw = buffers[buffer] if buffer < len(buffers) else np.zeros(0, np.uint8)
        if raw.size:
            tensor.raw = raw.tobytes()
            if tensor.sparsity is None:
                dtype = NUMPY_TYPES.get(tensor.type)
                if dtype is None:
                    raise FormatError(f"tensor {tensor.name}: unsupported type {tensor.type}")
                tensor.data = np.frombuffer(tensor.raw, dtype=np.dtype(dtype).newbyteorder("<")).reshape(tensor.shape)
        tensors.append(tensor)

    operators = []
    for op in graph.tables(3):
        code, custom = codes[op.scalar(0, "I")]
        operators.append(
            Operator(
                code=code,
                inputs=[int(v) for v in op.vector(1, np.int32)],
                outputs=[int(v) for v in op.vector(2, np.int32)],
                options=op.table(4),
                custom_code=custom,
                custom_options=op.vector(5, np.uint8).tobytes(),
            )
        )
    return Model(
        tensors=tensors,
        operators=operators,
        inputs=[int(v) for v in graph.vector(1, np.int32)],
        outputs=[int(v) for v in graph.vector(2, np.int32)],
    )
