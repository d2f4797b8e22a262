#include "platform/access_list.h"

#include <algorithm>

namespace twk::platform {
namespace {

std::uint16_t Read16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

void Write16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Write32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Allow and deny entries in their plain, object and callback forms: the
// ones whose flags the insertion rule may look at. Audit and alarm entries
// and unknown types are passed over.
bool IsReadable(std::uint8_t type) {
  switch (type) {
    case 0:   // ACCESS_ALLOWED_ACE_TYPE
    case 1:   // ACCESS_DENIED_ACE_TYPE
    case 5:   // ACCESS_ALLOWED_OBJECT_ACE_TYPE
    case 6:   // ACCESS_DENIED_OBJECT_ACE_TYPE
    case 9:   // ACCESS_ALLOWED_CALLBACK_ACE_TYPE
    case 10:  // ACCESS_DENIED_CALLBACK_ACE_TYPE
    case 11:  // ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE
    case 12:  // ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE
      return true;
    default:
      return false;
  }
}

constexpr std::uint8_t kNotExplicitHere =
    EntryFlag::NoPropagateInherit | EntryFlag::InheritOnly | EntryFlag::Inherited;

}  // namespace

bool IsWellFormedSid(std::span<const std::uint8_t> sid) {
  return sid.size() >= 8 && sid[0] == 1 && sid.size() == 8 + 4 * std::size_t{sid[1]};
}

AccessList::AccessList(std::size_t size) : bytes_(std::max(size, kAclHeaderSize), 0) {
  bytes_[0] = kAclRevision;
  Write16(&bytes_[2], static_cast<std::uint16_t>(std::min<std::size_t>(bytes_.size(), 0xFFFC)));
}

std::size_t AccessList::EntryCount() const { return Read16(bytes_, 4); }

std::size_t AccessList::OffsetOf(std::size_t index) const {
  std::size_t offset = kAclHeaderSize;
  for (std::size_t i = 0; i < index; ++i) offset += Read16(bytes_, offset + 2);
  return offset;
}

bool AccessList::InsertEntry(std::size_t index, std::uint8_t type, std::uint8_t flags,
                             std::uint32_t mask, std::span<const std::uint8_t> sid) {
  const std::size_t count = EntryCount();
  if (index > count || !IsWellFormedSid(sid)) return false;
  const std::size_t entrySize = kEntryHeaderSize + sid.size();
  const std::size_t used = OffsetOf(count);
  const std::size_t capacity = Read16(bytes_, 2);
  if (used + entrySize > capacity || count == 0xFFFF) return false;

  // Make room by moving the later entries up, then lay the new one in.
  const std::size_t at = OffsetOf(index);
  std::copy_backward(bytes_.begin() + at, bytes_.begin() + used, bytes_.begin() + used + entrySize);
  std::uint8_t* entry = &bytes_[at];
  entry[0] = type;
  entry[1] = flags;
  Write16(entry + 2, static_cast<std::uint16_t>(entrySize));
  Write32(entry + 4, mask);
  std::copy(sid.begin(), sid.end(), entry + kEntryHeaderSize);
  Write16(&bytes_[4], static_cast<std::uint16_t>(count + 1));
  return true;
}

bool AccessList::AddAllowed(std::uint32_t mask, std::uint8_t flags,
                            std::span<const std::uint8_t> sid) {
  std::size_t position = 0;
  std::size_t offset = kAclHeaderSize;
  const std::size_t count = EntryCount();
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t type = bytes_[offset];
    const std::uint8_t entryFlags = bytes_[offset + 1];
    if (IsReadable(type) && (entryFlags & kNotExplicitHere) == 0) position = i + 1;
    offset += Read16(bytes_, offset + 2);
  }
  return InsertEntry(position, EntryType::AccessAllowed, flags, mask, sid);
}

std::optional<AccessList> KeyAccessList(std::span<const KeyGrant> grants) {
  AccessList list;
  for (const KeyGrant& grant : grants) {
    const std::uint32_t mask =
        grant.rights == KeyRights::FullControl ? Access::GenericAll : Access::GenericRead;
    if (!list.AddAllowed(mask, EntryFlag::ContainerInherit, grant.sid)) return std::nullopt;
  }
  return list;
}

}  // namespace twk::platform
