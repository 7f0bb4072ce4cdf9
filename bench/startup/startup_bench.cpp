// Start-up of lumo against a minimal Qt Widgets program, measured in the same run.
//
//   lumo_startup_bench LUMO MINIMAL [RUNS]
//
// Each run launches one program with LUMO_STARTUP_T0 (the launch time) in its
// environment; the program prints the milliseconds until its main window is first
// exposed (on X: mapped on the server) and until its event loop then first runs idle,
// and quits. A third measure is the whole process, launch to exit, of a scripted
// `lumo --run where` against the minimal program's whole run. With DISPLAY set and
// QT_QPA_PLATFORM=xcb the windows are mapped on a real X server (Xvfb). Peak resident memory comes from wait4() of the
// child. The two programs are started alternately, on the same platform (offscreen
// unless QT_QPA_PLATFORM says otherwise), and the medians are compared.
// Exit status 1 when a ratio misses its goal.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr double kTimeGoal = 1.3;    // lumo's start-up time / the minimal program's
constexpr double kMappedGoal = 1.1;  // the time until the main window is mapped
constexpr double kRunGoal = 1.1;     // the whole `lumo --run where` process
constexpr double kMemoryGoal = 1.5;  // lumo's peak RSS / the minimal program's

struct Sample {
  double ms = 0;
  double mappedMs = 0;
  double wallMs = 0;  // launch to exit
  double rssMiB = 0;
  double cpuMs = 0;  // user + system time of the whole run, start to exit
};

double monotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Runs `program` once; false (with a message) when it fails or prints no time.
bool runOnce(const std::string& program, Sample& out, const std::vector<std::string>& args = {}) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  char t0[64];
  std::snprintf(t0, sizeof t0, "%.3f", monotonicMs());
  setenv("LUMO_STARTUP_T0", t0, 1);
  std::vector<char*> argv = {const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const double launched = monotonicMs();
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (rc != 0) {
    close(pipeFds[0]);
    std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(rc));
    return false;
  }
  std::string text;
  char buf[512];
  for (ssize_t n; (n = read(pipeFds[0], buf, sizeof buf)) > 0;) text.append(buf, static_cast<std::size_t>(n));
  close(pipeFds[0]);
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s did not end normally\n", program.c_str());
    return false;
  }
  out.wallMs = monotonicMs() - launched;
  if (!args.empty()) return true;  // a scripted run prints no times
  const auto at = text.find("startup-ms ");
  const auto mapped = text.find("mapped-ms ");
  if (at == std::string::npos || mapped == std::string::npos) {
    std::fprintf(stderr, "%s printed no start-up time\n", program.c_str());
    return false;
  }
  out.ms = std::strtod(text.c_str() + at + 11, nullptr);
  out.mappedMs = std::strtod(text.c_str() + mapped + 10, nullptr);
  out.rssMiB = usage.ru_maxrss / 1024.0;  // ru_maxrss is in KiB on Linux
  out.cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  return true;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: lumo_startup_bench LUMO MINIMAL [RUNS]\n");
    return 2;
  }
  const std::string lumo = argv[1], minimal = argv[2];
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 21;
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);

  // One unmeasured run of each first, so both start with warm file caches.
  Sample warm;
  if (!runOnce(minimal, warm) || !runOnce(lumo, warm)) return 2;

  std::vector<double> lumoMs, lumoRss, lumoCpu, lumoMapped, lumoRun, minMs, minRss, minCpu, minMapped, minWall;
  for (int i = 0; i < runs; ++i) {
    Sample a, b, c;
    // Alternate which program goes first, so neither always follows the other.
    const bool lumoFirst = i % 2;
    if (!runOnce(lumoFirst ? lumo : minimal, lumoFirst ? a : b)) return 2;
    if (!runOnce(lumoFirst ? minimal : lumo, lumoFirst ? b : a)) return 2;
    unsetenv("LUMO_STARTUP_T0");
    if (!runOnce(lumo, c, {"--run", "where"})) return 2;
    lumoMs.push_back(a.ms);
    lumoMapped.push_back(a.mappedMs);
    lumoRss.push_back(a.rssMiB);
    lumoCpu.push_back(a.cpuMs);
    lumoRun.push_back(c.wallMs);
    minMs.push_back(b.ms);
    minMapped.push_back(b.mappedMs);
    minRss.push_back(b.rssMiB);
    minCpu.push_back(b.cpuMs);
    minWall.push_back(b.wallMs);
  }
  const double tl = median(lumoMs), tm = median(minMs), rl = median(lumoRss), rm = median(minRss);
  const double cl = median(lumoCpu), cm = median(minCpu);
  const double ml = median(lumoMapped), mm = median(minMapped), wl = median(lumoRun), wm = median(minWall);
  const double timeRatio = tl / tm, memRatio = rl / rm, mappedRatio = ml / mm, runRatio = wl / wm;
  const bool timeOk = timeRatio <= kTimeGoal, memOk = memRatio <= kMemoryGoal;
  const bool mappedOk = mappedRatio <= kMappedGoal, runOk = runRatio <= kRunGoal;

  std::printf("Start-up against a minimal Qt Widgets program (%s platform, median of %d runs each)\n",
              std::getenv("QT_QPA_PLATFORM"), runs);
  // The CPU column (user + system time of the whole run) is less disturbed by other
  // work on the machine than the wall-clock times the goals are set on.
  std::printf("  %-22s %12s %12s %16s %14s %14s\n", "program", "mapped (ms)", "idle (ms)", "peak RSS (MiB)",
              "CPU (ms)", "process (ms)");
  std::printf("  %-22s %12.1f %12.1f %16.1f %14.1f %14.1f\n", "minimal Qt Widgets", mm, tm, rm, cm, wm);
  std::printf("  %-22s %12.1f %12.1f %16.1f %14.1f %14.1f\n", "lumo (--run where)", ml, tl, rl, cl, wl);
  std::printf("  %-22s %12.2f %12.2f %16.2f %14.2f %14.2f\n", "ratio", mappedRatio, timeRatio, memRatio, cl / cm,
              runRatio);
  std::printf("  %-22s %12s %12s %16s %14s %14s\n", "goal", "<= 1.10", "<= 1.30", "<= 1.50", "", "<= 1.10");
  std::printf("  %-22s %12s %12s %16s %14s %14s\n", "", mappedOk ? "met" : "MISSED", timeOk ? "met" : "MISSED",
              memOk ? "met" : "MISSED", "", runOk ? "met" : "MISSED");
  return timeOk && memOk && mappedOk && runOk ? 0 : 1;
}
