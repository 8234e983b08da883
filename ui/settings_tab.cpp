#include "ui/settings_tab.hpp"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/model/check_interval.hpp"
#include "core/settings/settings_summary.hpp"

namespace kestrel {

namespace {

QString text(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The position of a case in its enumeration's order.
template <class E>
int position(E value) {
  const auto& table = EnumTexts<E>::table;
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].first == value) return static_cast<int>(i);
  }
  return -1;
}

template <class E>
E caseAt(int index) {
  return EnumTexts<E>::table.at(static_cast<std::size_t>(index)).first;
}

// A pop-up menu of an enumeration's labels in its order.
template <class E>
QComboBox* popUp(QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (const auto& [value, name] : EnumTexts<E>::table) box->addItem(QString::fromStdString(label(value)));
  return box;
}

QLabel* rowLabel(const QString& title, QWidget* parent) {
  auto* l = new QLabel(title, parent);
  QFont font = l->font();
  font.setPixelSize(13);
  l->setFont(font);
  return l;
}

}  // namespace

SettingsTab::SettingsTab(Actions actions, ChimeSound::Library sounds, Calendar calendar, QWidget* parent)
    : QScrollArea(parent), actions_(std::move(actions)), sounds_(std::move(sounds)), calendar_(calendar) {
  auto* document = new QWidget;
  auto* column = new QVBoxLayout(document);
  column->setSpacing(14);
  column->setContentsMargins(20, 16, 20, 16);
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setWidgetResizable(true);
  viewport()->setAutoFillBackground(false);
  document->setAutoFillBackground(false);

  // Sensitivity: a segmented control of the three levels, its explanation under it.
  sensitivity_ = new QButtonGroup(this);
  sensitivity_->setExclusive(true);
  auto* segments = new QHBoxLayout;
  segments->setSpacing(0);
  segments->addWidget(rowLabel(QStringLiteral("Sensitivity"), document));
  segments->addSpacing(12);
  for (const auto& [value, name] : EnumTexts<Sensitivity>::table) {
    auto* segment = new QPushButton(QString::fromStdString(label(value)), document);
    segment->setCheckable(true);
    sensitivity_->addButton(segment, position(value));
    segments->addWidget(segment);
  }
  segments->addStretch();
  column->addLayout(segments);
  connect(sensitivity_, &QButtonGroup::idClicked, this,
          [this](int id) { change([id](AppSettings& s) { s.sensitivity = caseAt<Sensitivity>(id); }); });
  explanation_ = new QLabel(text(sensitivityExplanation), document);
  QFont small = explanation_->font();
  small.setPixelSize(12);
  explanation_->setFont(small);
  explanation_->setForegroundRole(QPalette::PlaceholderText);
  explanation_->setWordWrap(true);
  column->addWidget(explanation_);

  glow_ = new QCheckBox(QStringLiteral("Glow at the top of the screen"), document);
  connect(glow_, &QCheckBox::clicked, this, [this](bool on) { change([on](AppSettings& s) { s.glowEnabled = on; }); });
  column->addWidget(glow_);

  auto* chimeRow = new QHBoxLayout;
  chime_ = new QCheckBox(QStringLiteral("Chime after"), document);
  chimeDelay_ = popUp<ChimeDelay>(document);
  chimeDelay_->setAccessibleName(QStringLiteral("Chime delay"));
  chimeRow->addWidget(chime_);
  chimeRow->addWidget(chimeDelay_);
  chimeRow->addStretch();
  column->addLayout(chimeRow);
  connect(chime_, &QCheckBox::clicked, this,
          [this](bool on) { change([on](AppSettings& s) { s.chimeEnabled = on; }); });
  connect(chimeDelay_, &QComboBox::activated, this,
          [this](int i) { change([i](AppSettings& s) { s.chimeDelay = caseAt<ChimeDelay>(i); }); });

  auto* soundRow = new QHBoxLayout;
  sound_ = new QComboBox(document);
  for (const std::string& name : sounds_.names) sound_->addItem(QString::fromStdString(name));
  sound_->setAccessibleName(QStringLiteral("Sound"));
  playSound_ = new QPushButton(QStringLiteral("Play"), document);
  playSound_->setAccessibleName(QStringLiteral("Play the chime sound"));
  soundRow->addWidget(rowLabel(QStringLiteral("Sound"), document));
  soundRow->addWidget(sound_);
  soundRow->addWidget(playSound_);
  soundRow->addStretch();
  column->addLayout(soundRow);
  connect(sound_, &QComboBox::activated, this, [this](int i) {
    if (i < 0) return;
    const std::string name = sound_->itemText(i).toStdString();
    change([&name](AppSettings& s) { s.chimeSound = name; });
  });
  connect(playSound_, &QPushButton::clicked, this, [this] {
    if (sound_->currentIndex() >= 0) actions_.play(sound_->currentText().toStdString());
  });

  auto* intervalRow = new QHBoxLayout;
  interval_ = popUp<CheckInterval>(document);
  interval_->setAccessibleName(QStringLiteral("Check every"));
  intervalRow->addWidget(rowLabel(QStringLiteral("Check every"), document));
  intervalRow->addWidget(interval_);
  intervalRow->addStretch();
  column->addLayout(intervalRow);
  connect(interval_, &QComboBox::activated, this,
          [this](int i) { change([i](AppSettings& s) { s.checkInterval = caseAt<CheckInterval>(i); }); });

  keepCameraOn_ = new QCheckBox(QStringLiteral("Keep camera on between checks"), document);
  keepCameraOn_->setToolTip(QStringLiteral("Off: the camera and its light come on for a few seconds at each check."));
  connect(keepCameraOn_, &QCheckBox::clicked, this, [this](bool on) {
    change([on](AppSettings& s) { s.cameraBetweenChecks = on ? CameraDuty::Mode::steady : CameraDuty::Mode::off; });
  });
  column->addWidget(keepCameraOn_);

  keepPhotos_ = new QCheckBox(QStringLiteral("Keep photos of alerts"), document);
  connect(keepPhotos_, &QCheckBox::clicked, this,
          [this](bool on) { change([on](AppSettings& s) { s.keepPhotos = on; }); });
  column->addWidget(keepPhotos_);

  auto* retentionRow = new QHBoxLayout;
  retention_ = popUp<PictureRetention>(document);
  retention_->setAccessibleName(QStringLiteral("Keep pictures for"));
  deletePictures_ = new QPushButton(QStringLiteral("Delete all pictures…"), document);
  retentionRow->addWidget(rowLabel(QStringLiteral("Keep pictures for"), document));
  retentionRow->addWidget(retention_);
  retentionRow->addStretch();
  retentionRow->addWidget(deletePictures_);
  column->addLayout(retentionRow);
  connect(retention_, &QComboBox::activated, this,
          [this](int i) { change([i](AppSettings& s) { s.pictureRetention = caseAt<PictureRetention>(i); }); });
  connect(deletePictures_, &QPushButton::clicked, this, [this] { actions_.deleteAllPictures(); });

  login_ = new QCheckBox(document);
  connect(login_, &QCheckBox::clicked, this, [this] {
    actions_.toggleLogin();
    reloadSystemState(SettingsRefresh::Trigger::loginToggled, WindowTab::settings);
  });
  column->addWidget(login_);

  auto* calibrationRow = new QHBoxLayout;
  calibrated_ = new QLabel(document);
  recalibrate_ = new QPushButton(QStringLiteral("Recalibrate…"), document);
  calibrationRow->addWidget(calibrated_);
  calibrationRow->addStretch();
  calibrationRow->addWidget(recalibrate_);
  column->addLayout(calibrationRow);
  connect(recalibrate_, &QPushButton::clicked, this, [this] { actions_.calibrate(); });
  column->addStretch();
  setWidget(document);
}

void SettingsTab::change(const std::function<void(AppSettings&)>& edit) {
  const AppSettings stored = actions_.settings();
  AppSettings changed = stored;
  edit(changed);
  if (changed != stored) actions_.update(changed);
}

void SettingsTab::showEvent(QShowEvent* event) {
  QScrollArea::showEvent(event);
  load();
  reloadSystemState(SettingsRefresh::Trigger::tabShown, WindowTab::settings);
}

void SettingsTab::load() {
  const AppSettings s = actions_.settings();
  sensitivity_->button(position(s.sensitivity))->setChecked(true);
  glow_->setChecked(s.glowEnabled);
  chime_->setChecked(s.chimeEnabled);
  chimeDelay_->setCurrentIndex(position(s.chimeDelay));
  sound_->setCurrentIndex(sound_->findText(QString::fromStdString(sounds_.menuSelection(s.chimeSound))));
  interval_->setCurrentIndex(position(s.checkInterval));
  keepCameraOn_->setChecked(s.cameraBetweenChecks == CameraDuty::Mode::steady);
  keepPhotos_->setChecked(s.keepPhotos);
  const int retention = position(s.pictureRetention);
  retention_->setCurrentIndex(retention >= 0 ? retention : 1);
}

void SettingsTab::reloadSystemState(SettingsRefresh::Trigger trigger, WindowTab selected) {
  const bool readsLogin = SettingsRefresh::readsLoginStatus(trigger, selected);
  const bool readsCalibration = SettingsRefresh::readsCalibrationLine(trigger, selected);
  if (!readsLogin && !readsCalibration) return;
  const LoginItemStatus status = readsLogin ? actions_.loginStatus() : LoginItemStatus::notRegistered;
  const SettingsSummary summary =
      SettingsSummary::from(status, readsCalibration ? actions_.baselineDate() : std::nullopt, calendar_);
  if (readsLogin) {
    actions_.log(SettingsRefresh::loginStatusReadLogLine(trigger));
    login_->setText(QString::fromStdString(summary.loginTitle));
    login_->setChecked(summary.loginChecked);
  }
  if (readsCalibration) {
    calibrated_->setText(QString::fromStdString(summary.calibrationLine));
    recalibrate_->setText(QString::fromStdString(summary.recalibrateTitle));
  }
}

QAbstractButton* SettingsTab::sensitivity(Sensitivity s) const { return sensitivity_->button(position(s)); }

}  // namespace kestrel
