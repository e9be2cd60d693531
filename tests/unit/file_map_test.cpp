#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "database/file_map.h"
#include "tests/unit/doc_builder.h"

namespace {

// The map against a plain model through growth, replacement and misses:
// insertion order kept, a repeated key replaced in its slot, every key
// found, and nothing found once cleared. A load puts its records in all at
// once, into a map that may hold some already: that must end as one Insert
// after another does, replaced records handed back in the same order.
TEST(FileMap, AgreesWithAPlainModel) {
  std::mt19937 rng(7);
  CFileMap map, loaded;
  CFileMap::Records batch, handedBack;
  std::vector<int32_t> replacedCounts;      // of the records the batch's keys replaced
  std::vector<std::string> order;           // first insertion order
  std::map<std::string, int32_t> latest;    // key → use count of its record
  const std::string path = "C:\\Users\\x\\Documents\\", longPrefix(300, 'p');
  for (int32_t i = 0; i < 20000; ++i) {
    // Keys that share long prefixes, some repeated, like real paths; and the empty key.
    const uint32_t n = rng() % 12000;
    const std::string key = n % 1000 == 0 ? "" : (n % 2 ? path : longPrefix) + std::to_string(n);
    std::unique_ptr<CFileInfo> replaced = map.Insert(MakeRecord(key, i));
    if (i < 100) {
      loaded.Insert(MakeRecord(key, i));
    } else {
      batch.push_back(MakeRecord(key, i));
      if (replaced) replacedCounts.push_back(replaced->UseCount());
    }
    const bool seen = latest.count(key) != 0;
    ASSERT_EQ(replaced != nullptr, seen) << key;
    if (seen) {
      EXPECT_EQ(replaced->UseCount(), latest[key]);
    } else {
      order.push_back(key);
    }
    latest[key] = i;
  }
  loaded.InsertAll(std::move(batch), handedBack);
  ASSERT_EQ(map.size(), order.size());
  ASSERT_EQ(loaded.size(), order.size());
  for (size_t slot = 0; slot < order.size(); ++slot) {
    for (const CFileMap* m : {&map, &loaded}) {
      const CFileInfo* record = m->at(slot);
      ASSERT_EQ(record->Path(), order[slot]);
      EXPECT_EQ(record->UseCount(), latest[order[slot]]);
      EXPECT_EQ(m->Lookup(order[slot]), record);
      EXPECT_EQ(m->SlotOf(order[slot]), slot);
    }
  }
  std::vector<int32_t> handedBackCounts;
  for (const auto& record : handedBack) handedBackCounts.push_back(record->UseCount());
  EXPECT_EQ(handedBackCounts, replacedCounts);
  for (const std::string& missing : {path + "12000", longPrefix}) {
    EXPECT_EQ(map.Lookup(missing), nullptr);
    EXPECT_EQ(map.SlotOf(missing), map.size());
  }
  map.clear();
  EXPECT_EQ(map.size(), 0u);
  for (const std::string& key : order) ASSERT_EQ(map.Lookup(key), nullptr) << key;
  EXPECT_EQ(map.SlotOf(order.back()), 0u);
  EXPECT_EQ(map.Insert(MakeRecord(order.back(), 2)), nullptr);
  EXPECT_EQ(map.Lookup(order.back())->UseCount(), 2);
}

// Keys whose 32-bit hashes agree are still two records: with GCC's and
// MinGW's std::hash the first two collide, with MSVC's the last two.
TEST(FileMap, KeysWhoseHashesCollideStayApart) {
  const std::vector<std::string> keys = {"C:\\f1950", "C:\\f82632", "C:\\f7603", "C:\\f17442"};
  CFileMap map, loaded;
  CFileMap::Records batch, handedBack;
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(map.Insert(MakeRecord(keys[i], i)), nullptr) << keys[i];
    batch.push_back(MakeRecord(keys[i], i));
  }
  loaded.InsertAll(std::move(batch), handedBack);
  EXPECT_TRUE(handedBack.empty());
  for (const CFileMap* m : {&map, &loaded}) {
    ASSERT_EQ(m->size(), 4u);
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(m->Lookup(keys[i])->UseCount(), i) << keys[i];
  }
}

}  // namespace
