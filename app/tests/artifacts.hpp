#pragma once

#include <QDir>
#include <QString>

namespace kestrel::testing {

// Where the tests leave images for a look by eye: build/app/tests/artifacts/NAME.
inline QString artifactPath(const QString& name) {
  QDir().mkpath(QStringLiteral(KESTREL_TEST_ARTIFACTS));
  return QStringLiteral(KESTREL_TEST_ARTIFACTS) + QLatin1Char('/') + name;
}

}  // namespace kestrel::testing
