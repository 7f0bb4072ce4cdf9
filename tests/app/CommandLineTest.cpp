// A file named on the command line is opened as the empty document: the program starts
// whatever the name points at, reads nothing from it, writes nothing to it, and keeps
// the name in the recent-file list.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <string>

#include "support/LumoProcess.h"

using lumo::test::runLumo;

TEST(CommandLine, AnyFileArgumentStartsTheProgramAndIsNeverRead) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString japanese = dir.filePath(QStringLiteral("再構成 の 練習 ファイル.lum"));
  {
    QFile f(japanese);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("content that is not the program's own\n");
  }
  const QString fifo = dir.filePath(QStringLiteral("a pipe nobody writes"));
  // Opening a FIFO for reading blocks until a writer comes: a read would hang the run.
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

  struct Case {
    const char* name;
    QString path;
  };
  const Case cases[] = {
      {"missing file", dir.filePath(QStringLiteral("no such file.lum"))},
      {"a directory", dir.path()},
      {"/dev/zero", QStringLiteral("/dev/zero")},
      {"spaces and Japanese", japanese},
      {"a FIFO", fifo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    const auto r = runLumo({c.path, QStringLiteral("--run"), QStringLiteral("where; open CDialog1; where; key Escape; where")},
                           30000, {{"XDG_CONFIG_HOME", config.path()}});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "start\nCDialog1\nstart\n");
    // The name went into the recent-file list, as any opened document's does.
    QSettings profile(config.filePath(QStringLiteral("Local AppWizard-Generated Applications/Lumo.conf")),
                      QSettings::IniFormat);
    EXPECT_EQ(profile.value(QStringLiteral("Recent File List/File1")).toString(),
              QFileInfo(c.path).absoluteFilePath());
  }
  // Nothing was written to the existing file either.
  QFile f(japanese);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("content that is not the program's own\n"));
  EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("no such file.lum"))));
}

TEST(CommandLine, AFileArgumentWorksOnEitherSideOfTheScript) {
  QTemporaryDir dir, config;
  ASSERT_TRUE(dir.isValid() && config.isValid());
  const QString name = dir.filePath(QStringLiteral("後 ろ.lum"));
  const auto r = runLumo({QStringLiteral("--run"), QStringLiteral("where"), name}, 30000,
                         {{"XDG_CONFIG_HOME", config.path()}});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "start\n");
  QSettings profile(config.filePath(QStringLiteral("Local AppWizard-Generated Applications/Lumo.conf")),
                    QSettings::IniFormat);
  EXPECT_EQ(profile.value(QStringLiteral("Recent File List/File1")).toString(), QFileInfo(name).absoluteFilePath());
}
