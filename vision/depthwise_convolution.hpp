#pragma once

#include <mutex>
#include <opencv2/dnn.hpp>
#include <optional>
#include <vector>

namespace kestrel {

// The shape of a depthwise convolution: one filter per channel, no dilation.
struct DepthwiseShape {
  int kernelHeight = 0;
  int kernelWidth = 0;
  int strideY = 1;
  int strideX = 1;
  int padTop = 0;
  int padLeft = 0;
  int padBottom = 0;
  int padRight = 0;

  bool operator==(const DepthwiseShape&) const = default;

  int outputHeight(int inputHeight) const { return (inputHeight + padTop + padBottom - kernelHeight) / strideY + 1; }
  int outputWidth(int inputWidth) const { return (inputWidth + padLeft + padRight - kernelWidth) / strideX + 1; }
};

// The depthwise convolution of the dnn layer parameters that an imported Conv node gets,
// or absent when the node is some other convolution (several input channels per filter,
// a channel multiplier, dilation, or an automatic padding mode).
std::optional<DepthwiseShape> depthwiseShape(const cv::dnn::LayerParams& params);

// Depthwise convolution of NCHW float tensors, with the filters' bias added. The dnn
// module's own kernel handles these filters, which most of the analyzer's models are made
// of, several times slower than their arithmetic needs; this one keeps a block of output
// row in registers while it sums the taps.
class DepthwiseConvolution : public cv::dnn::Layer {
 public:
  DepthwiseConvolution(const cv::dnn::LayerParams& params, DepthwiseShape shape);

  // The layer for an imported convolution: this one for a depthwise convolution, the dnn
  // module's own for any other.
  static cv::Ptr<cv::dnn::Layer> create(cv::dnn::LayerParams& params);

  bool getMemoryShapes(const std::vector<cv::dnn::MatShape>& inputs, int requiredOutputs,
                       std::vector<cv::dnn::MatShape>& outputs,
                       std::vector<cv::dnn::MatShape>& internals) const override;
  void forward(cv::InputArrayOfArrays inputs, cv::OutputArrayOfArrays outputs,
               cv::OutputArrayOfArrays internals) override;

 private:
  DepthwiseShape shape_;
  cv::Mat weights_;  // channels x (kernel height * kernel width)
  std::vector<float> bias_;
  std::vector<float> padded_;  // one channel's input with its margins
};

// While it lives, the dnn module builds every convolution it reads through
// DepthwiseConvolution::create. Nets keep the layers they were built with after it ends.
// The dnn module's table of layer types is shared by the whole process, so scopes in
// several threads wait for each other.
class FastDepthwiseScope {
 public:
  FastDepthwiseScope();
  ~FastDepthwiseScope();
  FastDepthwiseScope(const FastDepthwiseScope&) = delete;
  FastDepthwiseScope& operator=(const FastDepthwiseScope&) = delete;

 private:
  std::unique_lock<std::mutex> lock_;
};

}  // namespace kestrel
