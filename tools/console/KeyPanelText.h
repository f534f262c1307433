#pragma once

#include <cstdint>
#include <string>

#include "diagnosis/PageSink.h"

namespace tessaly {

// A row of the key panel (category 804) in the page's own words, e.g. "证书数量: 2张" or
// "证书1状态: 需要更新"; UTF-8.
std::string DescribeKeyPanelRow(std::int32_t item, const PageValue& value);

}  // namespace tessaly
