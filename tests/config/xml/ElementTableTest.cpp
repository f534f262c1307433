#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TableInvariants.h"
#include "config/xml/ElementTable.h"
#include "config/xml/XmlReader.h"

namespace tessaly {
namespace {

constexpr std::size_t kPage = ElementTable::kPageRecords;

TEST(ElementTable, ReserveNeverShrinks) {
  ElementTable table;
  table.Reserve(100);
  EXPECT_EQ(table.Capacity(), 100u);
  table.Reserve(10);
  EXPECT_EQ(table.Capacity(), 100u);
  EXPECT_EQ(table.AllocatedBytes(), 100u * sizeof(ElementRecord));
}

TEST(ElementTable, GrowsByHalfButAtMostOnePagePastTheLastInUse) {
  ElementTable table;
  table.Reserve(8);
  table.GrowFor(7);
  EXPECT_EQ(table.Capacity(), 8u);  // room already
  table.GrowFor(8);
  EXPECT_EQ(table.Capacity(), 12u);

  ElementTable big;
  big.Reserve(kPage);
  std::vector<std::size_t> capacities;
  for (int step = 0; step < 6; ++step) {
    big.GrowFor(big.Capacity());
    capacities.push_back(big.Capacity());
  }
  // Plain halves up to 221,184; from then on the end of the next page caps the growth.
  EXPECT_EQ(capacities, (std::vector<std::size_t>{98304, 147456, 221184, 5 * kPage, 6 * kPage,
                                                  7 * kPage}));
}

TEST(ElementTable, RecordsKeepTheirValuesAcrossGrowth) {
  ElementTable table;
  table.Reserve(8);
  const std::size_t count = 3 * kPage + 17;
  for (std::size_t i = 0; i < count; ++i) {
    table.GrowFor(i);
    table[i].start = static_cast<std::int32_t>(i);
    table[i].previousSibling = static_cast<std::uint32_t>(count - i);
  }
  for (std::size_t i = 0; i < count; ++i) {
    ASSERT_EQ(table[i].start, static_cast<std::int32_t>(i));
    ASSERT_EQ(table[i].previousSibling, count - i);
  }
}

TEST(ElementTable, ParseGrowsTheTablePastOnePage) {
  // 70,000 children in a 280 kB text: the initial room (one record per 64 bytes) is far
  // too small, so the table grows repeatedly and crosses a page boundary.
  std::string document = "<r>";
  for (int i = 0; i < 70000; ++i) document += "<e/>";
  document += "</r>";
  XmlReader reader;
  ASSERT_TRUE(reader.Parse(document));
  ASSERT_EQ(reader.ElementCount(), 70001u);
  EXPECT_GE(reader.Table().Capacity(), 70002u);
  EXPECT_EQ(testing_support::CheckTableLinks(reader), "");
  ASSERT_TRUE(reader.FindNext("r"));
  ASSERT_TRUE(reader.Descend());
  std::size_t seen = 0;
  while (reader.FindNext("e")) ++seen;
  EXPECT_EQ(seen, 70000u);
  EXPECT_EQ(reader.Table()[70001].start, 3 + 4 * 69999);

  // A later, smaller document reuses the table without shrinking it.
  const std::size_t capacity = reader.Table().Capacity();
  ASSERT_TRUE(reader.Parse("<r/>"));
  EXPECT_EQ(reader.Table().Capacity(), capacity);
  EXPECT_EQ(reader.ElementCount(), 1u);
}

}  // namespace
}  // namespace tessaly
