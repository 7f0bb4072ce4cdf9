// The profile with the recent-file list: a corrupted, unreadable or unwritable settings
// file, or a home directory the program cannot write, never stops the program. The list
// then starts empty, or is simply not saved. What is not a regular file (a FIFO, a link
// to a device) or is larger than the program ever writes is left alone: neither read
// (a FIFO would block start-up) nor replaced.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <random>
#include <string>

#include "app/MainWindow.h"
#include "support/LumoProcess.h"

using lumo::test::runLumo;

namespace {

const QString kProfileFolder = QStringLiteral("Local AppWizard-Generated Applications");
const QString kProfileFile = QStringLiteral("Lumo.conf");

bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray randomBytes(std::size_t n) {
  std::mt19937 rng(7u);
  QByteArray b;
  b.reserve(static_cast<qsizetype>(n));
  for (std::size_t i = 0; i < n; ++i) b.append(static_cast<char>(rng() & 0xFF));
  return b;
}

enum class Saving { Saved, NotSaved };

QString profileIn(const QString& configDir) { return configDir + "/" + kProfileFolder + "/" + kProfileFile; }

bool makeFifo(const QString& path) { return mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }

// What a path is, without following a link: its type, and a link's target.
std::string kindOf(const QString& path) {
  struct stat st {};
  if (lstat(QFile::encodeName(path).constData(), &st) != 0) return "nothing";
  if (S_ISLNK(st.st_mode)) return "link to " + QFileInfo(path).symLinkTarget().toStdString();
  if (S_ISFIFO(st.st_mode)) return "fifo";
  if (S_ISDIR(st.st_mode)) return "folder";
  return S_ISREG(st.st_mode) ? "file" : "other";
}

// A broken profile, prepared inside a configuration folder.
struct Broken {
  const char* name;
  std::function<bool(const QString& configDir)> prepare;
  Saving saving;  // whether a list can be saved there afterwards
};

const Broken kBroken[] = {
    {"random bytes", [](const QString& d) {
       return QDir(d).mkpath(kProfileFolder) && writeFile(d + "/" + kProfileFolder + "/" + kProfileFile, randomBytes(4096));
     }, Saving::Saved},
    {"hostile values", [](const QString& d) {
       return QDir(d).mkpath(kProfileFolder) &&
              writeFile(d + "/" + kProfileFolder + "/" + kProfileFile,
                        "[Recent%20File%20List]\n"
                        "File1=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x10garbage\\xff\\xff)\n"
                        "File2=@ByteArray(\n"
                        "File3=@Rect(1 2\n"
                        "File4=@Variant(\\0\\0\\0\\x9\\xff\\xff\\xff\\xff)\n"
                        "[\n=\\\n");
     }, Saving::Saved},
    {"one long line", [](const QString& d) {
       return QDir(d).mkpath(kProfileFolder) &&
              writeFile(d + "/" + kProfileFolder + "/" + kProfileFile, "[Recent%20File%20List]\nFile1=" + QByteArray(200 << 10, '\\'));
     }, Saving::Saved},
    // Larger than the program ever writes: not read (a 2 GB one took 24 s) and kept.
    {"one endless line", [](const QString& d) {
       return QDir(d).mkpath(kProfileFolder) &&
              writeFile(d + "/" + kProfileFolder + "/" + kProfileFile, "[Recent%20File%20List]\nFile1=" + QByteArray(2 << 20, '\\'));
     }, Saving::NotSaved},
    {"a FIFO", [](const QString& d) { return QDir(d).mkpath(kProfileFolder) && makeFifo(profileIn(d)); }, Saving::NotSaved},
    {"a link to a FIFO", [](const QString& d) {
       return QDir(d).mkpath(kProfileFolder) && makeFifo(d + "/pipe") && QFile::link(d + "/pipe", profileIn(d));
     }, Saving::NotSaved},
    {"a link to nothing", [](const QString& d) {
       return QDir(d).mkpath(kProfileFolder) && QFile::link(d + "/missing", profileIn(d));
     }, Saving::NotSaved},
    {"file is a directory", [](const QString& d) {
       return QDir(d).mkpath(kProfileFolder + "/" + kProfileFile);
     }, Saving::NotSaved},
    {"folder is a file", [](const QString& d) { return writeFile(d + "/" + kProfileFolder, "not a folder"); }, Saving::NotSaved},
};

}  // namespace

TEST(Settings, ABrokenProfileStartsAnEmptyListAndNeverStopsTheWindow) {
  for (const Broken& b : kBroken) {
    SCOPED_TRACE(b.name);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(b.prepare(dir.path()));
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path()));
    const std::string kindBefore = kindOf(profileIn(dir.path()));
    const qint64 sizeBefore = QFileInfo(profileIn(dir.path())).size();
    const QString after = dir.filePath(QStringLiteral("after.lum"));
    ASSERT_TRUE(writeFile(after, ""));
    {
      lumo::MainWindow w;
      // Whatever the file held, the list holds only file names the program put there.
      for (const QString& f : w.recentFiles()) EXPECT_TRUE(f.isEmpty() || f.size() < 4096) << f.size();
      EXPECT_TRUE(w.recentFiles().isEmpty()) << w.recentFiles().join('|').left(200).toStdString();
      EXPECT_TRUE(w.openDocument(after));
      EXPECT_EQ(w.windowTitle(), QStringLiteral("after.lum - Lumo"));
    }  // saving the list at the end must not throw or crash either
    lumo::MainWindow again;
    if (b.saving == Saving::Saved) {
      ASSERT_EQ(again.recentFiles().size(), 1);
      EXPECT_TRUE(again.recentFiles().front().endsWith(QStringLiteral("after.lum")));
    } else {
      EXPECT_TRUE(again.recentFiles().isEmpty());
      // Left alone: a large file keeps its size.
      EXPECT_EQ(QFileInfo(profileIn(dir.path())).size(), sizeBefore);
    }
    EXPECT_EQ(kindOf(profileIn(dir.path())), kindBefore);
    qputenv("XDG_CONFIG_HOME", savedConfig);
  }
}

// The program itself, with its configuration pointed at broken places: it starts, runs
// a script and ends normally (a FIFO in the profile's place once hung it for good).
TEST(Settings, TheProgramRunsWithABrokenProfileOrAHomeItCannotWrite) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString plainFile = dir.filePath(QStringLiteral("plain-file"));
  ASSERT_TRUE(writeFile(plainFile, "x"));
  ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("study.lum")), ""));

  struct Env {
    std::string name;
    QList<QPair<QString, QString>> vars;
  };
  std::vector<Env> envs;
  int n = 0;
  for (const Broken& b : kBroken) {
    const QString config = dir.filePath(QStringLiteral("config%1").arg(n++));
    ASSERT_TRUE(QDir().mkpath(config));
    ASSERT_TRUE(b.prepare(config)) << b.name;
    envs.push_back({b.name, {{"XDG_CONFIG_HOME", config}, {"HOME", dir.path()}}});
  }
  // A home that is not a directory, and one on a file system nobody can write (/proc).
  envs.push_back({"home is a file", {{"XDG_CONFIG_HOME", ""}, {"HOME", plainFile}}});
  envs.push_back({"read-only home", {{"XDG_CONFIG_HOME", ""}, {"HOME", "/proc"}}});
  envs.push_back({"config below a file", {{"XDG_CONFIG_HOME", plainFile + "/config"}, {"HOME", dir.path()}}});

  for (const Env& e : envs) {
    SCOPED_TRACE(e.name);
    const auto r = runLumo({dir.filePath(QStringLiteral("study.lum")), QStringLiteral("--run"),
                            QStringLiteral("where; open CDialog15; type 1010 0.25; type 1012 2; press 1020; key Escape; where")},
                           60000, e.vars);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "start\nstart\n");
    // What is left alone is said on stderr.
    for (const char* leftAlone : {"a FIFO", "a link to a FIFO", "one endless line", "file is a directory"})
      if (e.name == leftAlone) {
        EXPECT_NE(r.err.find("the settings file"), std::string::npos) << r.err;
      }
  }
}
