#pragma once

// Pictures for the window's tests: a hand-at-chin record at 1280 × 720 written into a
// picture store, with or without a real photo.

#include <QFile>
#include <string>

#include "core/pictures/picture_store.hpp"

namespace kestrel::testing {

inline Measurements handAtChinFrame() {
  Measurements m;
  m.frameWidth = 1280;
  m.frameHeight = 720;
  m.meanLuma = 0.5;
  m.faces = {Face{{520, 300, 240, 280}, 0.0, 0.0}};
  m.bodies = {Body{Joint{{640, 430}, 0.9}, Joint{{640, 220}, 0.9}, Joint{{460, 150}, 0.8}, Joint{{820, 150}, 0.8}}};
  Hand hand;
  for (int i = 0; i < 6; ++i) hand.joints.push_back(Joint{{590.0 + 14 * i, 250.0 + 9 * (i % 3)}, 0.8});
  m.hands = {hand};
  return m;
}

// Writes one picture; the photo is a real JPEG when asked for.
inline PictureRecord writePicture(const PictureStore& store, const std::string& alertId, Instant raisedAt,
                                  bool photo, const std::string& hint = "Hand at chin · rest it elsewhere") {
  const PictureRecord record(alertId, AlertModule::hand, hint, raisedAt, photo, handAtChinFrame());
  store.createDayDirectory(record);
  store.writeRecord(record);
  if (photo) {
    QFile jpeg(QStringLiteral(KESTREL_TEST_PHOTOS "/Cascade_Classifier_Tutorial_Result_Haar.jpg"));
    if (jpeg.open(QIODevice::ReadOnly)) store.writePhoto(jpeg.readAll().toStdString(), record);
  }
  return record;
}

}  // namespace kestrel::testing
