#include "app/canberra_player.hpp"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/tests/support.hpp"

namespace kestrel {
namespace {

constexpr const char* sound = "/usr/share/sounds/freedesktop/stereo/complete.oga";

// A home, a runtime folder and a client configuration of the test's own, so that neither
// the sound server nor its clients touch the user's, and no client starts a server by itself.
struct SoundSession {
  QTemporaryDir dir;
  testing::ScopedEnvironment env;

  SoundSession() {
    QDir(dir.path()).mkpath("home");
    QDir(dir.path()).mkpath("run");
    QFile::setPermissions(dir.filePath("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile conf(dir.filePath("client.conf"));
    EXPECT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("autospawn = no\n");
    conf.close();
    env.set("HOME", dir.filePath("home"));
    env.set("XDG_RUNTIME_DIR", dir.filePath("run"));
    env.set("PULSE_CLIENTCONFIG", dir.filePath("client.conf"));
    env.unset("PULSE_SERVER");
  }
};

// The loudest sample of a recording in the null sink's own format, 16-bit little-endian.
int peak(const QByteArray& raw) {
  int loudest = 0;
  for (qsizetype i = 0; i + 1 < raw.size(); i += 2) {
    std::int16_t sample;
    std::memcpy(&sample, raw.constData() + i, sizeof sample);
    loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
  }
  return loudest;
}

TEST(CanberraPlayer, WithoutASoundServerPlayingFails) {
  SoundSession session;
  CanberraPlayer player("Kestrel", "io.github.kestrel.Kestrel.test");
  EXPECT_LT(player.play(sound), 0);
  // Tried again, and failing again, at the next play.
  EXPECT_LT(player.play(sound), 0);
}

TEST(CanberraPlayer, PlaysIntoANullSink) {
  if (QStandardPaths::findExecutable("pulseaudio").isEmpty() || QStandardPaths::findExecutable("parec").isEmpty()) {
    GTEST_SKIP() << "pulseaudio and parec are not installed";
  }
  ASSERT_TRUE(QFileInfo::exists(sound));
  SoundSession session;

  QProcess server;
  server.setProcessChannelMode(QProcess::MergedChannels);
  server.setStandardOutputFile(session.dir.filePath("pulseaudio.log"));
  server.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1",
                              "--load=module-null-sink sink_name=nullsink", "--load=module-native-protocol-unix"});
  ASSERT_TRUE(server.waitForStarted());
  const QString socket = session.dir.filePath("run/pulse/native");
  ASSERT_TRUE(testing::eventually([&] { return QFileInfo::exists(socket); }, 10000))
      << "no server socket; see " << session.dir.filePath("pulseaudio.log").toStdString();

  QProcess recorder;
  const QString recording = session.dir.filePath("recording.raw");
  recorder.setStandardOutputFile(recording);
  recorder.start("parec", {"-d", "nullsink.monitor"});
  ASSERT_TRUE(recorder.waitForStarted());
  QThread::msleep(500);  // the recording stream is up before the sound starts

  {
    CanberraPlayer player("Kestrel", "io.github.kestrel.Kestrel.test");
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(player.play(sound), 0);
    // The call hands the sound over and returns; it does not wait for it to end.
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
    QThread::msleep(1500);
    // Goes while the sound may still be draining, which must not bring the program down.
  }
  recorder.terminate();
  recorder.waitForFinished();
  server.terminate();
  server.waitForFinished();

  QFile f(recording);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray raw = f.readAll();
  EXPECT_GT(peak(raw), 1000);
}

}  // namespace
}  // namespace kestrel
