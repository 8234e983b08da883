#pragma once

#include <QScrollArea>
#include <functional>
#include <optional>
#include <string>

#include "core/base/calendar.hpp"
#include "core/launch/login_item_status.hpp"
#include "core/settings/app_settings.hpp"
#include "core/settings/chime_sound.hpp"
#include "core/settings/settings_refresh.hpp"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace kestrel {

// The Settings tab. Every control writes the whole settings record with only its own field
// changed from the stored one; each time the tab comes on screen the controls are set from
// the stored settings and the login item and calibration are read again.
class SettingsTab : public QScrollArea {
  Q_OBJECT

 public:
  // What the controls act on.
  struct Actions {
    std::function<AppSettings()> settings;  // as stored
    std::function<void(const AppSettings&)> update;
    std::function<void(const std::string& sound)> play;  // a preview of the chime
    std::function<void()> deleteAllPictures;             // asks first
    std::function<void()> toggleLogin;
    std::function<void()> calibrate;
    std::function<LoginItemStatus()> loginStatus;
    // When the calibration in force was saved; none without one.
    std::function<std::optional<Instant>()> baselineDate;
    std::function<void(const std::string&)> log;
  };

  // `sounds` are offered as the chime's sound; the calibration's day is told in `calendar`.
  SettingsTab(Actions actions, ChimeSound::Library sounds, Calendar calendar, QWidget* parent = nullptr);

  // Sets every control from the stored settings.
  void load();
  // Reads the login item and the calibration again as far as `trigger` asks for.
  void reloadSystemState(SettingsRefresh::Trigger trigger, WindowTab selected);

  QAbstractButton* sensitivity(Sensitivity s) const;
  QLabel* explanation() const { return explanation_; }
  QCheckBox* glow() const { return glow_; }
  QCheckBox* chime() const { return chime_; }
  QComboBox* chimeDelay() const { return chimeDelay_; }
  QComboBox* sound() const { return sound_; }
  QPushButton* playSound() const { return playSound_; }
  QComboBox* interval() const { return interval_; }
  QCheckBox* keepCameraOn() const { return keepCameraOn_; }
  QCheckBox* keepPhotos() const { return keepPhotos_; }
  QComboBox* retention() const { return retention_; }
  QPushButton* deletePictures() const { return deletePictures_; }
  QCheckBox* login() const { return login_; }
  QPushButton* recalibrate() const { return recalibrate_; }
  QLabel* calibrated() const { return calibrated_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Writes the stored settings with one field changed; nothing when it is unchanged.
  void change(const std::function<void(AppSettings&)>& edit);

  Actions actions_;
  ChimeSound::Library sounds_;
  Calendar calendar_;
  QButtonGroup* sensitivity_;
  QLabel* explanation_;
  QCheckBox* glow_;
  QCheckBox* chime_;
  QComboBox* chimeDelay_;
  QComboBox* sound_;
  QPushButton* playSound_;
  QComboBox* interval_;
  QCheckBox* keepCameraOn_;
  QCheckBox* keepPhotos_;
  QComboBox* retention_;
  QPushButton* deletePictures_;
  QCheckBox* login_;
  QPushButton* recalibrate_;
  QLabel* calibrated_;
};

}  // namespace kestrel
