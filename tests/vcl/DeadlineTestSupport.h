// Runs work on a thread of its own and tells whether it ended within a
// deadline, so that a test of a slow or hanging path fails instead of
// waiting. A work that outlives the deadline is left running (detached):
// it must own, or share, everything it touches.
#pragma once

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

inline bool EndsWithin(std::chrono::milliseconds limit, std::function<void()> work) {
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  std::thread worker([work = std::move(work), done] {
    work();
    done->set_value();
  });
  if (finished.wait_for(limit) == std::future_status::ready) {
    worker.join();
    return true;
  }
  worker.detach();
  return false;
}
