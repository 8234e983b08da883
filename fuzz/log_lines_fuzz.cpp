// Feeds arbitrary bytes to the decoders of log lines and picture records. Besides not crashing,
// each decoder must read back what it writes, and the fast score-line reader must agree with
// the tree decoder on every line the tree decoder accepts.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/log/check_line.hpp"
#include "core/log/event_line.hpp"
#include "core/base/json_text.hpp"
#include "core/log/log_clock.hpp"
#include "core/pictures/picture_record.hpp"
#include "core/log/score_line.hpp"

namespace {

using namespace kestrel;

void require(bool condition) {
  if (!condition) std::abort();
}

// Encodes a decoded value again and requires the same value back. Encoding may refuse a real
// that the parser read as infinite (a number beyond the range of a double).
template <class T, class Encode, class Decode>
void roundTrip(const T& value, Encode encode, Decode decodeAgain) {
  std::string text;
  try {
    text = encode(value);
  } catch (const EncodeError&) {
    return;
  }
  const auto back = decodeAgain(text);
  require(back.has_value() && *back == value);
}

void checkScoreLine(ScoreLineReader& reader, std::string_view bytes) {
  std::string buffer(bytes);
  buffer.append(ScoreLineReader::padding, '\0');
  const auto fast = reader.read(std::string_view(buffer.data(), bytes.size()));
  const auto tree = decodeText<ScoreLine>(bytes);
  if (tree) require(fast == tree);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  static ScoreLineReader reader;

  if (const auto check = decodeText<CheckLine>(bytes)) {
    roundTrip(*check, [](const CheckLine& v) { return lineText(v); },
              [](const std::string& t) { return decodeText<CheckLine>(t); });
  }
  if (const auto event = decodeText<EventLine>(bytes)) {
    roundTrip(*event, [](const EventLine& v) { return lineText(v); },
              [](const std::string& t) { return decodeText<EventLine>(t); });
  }
  checkScoreLine(reader, bytes);
  if (const auto record = PictureRecord::decode(bytes)) {
    roundTrip(*record, [](const PictureRecord& v) { return v.encoded(); },
              [](const std::string& t) { return PictureRecord::decode(t); });
  }
  if (const auto at = LogClock::parse(bytes)) {
    if (bytes.ends_with('Z')) require(LogClock{Calendar::utc()}.stamp(*at) == bytes);
  }
  return 0;
}
