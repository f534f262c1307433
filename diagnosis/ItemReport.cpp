#include "diagnosis/ItemReport.h"

#include <string>

#include "diagnosis/ItemState.h"
#include "diagnosis/PageCodes.h"
#include "platform/portable/Utf8Codec.h"

namespace tessaly {

void ReportItem(const CheckConfig& config, DiagnosisState& state, PageSink& page,
                std::int32_t number) {
  const bool online = config.networkOk;
  state.online.store(online ? 1 : 0);
  if (number < 1 || static_cast<std::size_t>(number) > config.items.size()) {
    return;
  }
  const ComponentItem& item = config.items[static_cast<std::size_t>(number) - 1];
  if (item.type == "ActiveX" || item.type == "driver") {
    if (!online) {
      page.setState(kCategoryComponent, number, StateForPage(item.state + 1));
    } else if ((item.state & kItemStateCodeMask) == kItemStateCurrent) {
      page.setState(kCategoryComponent, number, DecodeUtf8(item.tips));
    } else {
      page.setState(kCategoryComponent, number, std::u16string());
      page.setState(kCategoryComponent, number, StateForPage(item.state));
    }
  } else if (item.type == "UkeyActiveX") {
    page.setState(kCategoryComponent, number, StateForPage(item.state));
  }
}

}  // namespace tessaly
