#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <sstream>
#include <string>
#include <string_view>

#include "diagnosis/JsonLinesPageSink.h"
#include "diagnosis/PageSink.h"

namespace tessaly {

// The page of the development bridge as the program core sees it: every page function
// call is queued, in order, as one JSON line ({"fn":"setState","args":[0,2,1002]}), until
// the bridge hands the queue to the page: with the answer of the method call during which
// they were made, or, for calls made from timers, with the next poll of the page. The
// core calls it on the GUI thread, the bridge takes the queue on its server thread, hence
// the lock. A page that stops collecting (its browser gone) would let the queue grow
// without end; past `maxLines` further calls are dropped, as calls into a page that is
// not there are.
class QueuedPageSink final : public PageSink {
 public:
  explicit QueuedPageSink(std::size_t maxLines = 20000) : maxLines_(maxLines) {}

  void setState(std::int32_t category, std::int32_t item, const PageValue& value) override;
  void clearState(std::int32_t category, std::int32_t item) override;
  void setTab(std::u16string_view group, std::int32_t tab, std::int32_t count) override;
  void ShowDivc(std::int32_t flag) override;
  void setUserTypeUI() override;

  // The queued lines, each ended by "\n", oldest first; the queue is empty afterwards.
  std::string Take();
  // How many calls were dropped because the queue was full.
  std::size_t dropped() const;

 private:
  template <typename Forward>
  void Queue(Forward forward);

  mutable std::mutex lock_;
  std::ostringstream lines_;
  JsonLinesPageSink writer_{lines_};
  std::size_t queued_ = 0;
  std::size_t dropped_ = 0;
  std::size_t maxLines_;
};

}  // namespace tessaly
