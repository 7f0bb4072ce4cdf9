#include "lab/LabWorker.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <exception>

#include "model/tomo/Osem.h"

namespace lumo::lab {

namespace {

using Clock = std::chrono::steady_clock;

// A live computation sends at most one frame this often, and only once the window has
// shown the previous one: a slow window never fills its queue with stale pictures.
constexpr auto kLiveFrameInterval = std::chrono::milliseconds(40);

tomo::Volume difference(const tomo::Volume& a, const tomo::Volume& b) {
  tomo::Volume d = a;
  for (std::size_t i = 0; i < a.v.size() && i < b.v.size(); ++i) d.v[i] = a.v[i] - b.v[i];
  return d;
}

}  // namespace


LabWorker::LabWorker(QObject* parent) : QObject(parent) {
  static const bool registered = [] {
    qRegisterMetaType<std::shared_ptr<const LabFrame>>();
    qRegisterMetaType<std::shared_ptr<const LabResult>>();
    return true;
  }();
  (void)registered;
  thread_ = std::thread([this] { loop(); });
}

LabWorker::~LabWorker() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    pending_.reset();
    ++generation_;
  }
  wake_.notify_all();
  thread_.join();
}

quint64 LabWorker::submit(const tomo::Settings& settings, Mode mode) {
  quint64 g = 0;
  {
    std::lock_guard lock(mutex_);
    g = ++generation_;
    pending_ = Request{g, settings, mode, imported_};
    grants_ = 0;
    busy_ = true;
  }
  wake_.notify_all();
  return g;
}

void LabWorker::setImported(std::shared_ptr<const tomo::Acquisition> imported) {
  std::lock_guard lock(mutex_);
  imported_ = std::move(imported);
}

void LabWorker::advance(int steps) {
  if (steps <= 0) return;
  {
    std::lock_guard lock(mutex_);
    grants_ += steps;
  }
  wake_.notify_all();
}

void LabWorker::cancel() {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    pending_.reset();
  }
  wake_.notify_all();
}

bool LabWorker::waitForGrant(quint64 generation) {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [&] { return stopping_ || stale(generation) || grants_ > 0; });
  if (stopping_ || stale(generation)) return false;
  --grants_;
  return true;
}

void LabWorker::loop() {
  // Below the UI thread: on a busy machine the window keeps its share of the cores. The
  // engine's helper threads are started from this one and inherit its niceness.
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
  for (;;) {
    Request r;
    {
      std::unique_lock lock(mutex_);
      if (!pending_) busy_ = false;
      wake_.wait(lock, [&] { return stopping_ || pending_.has_value(); });
      if (stopping_) return;
      r = std::move(*pending_);
      pending_.reset();
    }
    try {
      compute(r);
    } catch (const std::exception& e) {
      if (!stale(r.generation)) emit failed(r.generation, QString::fromUtf8(e.what()));
    }
  }
}

void LabWorker::compute(const Request& r) {
  const auto start = Clock::now();
  if (r.imported) {
    acquisition_.reset();  // the phantom is acquired again when the lab goes back to it
  } else if (!acquisition_ || !tomo::sameAcquisition(acquired_, r.settings)) {
    acquisition_.reset();
    auto acquired = std::make_shared<tomo::Acquisition>(tomo::acquire(r.settings));
    acquisition_ = std::move(acquired);
    acquired_ = r.settings;
  }
  const std::shared_ptr<const tomo::Acquisition> acq = r.imported ? r.imported : acquisition_;
  if (stale(r.generation)) return;
  // Imported data: no attenuation map, truth or phantom, so no figures that need them.
  const bool truth = acq->hasTruth();
  // The correction's own map (its soft tissue at acmu) and the settings' scatter estimate.
  const tomo::Volume correction = truth ? tomo::correctionMap(r.settings, *acq) : tomo::Volume{};
  const tomo::Volume* mu = truth ? &correction : nullptr;
  const std::vector<float> scatter = tomo::scatterEstimate(r.settings, *acq);
  const tomo::Volume* truthVolume = truth ? &acq->truth() : nullptr;
  const tomo::Phantom* phantom = truth ? &acq->phantom : nullptr;

  const bool iterative = r.settings.method != tomo::Method::Fbp;
  const tomo::SubsetPlan plan = tomo::subsetPlan(r.settings, acq->data.geometry.views);
  auto lastFrame = Clock::now() - kLiveFrameInterval;
  framePending_ = false;
  const tomo::StepObserver observer = [&](const tomo::BuildStep& s) -> bool {
    if (stale(r.generation)) return false;
    if (r.mode == Mode::BuildUp) {
      if (!waitForGrant(r.generation)) return false;
    } else {
      const auto now = Clock::now();
      if (now - lastFrame < kLiveFrameInterval || framePending_.load()) return true;
      lastFrame = now;
    }
    if (!s.partial) return true;
    auto frame = std::make_shared<LabFrame>();
    frame->generation = r.generation;
    frame->index = s.index;
    frame->total = s.total;
    frame->partial = *s.partial;
    frame->acquisition = acq;
    if (iterative && !truth) {
      frame->iteration = plan.iterationsDone(s.index);
      frame->nrmse = frame->cv = std::nan("");
    } else if (iterative) {
      frame->iteration = plan.iterationsDone(s.index);
      const tomo::Figures f = tomo::figuresOfMerit(*s.partial, acq->truth(), acq->phantom);
      frame->nrmse = f.nrmse;
      frame->cv = f.cv;
    } else {
      frame->iteration = s.total > 0 ? double(s.index) / s.total : 0;
      frame->nrmse = frame->cv = std::nan("");
    }
    framePending_ = true;
    emit frameReady(r.generation, frame);
    return true;
  };

  auto result = std::make_shared<LabResult>();
  result->generation = r.generation;
  result->settings = r.settings;
  result->acquisition = acq;
  int steps = 0;
  const tomo::StepObserver counting = [&](const tomo::BuildStep& s) {
    steps = s.index;
    return observer(s);
  };
  result->reconstruction =
      tomo::reconstruct(r.settings, acq->data, mu, acq->calibration, truthVolume, phantom, counting, scatter);
  if (result->reconstruction.cancelled || stale(r.generation)) return;
  result->steps = steps;
  if (truth) {
    result->error = difference(result->reconstruction.volume, acq->truth());
    result->figures = tomo::figuresOfMerit(result->reconstruction.volume, acq->truth(), acq->phantom);
  } else {
    result->figures.nrmse = result->figures.cv = std::nan("");
  }
  if (iterative) {
    tomo::Settings fbp = r.settings;
    fbp.method = tomo::Method::Fbp;
    const tomo::Reconstruction ref =
        tomo::reconstruct(fbp, acq->data, mu, acq->calibration, truthVolume, phantom,
                          [&](const tomo::BuildStep&) { return !stale(r.generation); }, scatter);
    if (ref.cancelled || stale(r.generation)) return;
    if (!ref.history.empty()) result->fbpReference = ref.history.front();
  } else if (!result->reconstruction.history.empty()) {
    result->fbpReference = result->reconstruction.history.front();
  }
  result->milliseconds = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (stale(r.generation)) return;
  emit resultReady(r.generation, result);
}

}  // namespace lumo::lab
