#pragma once
// The lab's computing thread: acquisition and reconstruction off the UI thread.
//
// Every request carries a generation number; a newer request makes every older one
// stale: the running reconstruction is cancelled at its next step and whatever an old
// request still delivers is dropped by the window (compare the generation). Results and
// build-up frames cross to the UI thread through queued signals; the UI thread never
// waits for the worker.
//
// Two kinds of request: a live one computes as fast as it can and sends a frame now and
// then; a build-up one waits before each step (a view back-projected, a sub-iteration)
// until the window grants it with advance(), so the window can play, pause and step.
#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "model/tomo/Acquisition.h"
#include "model/tomo/Figures.h"
#include "model/tomo/Reconstruction.h"
#include "model/tomo/Settings.h"

namespace lumo::lab {

// What one finished request shows.
struct LabResult {
  quint64 generation = 0;
  tomo::Settings settings;
  std::shared_ptr<const tomo::Acquisition> acquisition;
  tomo::Reconstruction reconstruction;  // the volume, kBq/mL
  tomo::Volume error;         // result minus truth
  tomo::Figures figures;
  // FBP of the same data with the same pre-filter: the convergence plot's flat line.
  std::optional<tomo::IterationRecord> fbpReference;
  int steps = 0;              // build-up steps the reconstruction took
  double milliseconds = 0;    // acquisition and reconstruction
};

// A frame of the build-up (or of a live computation under way).
struct LabFrame {
  quint64 generation = 0;
  int index = 0, total = 0;   // steps done of all
  tomo::Volume partial;       // the volume so far
  std::shared_ptr<const tomo::Acquisition> acquisition;  // set once acquired
  // Figures of the partial slice, once per step, for the growing convergence plot.
  double nrmse = 0, cv = 0;
  double iteration = 0;       // fractional for OSEM sub-iterations; views done / views for FBP
};

class LabWorker : public QObject {
  Q_OBJECT
 public:
  explicit LabWorker(QObject* parent = nullptr);
  ~LabWorker() override;  // cancels and joins

  enum class Mode { Live, BuildUp };
  // Makes every older request stale and starts this one. Returns its generation.
  quint64 submit(const tomo::Settings& settings, Mode mode);
  // Data from a file (a sinogram without phantom or truth) that the next requests
  // reconstruct instead of acquiring; null goes back to the phantom of the settings.
  void setImported(std::shared_ptr<const tomo::Acquisition> imported);
  // Grants the build-up `steps` more steps (no effect on a live request).
  void advance(int steps);
  // Makes every request stale; nothing more is delivered.
  void cancel();
  quint64 generation() const { return generation_.load(); }
  // True from a submit until its result (or cancellation) has been delivered.
  bool busy() const { return busy_.load(); }
  // Called by the window once it has shown a frame: the next live frame may be sent.
  void frameShown() { framePending_.store(false); }

 signals:
  void frameReady(quint64 generation, std::shared_ptr<const LabFrame> frame);
  void resultReady(quint64 generation, std::shared_ptr<const LabResult> result);
  // Sent when a request failed (a message to show); the generation's work is over.
  void failed(quint64 generation, QString message);

 private:
  struct Request {
    quint64 generation = 0;
    tomo::Settings settings;
    Mode mode = Mode::Live;
    std::shared_ptr<const tomo::Acquisition> imported;
  };
  void loop();
  void compute(const Request& r);
  bool stale(quint64 generation) const { return generation != generation_.load(); }
  // Waits for a build-up grant; false when the request became stale.
  bool waitForGrant(quint64 generation);

  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Request> pending_;
  bool stopping_ = false;
  int grants_ = 0;
  std::atomic<quint64> generation_{0};
  std::atomic<bool> busy_{false};
  std::atomic<bool> framePending_{false};
  // The last acquisition, reused while its settings stay the same.
  std::shared_ptr<const tomo::Acquisition> acquisition_;
  tomo::Settings acquired_;
  std::shared_ptr<const tomo::Acquisition> imported_;
};

}  // namespace lumo::lab

Q_DECLARE_METATYPE(std::shared_ptr<const lumo::lab::LabFrame>)
Q_DECLARE_METATYPE(std::shared_ptr<const lumo::lab::LabResult>)
