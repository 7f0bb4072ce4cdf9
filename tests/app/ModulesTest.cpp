// The reconstruction lab and printing are modules the program loads when they are first
// used: the program starts with only the libraries its screens need, and without its
// modules it still runs its screens, while the lab says why it cannot open.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <string>
#include <vector>

namespace {

// The shared libraries `file` is linked with, as ldd lists them.
std::string linkedLibraries(const QString& file) {
  QProcess ldd;
  ldd.start(QStringLiteral("ldd"), {file});
  if (!ldd.waitForFinished(30000)) return {};
  return ldd.readAllStandardOutput().toStdString();
}

struct Finished {
  int exitCode = -1;
  std::string out, err;
};

Finished runCopy(const QString& program, const QStringList& args) {
  QProcess p;
  QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
  e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  p.setProcessEnvironment(e);
  p.start(program, args);
  Finished r;
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput().toStdString();
  r.err = p.readAllStandardError().toStdString();
  return r;
}

}  // namespace

TEST(Modules, TheProgramStartsWithoutTheLibrariesOfTheLabAndOfPrinting) {
  const std::string program = linkedLibraries(QStringLiteral(LUMO_BINARY_DIR "/lumo"));
  const std::string lab = linkedLibraries(QStringLiteral(LUMO_BINARY_DIR "/liblumo_lab.so"));
  const std::string print = linkedLibraries(QStringLiteral(LUMO_BINARY_DIR "/liblumo_print.so"));
  ASSERT_NE(program.find("libQt6Widgets"), std::string::npos) << program;
  for (const char* library : {"libQt6Charts", "libdcmdata", "libfftw3f"}) {
    EXPECT_EQ(program.find(library), std::string::npos) << library;
    EXPECT_NE(lab.find(library), std::string::npos) << library;
  }
  EXPECT_EQ(program.find("libQt6PrintSupport"), std::string::npos);
  EXPECT_NE(print.find("libQt6PrintSupport"), std::string::npos);
}

TEST(Modules, WithoutItsModulesTheScreensRunAndTheLabSaysWhyItCannotOpen) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString alone = dir.filePath(QStringLiteral("lumo"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(LUMO_BINARY_DIR "/lumo"), alone));

  struct Case {
    QStringList args;
    int exitCode;
    std::vector<std::string> said;  // in standard output, then in standard error
  } cases[] = {
      {{"--run", "where; open CDialog3; where"}, 0, {"start\nCDialog3\n"}},
      {{"--run", "open Lab"}, 2, {"", "reconstruction lab cannot be loaded", "liblumo_lab.so", "open Lab"}},
      {{"--lab", "--run", "where"}, 2, {"", "reconstruction lab cannot be loaded"}},
      // A command only the lab knows stays an unknown command.
      {{"--run", "set views 60"}, 2, {"", "unknown command 'set'"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const Finished r = runCopy(alone, c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    EXPECT_EQ(r.out, c.said[0]);
    for (std::size_t i = 1; i < c.said.size(); ++i) EXPECT_NE(r.err.find(c.said[i]), std::string::npos) << r.err;
  }
}

TEST(Modules, TheInstalledLayoutFindsTheModulesInItsLibraryFolder) {
  // bin/lumo beside lib/lumo/*.so, as the package installs them.
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("bin")));
  ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("lib/lumo")));
  ASSERT_TRUE(QFile::copy(QStringLiteral(LUMO_BINARY_DIR "/lumo"), dir.filePath(QStringLiteral("bin/lumo"))));
  ASSERT_TRUE(QFile::copy(QStringLiteral(LUMO_BINARY_DIR "/liblumo_lab.so"),
                          dir.filePath(QStringLiteral("lib/lumo/liblumo_lab.so"))));
  const QString csv = dir.filePath(QStringLiteral("slice.csv"));
  const Finished r = runCopy(dir.filePath(QStringLiteral("bin/lumo")),
                        {"--run", "open Lab; set matrix 64; set views 30; set method fbp; run; export slice " + csv +
                                      "; where"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Lab\n");
  QFile slice(csv);
  ASSERT_TRUE(slice.open(QIODevice::ReadOnly));
  EXPECT_EQ(slice.readAll().count('\n'), 64);
}
