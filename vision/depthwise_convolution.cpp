#include "vision/depthwise_convolution.hpp"

#include <algorithm>
#include <cstring>
#include <opencv2/dnn/all_layers.hpp>
#include <string>

namespace kestrel {

namespace {

// One value per spatial axis of a convolution parameter: absent gives the fallback, one
// value stands for both axes.
std::optional<std::vector<int>> axisValues(const cv::dnn::LayerParams& params, const std::string& name,
                                           std::size_t count, int fallback) {
  if (!params.has(name)) return std::vector<int>(count, fallback);
  const cv::dnn::DictValue& value = params.get(name);
  if (value.size() == 1) return std::vector<int>(count, value.get<int>(0));
  if (static_cast<std::size_t>(value.size()) != count) return std::nullopt;
  std::vector<int> values;
  for (int i = 0; i < value.size(); ++i) values.push_back(value.get<int>(i));
  return values;
}

// Eight output values summed together; the compiler keeps them in one vector register
// (two with plain SSE).
using Lanes = float __attribute__((vector_size(32)));
constexpr int lanes = 8;
// Two registers of outputs at a time.
constexpr int block = 2 * lanes;

// An AVX2 copy where the processor has it. Not under the sanitizers, whose run time is not
// ready yet when the dynamic loader picks the copy.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
#define KESTREL_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KESTREL_VECTOR_CLONES
#endif

// One output row of one channel. `rows` points at the first padded input row the filter
// covers; `taps[kx]` is where column kx of the filter starts in a padded row (see forward).
// Reads up to a block past the row's end, which the buffer allows.
KESTREL_VECTOR_CLONES
void convolveRow(const float* rows, std::size_t rowLength, const int* taps, const float* weights,
                 int kernelHeight, int kernelWidth, float bias, float* out, int outWidth) {
  for (int x0 = 0; x0 < outWidth; x0 += block) {
    Lanes low = Lanes{} + bias;
    Lanes high = low;
    for (int ky = 0; ky < kernelHeight; ++ky) {
      const float* row = rows + static_cast<std::size_t>(ky) * rowLength + x0;
      for (int kx = 0; kx < kernelWidth; ++kx) {
        const float* column = row + taps[kx];
        Lanes a;
        Lanes b;
        std::memcpy(&a, column, sizeof a);
        std::memcpy(&b, column + lanes, sizeof b);
        const float w = weights[ky * kernelWidth + kx];
        low += w * a;
        high += w * b;
      }
    }
    float sums[block];
    std::memcpy(sums, &low, sizeof low);
    std::memcpy(sums + lanes, &high, sizeof high);
    std::copy_n(sums, std::min(block, outWidth - x0), out + x0);
  }
}

std::mutex& layerTableMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

std::optional<DepthwiseShape> depthwiseShape(const cv::dnn::LayerParams& params) {
  if (params.blobs.empty()) return std::nullopt;
  const cv::Mat& weights = params.blobs[0];
  if (weights.dims != 4 || weights.type() != CV_32F || weights.size[1] != 1) return std::nullopt;
  const int channels = weights.size[0];
  if (params.get<int>("group", 1) != channels || params.get<int>("num_output", channels) != channels) return std::nullopt;
  if (params.has("pad_mode") && !params.get<std::string>("pad_mode").empty()) return std::nullopt;
  if (params.has("pad_t") || params.has("pad_h") || params.has("stride_h") || params.has("kernel_h")) return std::nullopt;
  if (params.blobs.size() > 1 && params.blobs[1].total() != static_cast<std::size_t>(channels)) return std::nullopt;
  const auto kernel = axisValues(params, "kernel_size", 2, 0);
  const auto stride = axisValues(params, "stride", 2, 1);
  const auto dilation = axisValues(params, "dilation", 2, 1);
  auto pads = axisValues(params, "pad", 4, 0);
  if (!pads) {
    pads = axisValues(params, "pad", 2, 0);
    if (pads) pads = std::vector<int>{(*pads)[0], (*pads)[1], (*pads)[0], (*pads)[1]};
  }
  if (!kernel || !stride || !dilation || !pads) return std::nullopt;
  if ((*kernel)[0] != weights.size[2] || (*kernel)[1] != weights.size[3]) return std::nullopt;
  if ((*dilation)[0] != 1 || (*dilation)[1] != 1 || (*stride)[0] < 1 || (*stride)[1] < 1) return std::nullopt;
  if (std::any_of(pads->begin(), pads->end(), [](int p) { return p < 0; })) return std::nullopt;
  return DepthwiseShape{(*kernel)[0], (*kernel)[1], (*stride)[0], (*stride)[1],
                        (*pads)[0],   (*pads)[1],   (*pads)[2],   (*pads)[3]};
}

DepthwiseConvolution::DepthwiseConvolution(const cv::dnn::LayerParams& params, DepthwiseShape shape)
    : cv::dnn::Layer(params), shape_(shape) {
  const cv::Mat& weights = params.blobs[0];
  weights_ = weights.reshape(1, weights.size[0]).clone();
  bias_.assign(static_cast<std::size_t>(weights.size[0]), 0.0F);
  if (params.blobs.size() > 1) {
    const cv::Mat bias = params.blobs[1].reshape(1, 1);
    for (int c = 0; c < bias.cols; ++c) bias_[static_cast<std::size_t>(c)] = bias.at<float>(0, c);
  }
}

cv::Ptr<cv::dnn::Layer> DepthwiseConvolution::create(cv::dnn::LayerParams& params) {
  if (const auto shape = depthwiseShape(params)) return cv::makePtr<DepthwiseConvolution>(params, *shape);
  return cv::dnn::ConvolutionLayer::create(params);
}

bool DepthwiseConvolution::getMemoryShapes(const std::vector<cv::dnn::MatShape>& inputs, int,
                                           std::vector<cv::dnn::MatShape>& outputs,
                                           std::vector<cv::dnn::MatShape>&) const {
  CV_Assert(inputs.size() == 1 && inputs[0].size() == 4 && inputs[0][1] == weights_.rows);
  const int height = shape_.outputHeight(inputs[0][2]);
  const int width = shape_.outputWidth(inputs[0][3]);
  CV_Assert(height > 0 && width > 0);
  outputs.assign(1, cv::dnn::MatShape{inputs[0][0], inputs[0][1], height, width});
  return false;
}

void DepthwiseConvolution::forward(cv::InputArrayOfArrays inputs, cv::OutputArrayOfArrays outputs,
                                   cv::OutputArrayOfArrays) {
  std::vector<cv::Mat> in;
  std::vector<cv::Mat> out;
  inputs.getMatVector(in);
  outputs.getMatVector(out);
  CV_Assert(in.size() == 1 && out.size() == 1 && in[0].type() == CV_32F && out[0].type() == CV_32F);
  const cv::Mat& source = in[0];
  cv::Mat& target = out[0];
  const int images = source.size[0];
  const int channels = source.size[1];
  const int height = source.size[2];
  const int width = source.size[3];
  const int outHeight = target.size[2];
  const int outWidth = target.size[3];
  const DepthwiseShape& s = shape_;
  // The padded input the outputs need. Each padded row is stored as `strideX` phases of
  // `phase` values, phase p holding the columns x with x % strideX == p, so that the taps
  // of neighbouring outputs are neighbours in memory.
  const int paddedHeight = (outHeight - 1) * s.strideY + s.kernelHeight;
  const int paddedWidth = (outWidth - 1) * s.strideX + s.kernelWidth;
  const int phase = (paddedWidth + s.strideX - 1) / s.strideX;
  const std::size_t rowLength = static_cast<std::size_t>(phase) * s.strideX;
  // Every channel fills the same cells, so the margins stay zero from one to the next.
  padded_.assign(rowLength * paddedHeight + block, 0.0F);
  std::vector<int> taps;
  for (int kx = 0; kx < s.kernelWidth; ++kx) taps.push_back((kx % s.strideX) * phase + kx / s.strideX);
  const int firstColumn = std::max(0, -s.padLeft);
  const int endColumn = std::min(width, paddedWidth - s.padLeft);
  for (int n = 0; n < images; ++n) {
    for (int c = 0; c < channels; ++c) {
      const float* plane = source.ptr<float>(n, c);
      for (int y = 0; y < paddedHeight; ++y) {
        const int sy = y - s.padTop;
        if (sy < 0 || sy >= height) continue;
        const float* from = plane + static_cast<std::size_t>(sy) * width;
        float* row = padded_.data() + static_cast<std::size_t>(y) * rowLength;
        if (s.strideX == 1) {
          std::copy(from + firstColumn, from + endColumn, row + firstColumn + s.padLeft);
          continue;
        }
        for (int p = 0; p < s.strideX; ++p) {
          float* to = row + static_cast<std::size_t>(p) * phase;
          for (int j = 0; j < phase; ++j) {
            const int sx = j * s.strideX + p - s.padLeft;
            if (sx >= 0 && sx < width) to[j] = from[sx];
          }
        }
      }
      const float* weights = weights_.ptr<float>(c);
      const float bias = bias_[static_cast<std::size_t>(c)];
      float* result = target.ptr<float>(n, c);
      for (int y = 0; y < outHeight; ++y) {
        convolveRow(padded_.data() + static_cast<std::size_t>(y) * s.strideY * rowLength, rowLength, taps.data(),
                    weights, s.kernelHeight, s.kernelWidth, bias, result + static_cast<std::size_t>(y) * outWidth,
                    outWidth);
      }
    }
  }
}

FastDepthwiseScope::FastDepthwiseScope() : lock_(layerTableMutex()) {
  cv::dnn::LayerFactory::registerLayer("Convolution", DepthwiseConvolution::create);
}

FastDepthwiseScope::~FastDepthwiseScope() { cv::dnn::LayerFactory::unregisterLayer("Convolution"); }

}  // namespace kestrel
