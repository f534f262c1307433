#include "shell/bridge/QueuedPageSink.h"

namespace tessaly {

template <typename Forward>
void QueuedPageSink::Queue(Forward forward) {
  const std::lock_guard<std::mutex> hold(lock_);
  if (queued_ >= maxLines_) {
    ++dropped_;
    return;
  }
  forward(writer_);
  ++queued_;
}

void QueuedPageSink::setState(std::int32_t category, std::int32_t item, const PageValue& value) {
  Queue([&](PageSink& page) { page.setState(category, item, value); });
}

void QueuedPageSink::clearState(std::int32_t category, std::int32_t item) {
  Queue([&](PageSink& page) { page.clearState(category, item); });
}

void QueuedPageSink::setTab(std::u16string_view group, std::int32_t tab, std::int32_t count) {
  Queue([&](PageSink& page) { page.setTab(group, tab, count); });
}

void QueuedPageSink::ShowDivc(std::int32_t flag) {
  Queue([&](PageSink& page) { page.ShowDivc(flag); });
}

void QueuedPageSink::setUserTypeUI() {
  Queue([](PageSink& page) { page.setUserTypeUI(); });
}

std::string QueuedPageSink::Take() {
  const std::lock_guard<std::mutex> hold(lock_);
  std::string lines = lines_.str();
  lines_.str({});
  queued_ = 0;
  return lines;
}

std::size_t QueuedPageSink::dropped() const {
  const std::lock_guard<std::mutex> hold(lock_);
  return dropped_;
}

}  // namespace tessaly
