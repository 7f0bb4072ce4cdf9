#include "lab/LabWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/ScreenView.h"
#include "model/tomo/Osem.h"
#include "lab/ConvergenceChart.h"
#include "lab/FiguresTable.h"
#include "lab/ImagePanel.h"
#include "lab/LabExport.h"
#include "lab/LabLabels.h"
#include "lab/ProfileChart.h"
#include "lab/ScatterChart.h"
#include "lab/SpectrumChart.h"

namespace lumo::lab {

namespace {

const char* const kPanelTitles[] = {"真の分布", "サイノグラム", "再構成画像", "誤差画像 (再構成 - 真)",
                                    "保持した再構成画像", "保持した誤差画像"};

// Millimetres of a slice's pixel: the image's own, or the lab's 420 mm field.
double pixelMmOf(const tomo::Image& im) { return im.pixelMm > 0 ? im.pixelMm : tomo::kFieldOfViewMm / std::max(1, im.n); }

// A line in an n x n image's pixels (row 0 at the top) as millimetres from the centre of
// the field (Y up), and back: the profile line is kept in millimetres, so it stays at its
// place in the body whatever the matrix.
std::array<double, 4> pixelsToMm(const QLineF& l, int n, double mm) {
  const double c = (n - 1) / 2.0;
  return {(l.x1() - c) * mm, (c - l.y1()) * mm, (l.x2() - c) * mm, (c - l.y2()) * mm};
}

QLineF mmToPixels(const std::array<double, 4>& l, int n, double mm) {
  const double c = (n - 1) / 2.0;
  return QLineF(l[0] / mm + c, c - l[1] / mm, l[2] / mm + c, c - l[3] / mm);
}

// The figures of one result as the table shows them; data without truth say why a figure is missing.
FigureSet figureSet(const LabResult& r) {
  FigureSet f = FigureSet::from(r.figures, [](const std::string& name) { return regionLabel(name); });
  if (!r.acquisition->hasTruth()) f.missing = QStringLiteral("なし (真の分布がありません)");
  f.scatterFraction = r.acquisition->scatterFraction();
  return f;
}

}  // namespace

LabWindow* LabWindow::find(QWidget* owner) {
  if (!owner) return nullptr;
  return owner->findChild<LabWindow*>(QString(), Qt::FindDirectChildrenOnly);
}

LabWindow* LabWindow::open(QWidget* owner) {
  LabWindow* lab = find(owner);
  if (!lab) lab = new LabWindow(owner);
  lab->show();
  lab->raise();
  lab->activateWindow();
  return lab;
}

LabWindow::LabWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("再構成ラボ - Lumo"));
  setObjectName(QStringLiteral("LabWindow"));
  settings_ = tomo::Settings{};

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);
  auto* bar = new QMenuBar(this);
  outer->setMenuBar(bar);

  auto* body = new QHBoxLayout;
  body->setContentsMargins(6, 6, 6, 6);
  outer->addLayout(body, 1);

  // Left: the settings and the build-up.
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* controlsHost = new QWidget(scroll);
  buildControls(controlsHost);
  scroll->setWidget(controlsHost);
  scroll->setMinimumWidth(controlsHost->sizeHint().width() + 24);
  scroll->setMaximumWidth(controlsHost->sizeHint().width() + 24);
  body->addWidget(scroll);

  // Middle: the pictures.
  panelArea_ = new QWidget(this);
  auto* grid = new QGridLayout(panelArea_);
  grid->setContentsMargins(0, 0, 0, 0);
  for (int i = 0; i < 6; ++i) {
    auto* box = new ImagePanel(QString::fromUtf8(kPanelTitles[i]), panelArea_);
    box->setSaveName(QString::fromStdString(panelNames()[i]));
    if (i == 3 || i == 5) box->setRangeMode(ImagePanel::RangeMode::Symmetric);
    panels_.push_back(box);
    grid->addWidget(box, i % 2 == 0 ? 0 : 1, i < 2 ? 0 : i < 4 ? 1 : 2);
    if (i >= 4) box->hide();
  }
  ImagePanel* slicePanel = panel(2);
  slicePanel->setProfileEnabled(true);
  connect(slicePanel, &ImagePanel::profileLineChanged, this, [this](const QLineF& l) {
    if (pushingLine_) return;
    // The student moved the line: from the slice's pixels to millimetres.
    const ImagePanel* p = panel(2);
    const int n = p->imageWidth();
    lineMm_ = pixelsToMm(l, n, slicePixelMm(n));
    updateProfile();
  });
  // Truth and sinogram left, slice and error right: the order a student reads them.
  body->addWidget(panelArea_, 1);

  // Right: curves and figures.
  auto* right = new QVBoxLayout;
  profileChart_ = new ProfileChart(this);
  // The curves and the table are 380 pixels wide when the window has the room and may
  // give way to 300 (a 1366 x 768 laptop shows the lab whole, comparing too); the pictures
  // shrink down to one screen pixel per image pixel.
  profileChart_->setMinimumSize(300, 200);
  convergenceChart_ = new ConvergenceChart(this);
  convergenceChart_->setMinimumSize(300, 200);
  profileChart_->setSaveName(QStringLiteral("profile"));
  convergenceChart_->setSaveName(QStringLiteral("convergence"));
  // The convergence, the energy spectrum and the scatter share one place, a tab each.
  spectrumChart_ = new SpectrumChart(this);
  spectrumChart_->setSaveName(QStringLiteral("spectrum"));
  scatterChart_ = new ScatterChart(this);
  scatterChart_->setSaveName(QStringLiteral("scatter"));
  curveTabs_ = new QTabWidget(this);
  curveTabs_->setObjectName(QStringLiteral("curveTabs"));
  curveTabs_->setDocumentMode(true);
  curveTabs_->addTab(convergenceChart_, QStringLiteral("収束"));
  curveTabs_->addTab(spectrumChart_, QStringLiteral("エネルギースペクトル"));
  curveTabs_->addTab(scatterChart_, QStringLiteral("散乱線"));
  figuresTable_ = new FiguresTable(this);
  figuresTable_->setSaveName(QStringLiteral("figures"));
  figuresTable_->setMinimumSize(300, 140);
  right->addWidget(profileChart_, 1);
  right->addWidget(curveTabs_, 1);
  right->addWidget(figuresTable_, 1);
  body->addLayout(right);

  progressLine_ = new QLabel(this);
  progressLine_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  progressLine_->setContentsMargins(6, 2, 6, 2);
  outer->addWidget(progressLine_);

  buildMenu(bar);

  connect(&worker_, &LabWorker::frameReady, this, &LabWindow::onFrame, Qt::QueuedConnection);
  connect(&worker_, &LabWorker::resultReady, this, &LabWindow::onResult, Qt::QueuedConnection);
  connect(&worker_, &LabWorker::failed, this, &LabWindow::onFailed, Qt::QueuedConnection);
  connect(&timer_, &QTimer::timeout, this, [this] { worker_.advance(1); });

  resize(1720, 960);
  showSettingsInControls();
  recompute();
}

LabWindow::~LabWindow() { worker_.cancel(); }

// The slices of what is shown: the result's, or before the first result the settings'.
int LabWindow::shownSlices() const {
  return result_ ? result_->reconstruction.volume.slices : tomo::effectiveSlices(settings_.slices, settings_.matrix);
}

int LabWindow::shownSlice() const {
  const int slices = shownSlices();
  return slice_ >= 0 && slice_ < slices ? slice_ : (slices - 1) / 2;
}

std::string LabWindow::setShownSlice(int k) {
  const int slices = shownSlices();
  if (k < 0 || k >= slices)
    return "slice " + std::to_string(k) + " is outside the volume (0 to " + std::to_string(slices - 1) + ")";
  slice_ = k;
  showResult();
  return {};
}

tomo::Image LabWindow::sliceOf(const tomo::Volume& v) const {
  if (v.empty()) return {};
  return v.slice(slice_ >= 0 && slice_ < v.slices ? slice_ : v.centralSlice());
}

tomo::Sinogram LabWindow::sinogramOf(const tomo::ProjectionStack& p) const {
  if (!p.consistent()) return {};
  const int rows = p.geometry.rows;
  return p.row(slice_ >= 0 && slice_ < rows ? slice_ : (rows - 1) / 2);
}

void LabWindow::closeEvent(QCloseEvent* event) {
  timer_.stop();
  worker_.cancel();
  buildUp_ = false;
  QWidget::closeEvent(event);
}

void LabWindow::buildControls(QWidget* host) {
  auto* column = new QVBoxLayout(host);
  column->setContentsMargins(4, 4, 4, 4);
  std::map<tomo::SettingGroup, QFormLayout*> forms;
  for (tomo::SettingGroup g :
       {tomo::SettingGroup::Acquisition, tomo::SettingGroup::Reconstruction, tomo::SettingGroup::PostProcessing}) {
    auto* box = new QGroupBox(groupTitle(g), host);
    auto* form = new QFormLayout(box);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    forms[g] = form;
    column->addWidget(box);
  }
  // One control per declared key, made the same way for every key from its declaration.
  for (const tomo::SettingInfo& info : tomo::settingTable()) {
    const QString text = QString::fromStdString(info.label);
    const QString unit = QString::fromStdString(info.unit);
    QFormLayout* form = forms[info.group];
    QWidget* w = nullptr;
    const std::string key = info.key;
    if (info.kind == tomo::SettingKind::OnOff) {
      auto* c = new QCheckBox(text, host);
      connect(c, &QCheckBox::toggled, this, [this, key](bool on) { controlChanged(key, on ? "on" : "off"); });
      form->addRow(c);
      w = c;
    } else if (info.kind == tomo::SettingKind::Choice) {
      auto* c = new QComboBox(host);
      for (std::size_t i = 0; i < info.choices.size(); ++i) {
        QString item = QString::fromStdString(info.choiceLabels[i]);
        if (!unit.isEmpty()) item += QStringLiteral(" ") + unit;
        c->addItem(item, QString::fromStdString(info.choices[i]));
      }
      connect(c, &QComboBox::activated, this,
              [this, key, c](int i) { controlChanged(key, c->itemData(i).toString().toStdString()); });
      form->addRow(text, c);
      w = c;
    } else if (info.kind == tomo::SettingKind::Whole) {
      auto* s = new QSpinBox(host);
      const double lo = std::max(info.min, double(std::numeric_limits<int>::min()));
      const double hi = std::min(info.max, double(std::numeric_limits<int>::max()));
      s->setRange(int(std::ceil(lo)), int(std::floor(hi)));
      s->setSingleStep(int(std::max(1.0, info.step)));
      s->setAccelerated(true);
      s->setKeyboardTracking(false);
      if (!unit.isEmpty()) s->setSuffix(QStringLiteral(" ") + unit);
      connect(s, &QSpinBox::valueChanged, this, [this, key](int v) { controlChanged(key, std::to_string(v)); });
      form->addRow(text, s);
      w = s;
    } else {
      auto* s = new QDoubleSpinBox(host);
      s->setDecimals(info.decimals);
      s->setRange(info.min, info.max);
      s->setSingleStep(info.step);
      if (!info.zeroText.empty()) s->setSpecialValueText(QString::fromStdString(info.zeroText));
      s->setAccelerated(true);
      s->setKeyboardTracking(false);
      // The lab reads numbers with a point whatever the user's locale.
      s->setLocale(QLocale::c());
      if (!unit.isEmpty()) s->setSuffix(QStringLiteral(" ") + unit);
      connect(s, &QDoubleSpinBox::valueChanged, this,
              [this, key](double v) { controlChanged(key, csvNumber(v)); });
      form->addRow(text, s);
      w = s;
    }
    w->setObjectName(QString::fromStdString("setting-" + key));
    w->setToolTip(QString::fromStdString(info.tooltip));
    if (QWidget* label = form->labelForField(w)) label->setToolTip(w->toolTip());
    controls_.push_back({&info, w});
  }

  auto* build = new QGroupBox(QStringLiteral("再構成の過程"), host);
  auto* bl = new QGridLayout(build);
  playButton_ = new QPushButton(QStringLiteral("再生(&P)"), build);
  stepButton_ = new QPushButton(QStringLiteral("コマ送り(&N)"), build);
  playButton_->setToolTip(QStringLiteral("再構成の過程を再生・一時停止 (F5)"));
  stepButton_->setToolTip(QStringLiteral("1 ステップ進める (F6)"));
  speedBox_ = new QSpinBox(build);
  speedBox_->setRange(1, 200);
  speedBox_->setValue(speed_);
  speedBox_->setSuffix(QStringLiteral(" ステップ/秒"));
  speedBox_->setObjectName(QStringLiteral("speed"));
  bl->addWidget(playButton_, 0, 0);
  bl->addWidget(stepButton_, 0, 1);
  bl->addWidget(new QLabel(QStringLiteral("速度"), build), 1, 0);
  bl->addWidget(speedBox_, 1, 1);
  connect(playButton_, &QPushButton::clicked, this, [this] { playing() ? pause() : play(); });
  connect(stepButton_, &QPushButton::clicked, this, &LabWindow::step);
  connect(speedBox_, &QSpinBox::valueChanged, this, &LabWindow::setSpeed);
  column->addWidget(build);

  auto* view = new QGroupBox(QStringLiteral("表示"), host);
  auto* vl = new QFormLayout(view);
  scaleBox_ = new QComboBox(view);
  scaleBox_->addItem(QStringLiteral("レインボー"));
  scaleBox_->addItem(QStringLiteral("グレー"));
  scaleBox_->addItem(QStringLiteral("ホット"));
  scaleBox_->setObjectName(QStringLiteral("colourScale"));
  vl->addRow(QStringLiteral("カラースケール"), scaleBox_);
  compareButton_ = new QPushButton(QStringLiteral("比較(&C)"), view);
  compareButton_->setCheckable(true);
  compareButton_->setToolTip(QStringLiteral("現在の結果を保持して次の結果と並べる"));
  vl->addRow(compareButton_);
  connect(compareButton_, &QPushButton::toggled, this, &LabWindow::setComparing);
  connect(scaleBox_, &QComboBox::currentIndexChanged, this, [this] { showResult(); });
  column->addWidget(view);
  buildDicomControls(host, column);
  column->addStretch(1);
}

void LabWindow::buildMenu(QMenuBar* bar) {
  QMenu* file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  QAction* pic = file->addAction(QStringLiteral("画像を保存(&S)..."));
  pic->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  connect(pic, &QAction::triggered, this, &LabWindow::saveWindowPicture);
  file->addSeparator();
  const std::pair<const char*, const char*> csvs[] = {{"profile", "プロファイルを CSV で保存(&P)..."},
                                                      {"convergence", "収束を CSV で保存(&V)..."},
                                                      {"figures", "評価値を CSV で保存(&G)..."},
                                                      {"slice", "再構成画像を CSV で保存(&R)..."}};
  for (const auto& [what, text] : csvs) {
    const std::string w = what;
    connect(file->addAction(QString::fromUtf8(text)), &QAction::triggered, this, [this, w] { saveCsvDialog(w); });
  }
  addDicomActions(file);
  file->addSeparator();
  QAction* close = file->addAction(QStringLiteral("閉じる(&C)"));
  close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
  connect(close, &QAction::triggered, this, &QWidget::close);

  QMenu* build = bar->addMenu(QStringLiteral("過程(&B)"));
  QAction* play = build->addAction(QStringLiteral("再生/一時停止(&P)"));
  play->setShortcut(QKeySequence(Qt::Key_F5));
  connect(play, &QAction::triggered, this, [this] { playing() ? pause() : this->play(); });
  QAction* stepAction = build->addAction(QStringLiteral("コマ送り(&N)"));
  stepAction->setShortcut(QKeySequence(Qt::Key_F6));
  connect(stepAction, &QAction::triggered, this, &LabWindow::step);
  // Shortcuts of a menu bar inside a window work only when the actions belong to it.
  addActions({pic, close, play, stepAction});
}

QWidget* LabWindow::control(const std::string& key) const {
  for (const SettingControl& c : controls_)
    if (c.info->key == key) return c.widget;
  return nullptr;
}

void LabWindow::showSettingsInControls() {
  updatingControls_ = true;
  for (const SettingControl& c : controls_) {
    const tomo::SettingInfo& info = *c.info;
    const std::string value = info.text(settings_);
    if (auto* b = qobject_cast<QCheckBox*>(c.widget)) {
      b->setChecked(value == "on");
    } else if (auto* combo = qobject_cast<QComboBox*>(c.widget)) {
      const int i = combo->findData(QString::fromStdString(value));
      if (i >= 0) combo->setCurrentIndex(i);
    } else if (auto* s = qobject_cast<QSpinBox*>(c.widget)) {
      // Limits that follow another setting (subsets: the views; slices: the matrix).
      if (info.maxField) s->setMaximum(std::max(int(info.min), settings_.*info.maxField));
      s->setValue(int(std::lround(std::strtod(value.c_str(), nullptr))));
    } else if (auto* d = qobject_cast<QDoubleSpinBox*>(c.widget)) {
      d->setValue(QByteArray::fromStdString(value).toDouble());
    }
    // Settings that do nothing for the chosen method, pre-filter, ... are shown but greyed;
    // with imported data the acquisition's too (showImportedState).
    c.widget->setEnabled(info.relevantFor(settings_) && (!imported() || usableWithImportedData(info)));
  }
  showImportedState();
  updatingControls_ = false;
}

std::string LabWindow::setSetting(const std::string& key, const std::string& value) {
  tomo::Settings s = settings_;
  const std::string message = tomo::applySetting(s, key, value);
  if (!message.empty()) return message;
  settings_ = s;
  showSettingsInControls();
  recompute();
  return {};
}

void LabWindow::controlChanged(const std::string& key, const std::string& value) {
  if (updatingControls_) return;
  tomo::Settings s = settings_;
  const std::string message = tomo::applySetting(s, key, value);
  if (!message.empty()) {
    // The controls' ranges are the table's, so this is a value the engine refuses for
    // another reason: show why and put the control back.
    progress_ = QStringLiteral("設定できません: ") + QString::fromStdString(message);
    progressLine_->setText(progress_);
    showSettingsInControls();
    return;
  }
  settings_ = s;
  showSettingsInControls();
  recompute();
}

void LabWindow::recompute() {
  timer_.stop();
  buildUp_ = false;
  failure_.clear();
  shownStep_ = totalSteps_ = 0;
  requestedGeneration_ = worker_.submit(settings_, LabWorker::Mode::Live);
  progress_ = QStringLiteral("計算中...");
  progressLine_->setText(progress_);
  updateButtons();
}

void LabWindow::startBuildUp() {
  buildUp_ = true;
  failure_.clear();
  convergenceChart_->clear();
  convergenceChart_->setIterationRange(settings_.method == tomo::Method::Fbp ? 1 : settings_.iterations);
  shownStep_ = 0;
  totalSteps_ = 0;
  requestedGeneration_ = worker_.submit(settings_, LabWorker::Mode::BuildUp);
  progress_ = QStringLiteral("再構成の過程: 開始");
  progressLine_->setText(progress_);
}

void LabWindow::play() {
  if (!buildUp_) startBuildUp();
  timer_.start(std::max(1, 1000 / std::max(1, speed_)));
  updateButtons();
}

void LabWindow::pause() {
  timer_.stop();
  updateButtons();
}

void LabWindow::step() {
  if (!buildUp_) startBuildUp();
  timer_.stop();
  worker_.advance(1);
  updateButtons();
}

void LabWindow::setSpeed(int stepsPerSecond) {
  speed_ = std::clamp(stepsPerSecond, 1, 200);
  if (speedBox_ && speedBox_->value() != speed_) speedBox_->setValue(speed_);
  if (timer_.isActive()) timer_.start(std::max(1, 1000 / speed_));
}

void LabWindow::advanceToEnd() {
  timer_.stop();
  if (buildUp_) worker_.advance(1 << 24);
  updateButtons();
}

bool LabWindow::setColourScale(const std::string& name) {
  const char* names[] = {"rainbow", "grey", "hot"};
  for (int i = 0; i < 3; ++i)
    if (name == names[i]) {
      scaleBox_->setCurrentIndex(i);
      return true;
    }
  return false;
}

void LabWindow::updateButtons() {
  if (playButton_) playButton_->setText(playing() ? QStringLiteral("一時停止(&P)") : QStringLiteral("再生(&P)"));
}

QString LabWindow::progressText() const { return progress_; }

void LabWindow::onFrame(quint64 generation, std::shared_ptr<const LabFrame> frame) {
  if (generation != requestedGeneration_) {
    ++dropped_;
    return;
  }
  worker_.frameShown();
  shownStep_ = frame->index;
  totalSteps_ = frame->total;
  const bool fbp = settings_.method == tomo::Method::Fbp;
  if (fbp) {
    progress_ = QStringLiteral("FBP: 逆投影 %1 / %2 方向").arg(frame->index).arg(frame->total);
  } else {
    // The engine's own plan: the subsets it uses, never more than the views.
    const tomo::SubsetPlan plan = tomo::subsetPlan(settings_, frame->acquisition ? frame->acquisition->data.geometry.views
                                                                                 : settings_.views);
    progress_ = QStringLiteral("%1: 反復 %2 / %3").arg(settings_.method == tomo::Method::Osem ? "OSEM" : "MLEM")
                    .arg(plan.at(frame->index).iteration).arg(plan.iterations);
    if (plan.subsets > 1) progress_ += QStringLiteral(" (サブ反復 %1 / %2)").arg(frame->index).arg(plan.steps());
    if (buildUp_) convergenceChart_->addPoint(frame->iteration, frame->nrmse, frame->cv);
  }
  if (buildUp_) progress_ = QStringLiteral("再構成の過程 - ") + progress_;
  progressLine_->setText(progress_);
  if (frame->acquisition && (!result_ || result_->acquisition != frame->acquisition)) {
    showImage(0, sliceOf(frame->acquisition->truth()));
    showSinogram(sinogramOf(frame->acquisition->data));
  }
  showImage(2, sliceOf(frame->partial));
  // The frames are the newest settings' work, whatever the last result was.
  panel(2)->setTitle(QString::fromUtf8(kPanelTitles[2]) + QStringLiteral(" (%1)").arg(methodLabel(settings_)));
  shareRanges();
  emit frameShown(frame->index, frame->total);
}

void LabWindow::onResult(quint64 generation, std::shared_ptr<const LabResult> result) {
  if (generation != requestedGeneration_) {
    ++dropped_;
    return;
  }
  result_ = std::move(result);
  shownGeneration_ = generation;
  if (compareButton_ && compareButton_->isChecked() && !kept_) {
    kept_ = result_;
    for (int i = 4; i < 6; ++i) panels_[i]->setVisible(true);
  }
  if (buildUp_) {
    timer_.stop();
    buildUp_ = false;
    shownStep_ = totalSteps_ = result_->steps;
  }
  progress_ = QStringLiteral("完了 (%1 ms)").arg(result_->milliseconds, 0, 'f', 0);
  progressLine_->setText(progress_);
  showResult();
  updateButtons();
  emit resultShown(generation);
}

void LabWindow::onFailed(quint64 generation, const QString& message) {
  if (generation != requestedGeneration_) return;
  shownGeneration_ = generation;
  failure_ = message;
  timer_.stop();
  buildUp_ = false;
  progress_ = QStringLiteral("計算できません: ") + message;
  progressLine_->setText(progress_);
  updateButtons();
}

ImagePanel* LabWindow::panel(int index) const { return static_cast<ImagePanel*>(panels_[std::size_t(index)]); }

void LabWindow::showImage(int index, const tomo::Image& image) {
  if (index < 0 || index >= int(panels_.size())) return;
  ImagePanel* p = panel(index);
  if (image.n == 0 && (index == 0 || index == 3 || index == 5)) {
    p->setUnavailable(index == 0 ? QStringLiteral("真の分布はありません\n(DICOMファイルのデータ)")
                                 : QStringLiteral("真の分布がないため\n誤差画像はありません"));
    return;
  }
  p->setColourScale(scaleKind());
  if (index != 2) {
    p->setImage(image.px, image.n);
    return;
  }
  // The slice's panel follows a new matrix with its line on its own; the window puts the
  // line back where it is in millimetres instead.
  pushingLine_ = true;
  p->setImage(image.px, image.n);
  if (lineMm_ && image.n > 0) {
    p->setProfileLine(mmToPixels(*lineMm_, image.n, pixelMmOf(image)));
  } else {
    p->resetProfileLine();
  }
  pushingLine_ = false;
}

// Comparing, the kept and the current slice share one colour range, and the two error
// images one range symmetric about zero: the same colour is the same count in both, as a
// student comparing them will read it. Alone, each panel spans its own values.
void LabWindow::shareRanges() {
  const auto share = [this](int a, int b, ImagePanel::RangeMode own) {
    ImagePanel* pa = panel(a);
    ImagePanel* pb = panel(b);
    if (!kept_ || !pa->hasImage() || !pb->hasImage()) {
      pa->setRangeMode(own);
      pb->setRangeMode(own);
      return;
    }
    const draw::ValueRange ra = pa->dataRange(own), rb = pb->dataRange(own);
    const draw::ValueRange both{std::min(ra.lo, rb.lo), std::max(ra.hi, rb.hi)};
    pa->setFixedRange(both);
    pb->setFixedRange(both);
  };
  share(2, 4, ImagePanel::RangeMode::Full);
  share(3, 5, ImagePanel::RangeMode::Symmetric);
}

void LabWindow::updateTitles() {
  const QString method = result_ ? QStringLiteral(" (%1)").arg(methodLabel(result_->settings)) : QString();
  // In a volume, which slice the pictures show (numbered as the runner's `slice` counts them).
  const int slices = shownSlices();
  const QString where = slices > 1 ? QStringLiteral(" - スライス %1 (0 - %2)").arg(shownSlice()).arg(slices - 1) : QString();
  panel(0)->setTitle(QString::fromUtf8(kPanelTitles[0]) + where);
  panel(2)->setTitle(QString::fromUtf8(kPanelTitles[2]) + method + where);
  const QString kept = kept_ ? QStringLiteral(" (%1)").arg(methodLabel(kept_->settings)) : QString();
  panel(4)->setTitle(QString::fromUtf8(kPanelTitles[4]) + kept);
  panel(5)->setTitle(QString::fromUtf8(kPanelTitles[5]) + kept);
}

void LabWindow::showSinogram(const tomo::Sinogram& s) {
  auto* p = static_cast<ImagePanel*>(panels_[1]);
  p->setColourScale(scaleKind());
  p->setImage(s.counts, s.geometry.bins, s.geometry.views);
}

draw::ScaleKind LabWindow::scaleKind() const {
  const int i = scaleBox_ ? scaleBox_->currentIndex() : 0;
  return i == 1 ? draw::ScaleKind::Grey : i == 2 ? draw::ScaleKind::Hot : draw::ScaleKind::Rainbow;
}

void LabWindow::showResult() {
  if (!result_) return;
  showImage(0, sliceOf(result_->acquisition->truth()));
  showSinogram(sinogramOf(result_->acquisition->data));
  showImage(2, sliceOf(result_->reconstruction.volume));
  showImage(3, sliceOf(result_->error));
  if (kept_) {
    showImage(4, sliceOf(kept_->reconstruction.volume));
    showImage(5, sliceOf(kept_->error));
  }
  shareRanges();
  updateTitles();
  updateFigures();
  updateProfile();
  updateConvergence();
  updateScatter();
}

// The spectrum of the acquisition with its windows, and the true scatter of the shown row beside
// the settings' estimate; data without windows leave both empty and say why.
void LabWindow::updateScatter() {
  const tomo::Acquisition& a = *result_->acquisition;
  if (!a.hasWindows()) {
    const QString why = a.hasTruth() ? QStringLiteral("散乱線なし") : QStringLiteral("ウィンドウのないデータ");
    spectrumChart_->clear(why);
    scatterChart_->clear(why);
    return;
  }
  if (a.primaryTotal + a.scatterTotal > 0) {
    std::vector<double> keV;
    for (int i = 0; i <= 240; ++i) keV.push_back(50 + 0.5 * i);
    const tomo::SpectrumCounts counts = tomo::spectrumCounts(a, keV);
    spectrumChart_->setSpectrum(keV, counts.primary, counts.scatter, a.windows);
  } else {
    spectrumChart_->clear(QStringLiteral("ファイルのデータにはスペクトルがありません"));  // a camera's windows, not its spectrum
  }
  // Each bin of the row summed over the views.
  auto sumOverViews = [](const tomo::Sinogram& s) {
    std::vector<double> sum(static_cast<std::size_t>(s.geometry.bins), 0.0);
    for (int v = 0; v < s.geometry.views; ++v)
      for (int b = 0; b < s.geometry.bins; ++b) sum[static_cast<std::size_t>(b)] += s.at(v, 0, b);
    return sum;
  };
  tomo::ProjectionStack estimate = a.data;
  estimate.counts = tomo::scatterEstimate(result_->settings, a);
  const bool estimated = estimate.counts.size() == a.data.counts.size();
  const QString method = result_->settings.sc == tomo::ScatterCorrection::Tew   ? QStringLiteral("TEW")
                         : result_->settings.sc == tomo::ScatterCorrection::Dew ? QStringLiteral("DEW")
                                                                                : QString();
  scatterChart_->setScatter(sumOverViews(sinogramOf(a.scatter)), estimated ? sumOverViews(sinogramOf(estimate)) : std::vector<double>{},
                            a.data.geometry.binMm, method);
}

void LabWindow::updateFigures() {
  if (!result_) {
    figuresTable_->clearFigures();
    return;
  }
  std::vector<FigureSet> sets{figureSet(*result_)};
  QStringList titles{QStringLiteral("現在")};
  if (kept_) {
    sets.push_back(figureSet(*kept_));
    titles = QStringList{QStringLiteral("現在\n%1").arg(methodLabel(result_->settings)),
                         QStringLiteral("保持\n%1").arg(methodLabel(kept_->settings))};
  }
  figuresTable_->setFigures(sets, titles);
}

std::string LabWindow::figuresCsv() const { return figuresTable_->toCsv(); }

void LabWindow::updateProfile() {
  if (!result_) {
    profileChart_->clear();
    return;
  }
  const bool truth = result_->acquisition->hasTruth();
  // Imported data reconstruct in counts; a phantom's acquisition in kBq/mL.
  profileChart_->setCalibrated(truth);
  profileChart_->setSliceLabel(QStringLiteral("再構成画像 (%1)").arg(methodLabel(result_->settings)));
  profileChart_->setProfiles(sliceProfile(), truth ? truthProfile() : std::vector<float>{}, profileLengthMm());
  profileChart_->setCompared(keptProfile(),
                             kept_ ? QStringLiteral("保持 (%1)").arg(methodLabel(kept_->settings)) : QString());
}

// The finished curve: NRMSE and CV of every iteration, FBP's as the flat reference.
void LabWindow::updateConvergence() {
  convergenceChart_->clear();
  if (!result_) return;
  const bool fbp = result_->settings.method == tomo::Method::Fbp;
  convergenceChart_->setIterationRange(fbp ? 1 : result_->settings.iterations);
  std::vector<ConvergenceChart::Point> points;
  if (!fbp)
    for (const tomo::IterationRecord& h : result_->reconstruction.history) points.push_back({double(h.iteration), h.nrmse, h.cv});
  convergenceChart_->setPoints(points);
  if (result_->fbpReference) convergenceChart_->setFbpReference(result_->fbpReference->nrmse, result_->fbpReference->cv);
}

int LabWindow::profileSamples() const { return result_ ? sliceOf(result_->reconstruction.volume).n : settings_.matrix; }

void LabWindow::setProfileLine(double x0, double y0, double x1, double y1) {
  ImagePanel* p = panel(2);
  if (p->hasImage()) {
    p->setProfileLine(QLineF(x0, y0, x1, y1));  // comes back through profileLineChanged
  } else {
    lineMm_ = pixelsToMm(QLineF(x0, y0, x1, y1), settings_.matrix, slicePixelMm(settings_.matrix));
  }
  updateProfile();
}

void LabWindow::setProfileLineMm(double X0, double Y0, double X1, double Y1) {
  lineMm_ = std::array<double, 4>{X0, Y0, X1, Y1};
  if (result_) showImage(2, sliceOf(result_->reconstruction.volume));  // the panel's line follows
  updateProfile();
}

std::array<double, 4> LabWindow::profileLineMm() const {
  if (lineMm_) return *lineMm_;
  // The central row of the current slice (the panel's: row n / 2), from the centre of its
  // first pixel to its last.
  const int n = result_ ? sliceOf(result_->reconstruction.volume).n : settings_.matrix;
  return pixelsToMm(QLineF(0, n / 2, n - 1, n / 2), n, slicePixelMm(n));
}

double LabWindow::slicePixelMm(int n) const {
  if (result_ && sliceOf(result_->reconstruction.volume).n == n) return pixelMmOf(sliceOf(result_->reconstruction.volume));
  return tomo::kFieldOfViewMm / std::max(1, n);
}

double LabWindow::profileLengthMm() const {
  const std::array<double, 4> l = profileLineMm();
  return std::hypot(l[2] - l[0], l[3] - l[1]);
}

// An image along the line: its own pixels found from the millimetres, so every image is
// sampled at the same places in the body.
std::vector<float> LabWindow::profileOf(const tomo::Image& im) const {
  if (im.n <= 0) return {};
  const QLineF l = mmToPixels(profileLineMm(), im.n, pixelMmOf(im));
  return tomo::profile(im, l.x1(), l.y1(), l.x2(), l.y2(), profileSamples());
}

std::vector<float> LabWindow::sliceProfile() const {
  if (!result_) return {};
  return profileOf(sliceOf(result_->reconstruction.volume));
}

std::vector<float> LabWindow::truthProfile() const {
  if (!result_) return {};
  if (!result_->acquisition->hasTruth()) return std::vector<float>(sliceProfile().size(), std::nanf(""));
  return profileOf(sliceOf(result_->acquisition->truth()));
}

std::vector<float> LabWindow::keptProfile() const {
  if (!kept_ || !result_) return {};
  return profileOf(sliceOf(kept_->reconstruction.volume));
}

void LabWindow::setComparing(bool on) {
  if (compareButton_ && compareButton_->isChecked() != on) {
    compareButton_->setChecked(on);  // comes back here through toggled
    return;
  }
  // Turned on before any result: the first one to arrive is kept (onResult).
  kept_ = on ? result_ : nullptr;
  for (int i = 4; i < 6; ++i) panels_[i]->setVisible(kept_ != nullptr);
  showResult();
  if (!result_) updateTitles();
}

const std::vector<std::string>& LabWindow::panelNames() {
  static const std::vector<std::string> names = {"truth",   "sinogram",    "slice",   "error",    "kept-slice", "kept-error",
                                                 "profile", "convergence", "figures", "settings", "spectrum",   "scatter"};
  return names;
}

QImage LabWindow::panelPicture(const std::string& name) {
  const auto& names = panelNames();
  const auto it = std::find(names.begin(), names.end(), name);
  if (it == names.end()) return {};
  const int i = int(it - names.begin());
  QWidget* w = nullptr;
  if (i < 6) {
    w = panels_[i];
  } else if (name == "profile") {
    w = profileChart_;
  } else if (name == "convergence" || name == "spectrum" || name == "scatter") {
    // A chart in a tab is brought to the front first, as a student would click its tab.
    w = name == "convergence" ? static_cast<QWidget*>(convergenceChart_)
        : name == "spectrum"  ? static_cast<QWidget*>(spectrumChart_)
                              : static_cast<QWidget*>(scatterChart_);
    curveTabs_->setCurrentWidget(w);
  } else if (name == "figures") {
    w = figuresTable_;
  } else if (name == "settings") {
    w = controls_.empty() ? nullptr : controls_.front().widget->parentWidget();
  }
  if (!w || !w->isVisible()) return {};
  if (auto* p = qobject_cast<ImagePanel*>(w)) return p->picture();
  return w->grab().toImage();
}

QImage LabWindow::snapshot() { return grab().toImage(); }

void LabWindow::saveWindowPicture() {
  askToSavePicture(this, snapshot(), QStringLiteral("lab"));
}

void LabWindow::saveCsvDialog(const std::string& what) {
  if (!result_) {
    QMessageBox::information(this, QStringLiteral("CSV で保存"), QStringLiteral("保存する結果がまだありません"));
    return;
  }
  QString error;
  const std::string text = csvText(*this, what, &error);
  if (error.isEmpty()) askToSaveCsv(this, text, QString::fromStdString(what));
}

}  // namespace lumo::lab
