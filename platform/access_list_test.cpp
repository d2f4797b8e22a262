// The access list's byte layout and where a new entry goes in it.
#include "platform/access_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace twk::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kAdmins = {1, 2, 0, 0, 0, 0, 0, 5, 0x20, 0, 0, 0, 0x20, 2, 0, 0};
const Bytes kSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
const Bytes kUsers = {1, 2, 0, 0, 0, 0, 0, 5, 0x20, 0, 0, 0, 0x21, 2, 0, 0};

// The low byte of the last sub-authority of each entry's SID: enough to tell ours apart.
std::vector<std::uint8_t> EntrySidTags(const AccessList& list) {
  std::vector<std::uint8_t> tags;
  std::size_t offset = kAclHeaderSize;
  for (std::size_t i = 0; i < list.EntryCount(); ++i) {
    const auto b = list.bytes();
    tags.push_back(b[offset + kEntryHeaderSize + 8 + 4 * (b[offset + kEntryHeaderSize + 1] - 1)]);
    offset += b[offset + 2] | (b[offset + 3] << 8);
  }
  return tags;
}

TEST(AccessListTest, ANewEntryFollowsTheLastExplicitReadableEntry) {
  // Explicit admins, then an inherited entry: users goes between them.
  AccessList list;
  ASSERT_TRUE(list.InsertEntry(0, EntryType::AccessAllowed, 0, Access::GenericAll, kAdmins));
  ASSERT_TRUE(list.InsertEntry(1, EntryType::AccessAllowed, EntryFlag::Inherited, 1, kSystem));
  ASSERT_TRUE(list.AddAllowed(Access::GenericRead, EntryFlag::ContainerInherit, kUsers));
  EXPECT_EQ(EntrySidTags(list), (Bytes{0x20, 0x21, 18}));

  // An audit entry is not looked at, however plain its flags: after the deny.
  AccessList audited;
  ASSERT_TRUE(audited.InsertEntry(0, EntryType::AccessDenied, 0, 1, kAdmins));
  ASSERT_TRUE(audited.InsertEntry(1, EntryType::SystemAudit, 0, 1, kSystem));
  ASSERT_TRUE(audited.AddAllowed(1, 0, kUsers));
  EXPECT_EQ(EntrySidTags(audited), (Bytes{0x20, 0x21, 18}));
}

TEST(AccessListTest, WithoutAnExplicitReadableEntryTheNewOneGoesFirst) {
  for (std::uint8_t flag :
       {EntryFlag::NoPropagateInherit, EntryFlag::InheritOnly, EntryFlag::Inherited}) {
    AccessList list;
    ASSERT_TRUE(list.InsertEntry(0, EntryType::AccessAllowed, flag, 1, kAdmins));
    ASSERT_TRUE(list.InsertEntry(1, EntryType::SystemAudit, 0, 1, kSystem));
    ASSERT_TRUE(list.AddAllowed(1, 0, kUsers));
    EXPECT_EQ(EntrySidTags(list), (Bytes{0x21, 0x20, 18})) << "flag " << int(flag);
  }
}

TEST(AccessListTest, AnEntryThatDoesNotFitOrABadSidChangesNothing) {
  AccessList small(8 + 24 + 20);  // room for admins and one 12-byte SID
  ASSERT_TRUE(small.AddAllowed(1, 0, kAdmins));
  ASSERT_TRUE(small.AddAllowed(1, 0, kSystem));
  const Bytes before(small.bytes().begin(), small.bytes().end());
  EXPECT_FALSE(small.AddAllowed(1, 0, kSystem));
  EXPECT_EQ(Bytes(small.bytes().begin(), small.bytes().end()), before);

  AccessList list;
  Bytes wrongCount = kAdmins;
  wrongCount[1] = 3;  // claims three sub-authorities, carries two
  Bytes wrongRevision = kAdmins;
  wrongRevision[0] = 2;
  EXPECT_FALSE(list.AddAllowed(1, 0, wrongCount));
  EXPECT_FALSE(list.AddAllowed(1, 0, wrongRevision));
  EXPECT_FALSE(list.AddAllowed(1, 0, Bytes{}));
  EXPECT_FALSE(list.InsertEntry(1, EntryType::AccessAllowed, 0, 1, kAdmins));  // past the end
  EXPECT_EQ(list.EntryCount(), 0u);
}

}  // namespace
}  // namespace twk::platform
