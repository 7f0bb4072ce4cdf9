#pragma once
// parallelFor(tasks, f): f(0) ... f(tasks - 1), spread over the machine's cores.
//
// One pool of worker threads for the whole engine (started on first use). The caller works
// too. When the pool is busy with another caller's job (two reconstructions at once) the tasks
// run on the calling thread, so callers never wait for each other and never deadlock; so do the
// tasks of a parallelFor called from within a task.
#include <functional>

namespace lumo::tomo {

// Number of lanes the heavy loops split into (the cores of the machine, 1 to 8).
int parallelLanes();
void parallelFor(int tasks, const std::function<void(int)>& f);

}  // namespace lumo::tomo
