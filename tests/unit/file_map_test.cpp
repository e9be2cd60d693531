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
// found, and nothing found once cleared.
TEST(FileMap, AgreesWithAPlainModel) {
  std::mt19937 rng(7);
  CFileMap map;
  std::vector<std::string> order;           // first insertion order
  std::map<std::string, int32_t> latest;    // key → use count of its record
  const std::string path = "C:\\Users\\x\\Documents\\", longPrefix(300, 'p');
  for (int32_t i = 0; i < 20000; ++i) {
    // Keys that share long prefixes, some repeated, like real paths; and the empty key.
    const uint32_t n = rng() % 12000;
    const std::string key = n % 1000 == 0 ? "" : (n % 2 ? path : longPrefix) + std::to_string(n);
    std::unique_ptr<CFileInfo> replaced = map.Insert(MakeRecord(key, i));
    const bool seen = latest.count(key) != 0;
    ASSERT_EQ(replaced != nullptr, seen) << key;
    if (seen) {
      EXPECT_EQ(replaced->m_nUseCount, latest[key]);
    } else {
      order.push_back(key);
    }
    latest[key] = i;
  }
  ASSERT_EQ(map.size(), order.size());
  for (size_t slot = 0; slot < order.size(); ++slot) {
    const CFileInfo* record = map.at(slot);
    ASSERT_EQ(record->m_strPath, order[slot]);
    EXPECT_EQ(record->m_nUseCount, latest[order[slot]]);
    EXPECT_EQ(map.Lookup(order[slot]), record);
    EXPECT_EQ(map.SlotOf(order[slot]), slot);
  }
  for (const std::string& missing : {path + "12000", longPrefix}) {
    EXPECT_EQ(map.Lookup(missing), nullptr);
    EXPECT_EQ(map.SlotOf(missing), map.size());
  }
  map.clear();
  EXPECT_EQ(map.size(), 0u);
  for (const std::string& key : order) ASSERT_EQ(map.Lookup(key), nullptr) << key;
  EXPECT_EQ(map.SlotOf(order.back()), 0u);
  EXPECT_EQ(map.Insert(MakeRecord(order.back(), 2)), nullptr);
  EXPECT_EQ(map.Lookup(order.back())->m_nUseCount, 2);
}

// A load puts its records in all at once; the outcome must be that of one
// Insert after another: order, replacements in place, records handed back.
TEST(FileMap, InsertAllEqualsInsertingOneByOne) {
  std::mt19937 rng(11);
  std::vector<std::string> keys;
  for (int i = 0; i < 5000; ++i) keys.push_back("D:\\m\\" + std::to_string(rng() % 3000));
  CFileMap one;
  CFileMap all;
  CFileMap::Records batch;
  std::vector<int32_t> handedBackOne;
  for (int32_t i = 0; i < 100; ++i) {  // some keys are already there
    one.Insert(MakeRecord(keys[static_cast<size_t>(i)], -i));
    all.Insert(MakeRecord(keys[static_cast<size_t>(i)], -i));
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    if (auto replaced = one.Insert(MakeRecord(keys[i], static_cast<int32_t>(i)))) {
      handedBackOne.push_back(replaced->m_nUseCount);
    }
    batch.push_back(MakeRecord(keys[i], static_cast<int32_t>(i)));
  }
  CFileMap::Records replaced;
  all.InsertAll(std::move(batch), replaced);
  ASSERT_EQ(all.size(), one.size());
  for (size_t slot = 0; slot < one.size(); ++slot) {
    ASSERT_EQ(all.at(slot)->m_strPath, one.at(slot)->m_strPath);
    EXPECT_EQ(all.at(slot)->m_nUseCount, one.at(slot)->m_nUseCount);
    EXPECT_EQ(all.Lookup(one.at(slot)->m_strPath), all.at(slot));
  }
  std::vector<int32_t> handedBackAll;
  for (const auto& record : replaced) handedBackAll.push_back(record->m_nUseCount);
  EXPECT_EQ(handedBackAll, handedBackOne);
}

}  // namespace
