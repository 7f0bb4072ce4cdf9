// Pictures for teachers: what the context menu "画像を保存..." saves (a frame's client
// rectangle or the whole client area, as shown), where it is written, and the program's
// whole-number scale factor, under which saved pictures keep one pixel per canvas pixel.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>
#include <QTemporaryDir>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "app/ScreenView.h"
#include "app/print/PrintPlugin.h"
#include "support/LumoProcess.h"

namespace lumo {
namespace {

// The collimator page: two sunken frames, 1007 (line spread) and 1008 (MTF).
constexpr int kDisplay = 1003, kSpread = 1007, kMtf = 1008, kFwhm = 1009;

ScreenView& drawnCollimatorPage() {
  static ScreenView* view = [] {
    auto* v = new ScreenView("CPageA1");
    v->setText(kFwhm, "1");
    v->press(kDisplay);
    return v;
  }();
  return *view;
}

TEST(Pictures, AFramePictureIsItsClientRectangleAsShownAndTheScreenPictureIsTheClientArea) {
  ScreenView& view = drawnCollimatorPage();
  const QImage whole = view.snapshot();
  ASSERT_EQ(whole.size(), view.size());
  EXPECT_EQ(whole.devicePixelRatio(), 1.0);

  for (int id : {kSpread, kMtf}) {
    SCOPED_TRACE(id);
    const PixelRect r = view.frameRect(id);
    const QImage picture = view.framePicture(id);
    ASSERT_EQ(picture.width(), r.width());
    ASSERT_EQ(picture.height(), r.height());
    // The frames hold only canvas pixels: the picture is the drawing, pixel for pixel.
    int mismatches = 0, drawn = 0;
    for (int y = 0; y < r.height(); ++y)
      for (int x = 0; x < r.width(); ++x) {
        const draw::Color c = view.framePixel(id, x, y);
        if (picture.pixel(x, y) != draw::Canvas::toQRgb(c) || whole.pixel(r.left + x, r.top + y) != picture.pixel(x, y))
          ++mismatches;
        if (c != view.framePixel(id, 0, 0)) ++drawn;
      }
    EXPECT_EQ(mismatches, 0);
    EXPECT_GT(drawn, 100) << "the press drew nothing into the frame";
  }
}

TEST(Pictures, OnlyPictureFramesHaveAFramePicture) {
  ScreenView& view = drawnCollimatorPage();
  for (int id : {kDisplay, kFwhm, 4242, -1}) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(view.framePicture(id).isNull());
  }
}

TEST(Pictures, TheMenuChoosesTheFrameUnderThePointerWithItsBorder) {
  ScreenView& view = drawnCollimatorPage();
  const PixelRect s = view.frameRect(kSpread), m = view.frameRect(kMtf);
  struct Case {
    int x, y, frame;
  } cases[] = {
      {s.left + 10, s.top + 10, kSpread},    {s.right - 1, s.bottom - 1, kSpread},
      {s.left - 1, s.top + 5, kSpread},      {s.left - 2, s.top - 2, kSpread},  // border, sunken edge
      {s.left - 3, s.top + 5, 0},            {s.right + 2, s.top + 5, 0},
      {m.left + 1, m.bottom - 1, kMtf},      {m.right + 1, m.bottom + 1, kMtf},
      {5, 5, 0},                                                              // the face
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    EXPECT_EQ(view.frameAt(QPoint(c.x, c.y)), c.frame);
  }
  // A push button lies outside every frame.
  EXPECT_EQ(view.frameAt(view.control(kDisplay)->geometry().center()), 0);
}

// Right-clicking opens a menu whose one entry is 「画像を保存...」, over a frame and over
// the face, on a study screen and on a form without screen (the start view's template).
TEST(Pictures, ARightClickOffersToSaveOrPrintThePicture) {
  ScreenView form(loadTemplate(101));
  ScreenView& page = drawnCollimatorPage();
  const PixelRect r = page.frameRect(kMtf);
  struct Case {
    const char* what;
    ScreenView* view;
    QPoint pos;
  } cases[] = {
      {"frame", &page, QPoint(r.left + 5, r.top + 5)},
      {"face", &page, QPoint(3, 3)},
      {"start view", &form, QPoint(3, 3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.view->show();
    QStringList entries;
    bool opened = false;
    QTimer::singleShot(0, [&] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        opened = true;
        for (QAction* a : menu->actions()) entries << a->text();
        menu->close();  // no choice: nothing is saved and no dialog opens
      }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, c.pos, c.view->mapToGlobal(c.pos));
    QApplication::sendEvent(c.view, &event);
    EXPECT_TRUE(opened);
    EXPECT_EQ(entries, (QStringList{QStringLiteral("画像を保存..."), QStringLiteral("印刷...")}));
  }
}

// Printed to a PDF file: one page holding the picture itself (its pixels, not a
// resampled copy), as large as the page allows.
TEST(Pictures, PrintingPutsThePictureOnOnePage) {
  ScreenView& view = drawnCollimatorPage();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  struct Case {
    const char* what;
    QImage picture;
  } cases[] = {{"frame", view.framePicture(kMtf)}, {"screen", view.snapshot()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QString file = dir.filePath(QString::fromUtf8(c.what) + QStringLiteral(".pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    EXPECT_EQ(printPicture(c.picture, printer), QString());
    QFile pdf(file);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
    EXPECT_TRUE(bytes.contains("/Width " + QByteArray::number(c.picture.width())));
    EXPECT_TRUE(bytes.contains("/Height " + QByteArray::number(c.picture.height())));
  }
  QPrinter unused;
  EXPECT_FALSE(printPicture(QImage(), unused).isEmpty());
}

TEST(Pictures, SavingWritesAPngThatReadsBackTheSame) {
  ScreenView& view = drawnCollimatorPage();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QImage picture = view.framePicture(kMtf);

  struct Case {
    QString name, written;
  } cases[] = {
      {"mtf.png", "mtf.png"},
      {"mtf", "mtf.png"},              // a name without suffix gets .png
      {"写真 1.png", "写真 1.png"},    // spaces and Japanese in the name
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.toStdString());
    EXPECT_EQ(savePicture(picture, dir.filePath(c.name)), QString());
    QImage back(dir.filePath(c.written), "PNG");
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture.convertToFormat(QImage::Format_RGB32));
  }
  const QImage screen = view.snapshot();
  EXPECT_EQ(savePicture(screen, dir.filePath("screen.png")), QString());
  EXPECT_EQ(QImage(dir.filePath("screen.png")).size(), view.size());
}

TEST(Pictures, ASaveThatCannotBeDoneSaysSoAndWritesNothing) {
  ScreenView& view = drawnCollimatorPage();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QImage picture = view.framePicture(kSpread);
  ASSERT_TRUE(QDir(dir.path()).mkdir("taken.png"));
  struct Case {
    const char* what;
    QImage image;
    QString file;
  } cases[] = {
      {"no picture", QImage(), dir.filePath("a.png")},
      {"no file name", picture, QString()},
      {"missing folder", picture, dir.filePath("no/such/folder/a.png")},
      {"a folder in the way", picture, dir.filePath("taken.png")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(savePicture(c.image, c.file).isEmpty());
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("a.png")));
  EXPECT_FALSE(QFile::exists(dir.filePath("no")));
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A picture whose PNG runs to some hundred kilobytes: noise does not compress.
QImage noise(int size) {
  QImage image(size, size, QImage::Format_RGB32);
  QRandomGenerator rng(11);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) image.setPixel(x, y, rng.generate() & 0xFFFFFF);
  return image;
}

// A disk that fills up after a few kilobytes: the file-size limit makes every write
// beyond it fail (as ENOSPC would), while the file itself can still be created.
class FullDisk {
 public:
  explicit FullDisk(rlim_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FullDisk() { setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  rlimit saved_{};
};

QStringList entries(const QString& dir) { return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden); }

// A picture is written through a temporary file: whatever goes wrong, the old file is
// whole and nothing else is left behind; what is not a regular file is never replaced.
TEST(Pictures, AFailedWriteLeavesTheOldFileAndNeverReplacesASpecialFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QImage old = drawnCollimatorPage().framePicture(kMtf);
  const QString good = dir.filePath("good.png");
  ASSERT_EQ(writePng(old, good), QString());
  const QByteArray oldBytes = readAll(good);
  ASSERT_GT(oldBytes.size(), 100);
  const QString fifo = dir.filePath("pipe.png");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString linkToFifo = dir.filePath("link.png");
  ASSERT_TRUE(QFile::link(fifo, linkToFifo));
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.png"));

  struct Case {
    const char* what;
    QString path;
    bool fullDisk;
  } cases[] = {
      {"over a good picture on a full disk", good, true},
      {"a new file on a full disk", dir.filePath("new.png"), true},
      {"the device /dev/full", QStringLiteral("/dev/full"), false},
      {"a FIFO", fifo, false},
      {"a link to a FIFO", linkToFifo, false},
      {"a folder", dir.filePath("folder.png"), false},
      {"a folder nobody can write", QStringLiteral("/proc/lumo-picture.png"), false},
  };
  const QImage big = noise(300);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QString error;
    {
      std::optional<FullDisk> full;
      if (c.fullDisk) full.emplace(4096);
      error = writePng(big, c.path);
    }
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.contains(c.path)) << error.toStdString();
  }
  EXPECT_EQ(readAll(good), oldBytes);
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("new.png")));
  struct stat st {};
  ASSERT_EQ(stat("/dev/full", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  ASSERT_EQ(lstat(QFile::encodeName(fifo).constData(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_TRUE(QFileInfo(linkToFifo).isSymLink());
  EXPECT_EQ(entries(dir.path()), (QStringList{"folder.png", "good.png", "link.png", "pipe.png"}));

  // Without the fault the same picture goes over the old one, and a link to a regular
  // file writes its target.
  const QString linkToGood = dir.filePath("to-good.png");
  ASSERT_TRUE(QFile::link(good, linkToGood));
  EXPECT_EQ(writePng(big, linkToGood), QString());
  EXPECT_TRUE(QFileInfo(linkToGood).isSymLink());
  EXPECT_EQ(QImage(good).convertToFormat(QImage::Format_RGB32), big);
}

// The runner reports a picture it could not write with exit status 2, and the old
// picture stays whole.
TEST(Pictures, TheRunnerReportsAPictureItCouldNotWrite) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString good = dir.filePath("screen.png");
  const test::LumoRun first = test::runScript("open CDialog15; snap " + good.toStdString());
  ASSERT_EQ(first.exitCode, 0) << first.err;
  const QByteArray oldBytes = readAll(good);
  ASSERT_FALSE(oldBytes.isEmpty());

  struct Case {
    const char* what;
    std::string script;
    QString named;
    bool fullDisk;
  } cases[] = {
      {"snap over a good picture", "open CDialog5; press 1003; snap " + good.toStdString(), good, true},
      {"a frame onto a full disk", "open CPageA1; type 1009 1; press 1003; frame 1008 " + dir.filePath("f.png").toStdString(),
       dir.filePath("f.png"), true},
      {"a frame into /dev/full", "open CPageA1; frame 1008 /dev/full", "/dev/full", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    if (c.fullDisk)
      p.setChildProcessModifier([] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit small{};
        getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 256;
        setrlimit(RLIMIT_FSIZE, &small);
      });
    p.start(QStringLiteral(LUMO_BINARY_DIR "/lumo"), {QStringLiteral("--run"), QString::fromStdString(c.script)});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 2);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(c.named)) << err.toStdString();
  }
  EXPECT_EQ(readAll(good), oldBytes);
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("f.png")));
  EXPECT_EQ(entries(dir.path()), QStringList{"screen.png"});
}

// The same frame picture at scale 1 and 2: pictures keep one pixel per canvas pixel.
TEST(Scale, AScaledProgramSavesTheSameFramePictures) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  std::vector<QImage> pictures;
  for (const char* scale : {"1", "2", "3"}) {
    SCOPED_TRACE(scale);
    const QString file = dir.filePath(QStringLiteral("frame%1.png").arg(scale));
    const test::LumoRun r = test::runLumo(
        {"--scale", scale, "--run",
         QStringLiteral("open CDialog5; press 1003; check 1016; type 1009 10; press 1006; frame 1008 %1").arg(file)});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    pictures.emplace_back(file, "PNG");
    ASSERT_FALSE(pictures.back().isNull());
  }
  EXPECT_EQ(pictures[0], pictures[1]);
  EXPECT_EQ(pictures[0], pictures[2]);
}

// --scale gives exactly its factor whatever the environment asks for, and without it
// the factor never exceeds 8: `snap` shows the size the window is drawn at.
TEST(Scale, TheScaleIsExactlyTheOneForcedAndNeverAboveEight) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString plain = dir.filePath("plain.png");
  const test::LumoRun base = test::runScript("snap " + plain.toStdString());
  ASSERT_EQ(base.exitCode, 0) << base.err;
  const QSize one = QImage(plain).size();
  ASSERT_FALSE(one.isEmpty());
  struct Case {
    const char* what;
    QStringList options;
    QList<QPair<QString, QString>> env;
    int factor;
  } cases[] = {
      {"--scale 1 under screen factor 3", {"--scale", "1"}, {{"QT_SCREEN_SCALE_FACTORS", "3"}}, 1},
      {"--scale 2 under scale factor 3", {"--scale", "2"}, {{"QT_SCALE_FACTOR", "3"}, {"QT_SCREEN_SCALE_FACTORS", "2"}}, 2},
      {"screen factor 3", {}, {{"QT_SCREEN_SCALE_FACTORS", "3"}}, 3},
      {"8 times 8", {}, {{"QT_SCALE_FACTOR", "8"}, {"QT_SCREEN_SCALE_FACTORS", "8"}}, 8},
      {"a font DPI of ten times 96", {}, {{"QT_FONT_DPI", "960"}}, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QString file = dir.filePath("scaled.png");
    QFile::remove(file);
    const test::LumoRun r = test::runLumo(c.options + QStringList{"--run", "snap " + file}, 60000, c.env);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(QImage(file).size(), one * c.factor);
  }
}

TEST(Scale, AScaleThatIsNoWholeNumberFromOneToEightIsRefused) {
  for (const char* bad : {"0", "9", "1.5", "two", "", "-2"}) {
    SCOPED_TRACE(bad);
    const test::LumoRun r = test::runLumo({"--scale", bad, "--run", "where"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--scale"), std::string::npos) << r.err;
  }
  const test::LumoRun missing = test::runLumo({"--scale"});
  EXPECT_EQ(missing.exitCode, 2);
  const test::LumoRun ok = test::runLumo({"--scale", "2", "--run", "where"});
  EXPECT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_EQ(ok.out, "start\n");
}

}  // namespace
}  // namespace lumo
