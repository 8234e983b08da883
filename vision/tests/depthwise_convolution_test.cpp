#include "vision/depthwise_convolution.hpp"

#include <gtest/gtest.h>

#include <opencv2/core.hpp>
#include <opencv2/dnn.hpp>
#include <opencv2/dnn/shape_utils.hpp>
#include <string>

#include "vision/model_store.hpp"

namespace kestrel {
namespace {

// Convolution parameters as the ONNX importer hands them to the dnn module.
cv::dnn::LayerParams convParams(const cv::Mat& weights, const cv::Mat& bias, int stride, std::vector<int> pads, int group) {
  cv::dnn::LayerParams params;
  params.name = "conv";
  params.type = "Convolution";
  params.blobs = {weights, bias};
  params.set("num_output", weights.size[0]);
  params.set("group", group);
  const int kernel[] = {weights.size[2], weights.size[3]};
  const int strides[] = {stride, stride};
  params.set("kernel_size", cv::dnn::DictValue::arrayInt(kernel, 2));
  params.set("stride", cv::dnn::DictValue::arrayInt(strides, 2));
  params.set("pad", cv::dnn::DictValue::arrayInt(pads.data(), static_cast<int>(pads.size())));
  return params;
}

cv::Mat randomBlob(std::vector<int> shape, unsigned seed) {
  cv::Mat blob(shape, CV_32F);
  cv::RNG rng(seed);
  rng.fill(blob, cv::RNG::UNIFORM, -1.0, 1.0);
  return blob;
}

struct Built {
  cv::Mat output;
  bool ours = false;
};

Built runConv(const cv::dnn::LayerParams& params, const cv::Mat& input, bool fast) {
  cv::dnn::Net net;
  {
    std::optional<FastDepthwiseScope> scope;
    if (fast) scope.emplace();
    cv::dnn::LayerParams copy = params;
    net.getLayer(net.addLayerToPrev(copy.name, copy.type, copy));  // builds the layer now
  }
  net.setInput(input);
  Built built;
  built.output = net.forward().clone();
  built.ours = !net.getLayer(net.getLayerId("conv")).dynamicCast<DepthwiseConvolution>().empty();
  return built;
}

// The textbook sum, one output at a time.
cv::Mat naiveDepthwise(const cv::Mat& input, const cv::Mat& weights, const cv::Mat& bias, int stride,
                       const std::vector<int>& pads) {
  const int images = input.size[0], channels = input.size[1], height = input.size[2], width = input.size[3];
  const int kernel = weights.size[2];
  const int outHeight = (height + pads[0] + pads[2] - kernel) / stride + 1;
  const int outWidth = (width + pads[1] + pads[3] - kernel) / stride + 1;
  cv::Mat output(std::vector<int>{images, channels, outHeight, outWidth}, CV_32F);
  for (int n = 0; n < images; ++n) {
    for (int c = 0; c < channels; ++c) {
      for (int y = 0; y < outHeight; ++y) {
        for (int x = 0; x < outWidth; ++x) {
          double sum = bias.at<float>(c);
          for (int ky = 0; ky < kernel; ++ky) {
            for (int kx = 0; kx < kernel; ++kx) {
              const int sy = y * stride + ky - pads[0];
              const int sx = x * stride + kx - pads[1];
              if (sy < 0 || sy >= height || sx < 0 || sx >= width) continue;
              sum += double(weights.ptr<float>(c, 0)[ky * kernel + kx]) * input.ptr<float>(n, c)[sy * width + sx];
            }
          }
          output.ptr<float>(n, c)[y * outWidth + x] = static_cast<float>(sum);
        }
      }
    }
  }
  return output;
}

struct Case {
  int images, channels, height, width, kernel, stride;
  std::vector<int> pads;  // top, left, bottom, right
};

TEST(DepthwiseConvolution, AgreesWithTheTextbookSum) {
  const Case cases[] = {
      {1, 3, 7, 5, 3, 1, {1, 1, 1, 1}},
      {1, 8, 17, 33, 5, 1, {2, 2, 2, 2}},   // a row longer than two blocks, with a remainder
      {1, 4, 16, 16, 5, 2, {1, 1, 2, 2}},   // stride 2 with the larger margin at the end
      {1, 2, 9, 9, 3, 2, {0, 0, 0, 0}},     // stride 2 over an odd size, no margin
      {1, 5, 6, 40, 3, 1, {0, 2, 1, 0}},    // every margin different
      {1, 2, 1, 1, 3, 1, {1, 1, 1, 1}},     // one pixel
      {2, 3, 12, 10, 5, 2, {2, 2, 2, 2}},   // two images
      {1, 6, 8, 8, 4, 2, {1, 1, 1, 1}},     // an even kernel
  };
  unsigned seed = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.channels << "x" << c.height << "x" << c.width << " kernel " << c.kernel
                                    << " stride " << c.stride);
    const cv::Mat weights = randomBlob({c.channels, 1, c.kernel, c.kernel}, seed++);
    const cv::Mat bias = randomBlob({c.channels}, seed++);
    const cv::Mat input = randomBlob({c.images, c.channels, c.height, c.width}, seed++);
    const auto params = convParams(weights, bias, c.stride, c.pads, c.channels);
    const cv::Mat expected = naiveDepthwise(input, weights, bias, c.stride, c.pads);
    const Built fast = runConv(params, input, true);
    ASSERT_TRUE(fast.ours);
    ASSERT_EQ(cv::dnn::shape(fast.output), cv::dnn::shape(expected));
    EXPECT_LE(cv::norm(fast.output, expected, cv::NORM_INF), 1e-5);
  }
}

TEST(DepthwiseConvolution, LeavesOtherConvolutionsToTheDnnModule) {
  const cv::Mat depthwise = randomBlob({4, 1, 3, 3}, 7);
  const cv::Mat bias = randomBlob({4}, 8);
  EXPECT_EQ(depthwiseShape(convParams(depthwise, bias, 2, {1, 0, 2, 1}, 4)),
            (DepthwiseShape{3, 3, 2, 2, 1, 0, 2, 1}));
  EXPECT_EQ(depthwiseShape(convParams(depthwise, bias, 1, {1, 1}, 4)), (DepthwiseShape{3, 3, 1, 1, 1, 1, 1, 1}));

  const cv::Mat grouped = randomBlob({4, 2, 3, 3}, 9);  // two input channels per filter
  EXPECT_EQ(depthwiseShape(convParams(grouped, bias, 1, {1, 1, 1, 1}, 2)), std::nullopt);
  EXPECT_EQ(depthwiseShape(convParams(depthwise, bias, 1, {1, 1, 1, 1}, 2)), std::nullopt);  // a channel multiplier

  auto dilated = convParams(depthwise, bias, 1, {2, 2, 2, 2}, 4);
  const int dilation[] = {2, 2};
  dilated.set("dilation", cv::dnn::DictValue::arrayInt(dilation, 2));
  EXPECT_EQ(depthwiseShape(dilated), std::nullopt);

  auto automatic = convParams(depthwise, bias, 1, {0, 0, 0, 0}, 4);
  automatic.set("pad_mode", "SAME");
  EXPECT_EQ(depthwiseShape(automatic), std::nullopt);

  const cv::Mat input = randomBlob({1, 4, 6, 6}, 10);
  const auto params = convParams(grouped, bias, 1, {1, 1, 1, 1}, 2);
  const Built fast = runConv(params, input, true);
  EXPECT_FALSE(fast.ours);
  EXPECT_EQ(cv::norm(fast.output, runConv(params, input, false).output, cv::NORM_INF), 0.0);
}

// The installed models give the same outputs whichever kernel runs their depthwise
// convolutions: the importer's parameters are read the way the dnn module reads them.
TEST(DepthwiseConvolution, ModelsGiveTheSameOutputs) {
  const std::pair<const char*, int> models[] = {{"pose_landmark_lite.onnx", 256}, {"hand_landmark_lite.onnx", 224},
                                                {"palm_detection_lite.onnx", 192}, {"face_detection_front.onnx", 128},
                                                {"face_landmark.onnx", 192}};
  for (const auto& [name, size] : models) {
    SCOPED_TRACE(name);
    const std::string path = (defaultModelFolder() / name).string();
    cv::dnn::Net reference = cv::dnn::readNetFromONNX(path);
    cv::dnn::Net fast = loadModel(defaultModelFolder(), name);
    const bool nhwc = std::string(name) == "face_detection_front.onnx";
    const cv::Mat input = randomBlob(nhwc ? std::vector<int>{1, size, size, 3} : std::vector<int>{1, 3, size, size}, 11);
    const auto outputs = reference.getUnconnectedOutLayersNames();
    std::vector<cv::Mat> expected;
    std::vector<cv::Mat> actual;
    reference.setInput(input);
    reference.forward(expected, outputs);
    fast.setInput(input);
    fast.forward(actual, outputs);
    ASSERT_EQ(actual.size(), expected.size());
    int ours = 0;
    for (const auto& layer : fast.getLayerNames()) ours += !fast.getLayer(layer).dynamicCast<DepthwiseConvolution>().empty();
    EXPECT_GT(ours, 0);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const double scale = std::max(1.0, cv::norm(expected[i], cv::NORM_INF));
      EXPECT_LE(cv::norm(actual[i], expected[i], cv::NORM_INF) / scale, 1e-4) << outputs[i];
    }
  }
}

}  // namespace
}  // namespace kestrel
