#include "core/pictures/picture_record.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "core/base/json_text.hpp"
#include "core/pictures/picture_naming.hpp"
#include "core/tests/support/log_builders.hpp"

namespace kestrel {
namespace {

constexpr Instant march9 = 1773061533;  // 2026-03-09T13:05:33Z

PictureRecord sampleRecord() {
  Measurements m = testing::frameWithHands({Hand{{testing::joint(1, 2, 0.5)}}}, {Face{{1, 2, 3, 4}, 5, {}}});
  m.bodies = {Body{testing::joint(3, 4, 0.9), {}, {}, {}}};
  return PictureRecord("A1-b_2", AlertModule::hand, "Hand at chin · rest your jaw", march9, true, m);
}

TEST(PictureRecord, EncodedIsIndentedSortedWithAUtcMoment) {
  PictureRecord record("id-1", AlertModule::head, "a/b", march9 + 0.9, false, Measurements{});
  EXPECT_EQ(record.encoded(),
            "{\n"
            "  \"alertId\": \"id-1\",\n"
            "  \"hint\": \"a/b\",\n"
            "  \"measurements\": {\n"
            "    \"bodies\": [],\n"
            "    \"faces\": [],\n"
            "    \"frameHeight\": 0.0,\n"
            "    \"frameWidth\": 0.0,\n"
            "    \"hands\": [],\n"
            "    \"meanLuma\": 0.0\n"
            "  },\n"
            "  \"module\": \"head\",\n"
            "  \"photo\": false,\n"
            "  \"raisedAt\": \"2026-03-09T13:05:33Z\",\n"
            "  \"schema\": 1\n"
            "}");
}

TEST(PictureRecord, DecodesWhatItEncodes) {
  const PictureRecord record = sampleRecord();
  EXPECT_EQ(PictureRecord::decode(record.encoded()), record);
  // The moment is kept in whole seconds; an offset in the text is honoured.
  PictureRecord fraction = record;
  fraction.raisedAt = march9 + 0.5;
  EXPECT_EQ(PictureRecord::decode(fraction.encoded())->raisedAt, march9);
  Json shifted = Json::parse(record.encoded());
  shifted["raisedAt"] = "2026-03-09T14:05:33+01:00";
  EXPECT_EQ(PictureRecord::decode(shifted.dump())->raisedAt, march9);
}

TEST(PictureRecord, RejectsOtherSchemasUnsafeIdentifiersAndBrokenRecords) {
  const Json good = Json::parse(sampleRecord().encoded());
  const std::pair<const char*, Json> changes[] = {
      {"schema", 2},
      {"schema", 1.0},
      {"alertId", "../x"},
      {"module", "neck"},
      {"raisedAt", "2026-03-09 13:05:33"},
      {"raisedAt", 1773061533},
      {"photo", 1},
      {"hint", nullptr},
      {"measurements", Json::object()},
  };
  for (const auto& [key, value] : changes) {
    Json changed = good;
    changed[key] = value;
    EXPECT_EQ(PictureRecord::decode(changed.dump()), std::nullopt) << key << " " << value.dump();
  }
  for (const auto& [key, value] : good.items()) {
    Json without = good;
    without.erase(key);
    EXPECT_EQ(PictureRecord::decode(without.dump()), std::nullopt) << key;
  }
  for (const char* bytes : {"", "{", "null", "[]", "\xff\xfe"}) EXPECT_EQ(PictureRecord::decode(bytes), std::nullopt);
}

TEST(PictureRecord, NonFiniteMeasurementsCannotBeEncoded) {
  PictureRecord record = sampleRecord();
  record.measurements.meanLuma = std::nan("");
  EXPECT_THROW((void)record.encoded(), EncodeError);
}

TEST(PictureNaming, DayNames) {
  for (const char* name : {"2026-03-09", "2024-02-29", "1999-12-31", "0001-01-01"}) {
    EXPECT_TRUE(PictureNaming::isDayName(name)) << name;
  }
  for (const char* name : {"2026-02-30", "2025-02-29", "2026-3-09", "2026-03-09x", "2026-13-01", "2026-00-10",
                           "2026-01-00", "0000-01-01", "2026/03/09", "2026-03_09", "", "+026-03-09", "2026-03-0a"}) {
    EXPECT_FALSE(PictureNaming::isDayName(name)) << name;
  }
}

TEST(PictureNaming, SafeAlertIdentifiers) {
  for (const char* id : {"a1-b_2", "8C0D3E4A-1B2C-4D5E-8F90-A1B2C3D4E5F6", "_", "Z"}) {
    EXPECT_TRUE(PictureNaming::isSafeAlertId(id)) << id;
  }
  for (const char* id : {"", "a/b", "..", "a.b", "a b", "caf\xc3\xa9", "a\\b", "x\n"}) {
    EXPECT_FALSE(PictureNaming::isSafeAlertId(id)) << id;
  }
  EXPECT_FALSE(PictureNaming::isSafeAlertId(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace kestrel
