#pragma once
// An access-control list (ACL) built byte for byte in the layout Windows
// reads: an 8-byte header (revision, size, entry count) followed by the
// entries, each a 4-byte header (type, flags, size), a 4-byte access mask and
// the trustee's SID. Built here rather than by the system so that the exact
// list the program applies can be checked without Windows. The logic asks
// for key grants (KeyAccessList); the layout and its numbers stay here.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace twk::platform {

inline constexpr std::uint8_t kAclRevision = 2;       // ACL_REVISION
inline constexpr std::size_t kAccessListSize = 2048;  // bytes of a fresh list
inline constexpr std::size_t kAclHeaderSize = 8;
inline constexpr std::size_t kEntryHeaderSize = 8;  // type, flags, size, mask

namespace EntryType {
inline constexpr std::uint8_t AccessAllowed = 0;  // ACCESS_ALLOWED_ACE_TYPE
inline constexpr std::uint8_t AccessDenied = 1;   // ACCESS_DENIED_ACE_TYPE
inline constexpr std::uint8_t SystemAudit = 2;    // SYSTEM_AUDIT_ACE_TYPE
}  // namespace EntryType

namespace EntryFlag {
inline constexpr std::uint8_t ContainerInherit = 0x02;    // CONTAINER_INHERIT_ACE
inline constexpr std::uint8_t NoPropagateInherit = 0x04;  // NO_PROPAGATE_INHERIT_ACE
inline constexpr std::uint8_t InheritOnly = 0x08;         // INHERIT_ONLY_ACE
inline constexpr std::uint8_t Inherited = 0x10;           // INHERITED_ACE
}  // namespace EntryFlag

namespace Access {
inline constexpr std::uint32_t GenericRead = 0x80000000;  // GENERIC_READ
inline constexpr std::uint32_t GenericAll = 0x10000000;   // GENERIC_ALL
}  // namespace Access

// Bytes of a SID when they form one: revision 1, and exactly 8 bytes plus
// four per sub-authority.
[[nodiscard]] bool IsWellFormedSid(std::span<const std::uint8_t> sid);

class AccessList {
 public:
  // A zeroed list of `size` bytes with no entries.
  explicit AccessList(std::size_t size = kAccessListSize);

  // Adds an access-allowed entry where the system's own editors put a new
  // explicit one: right after the last entry, counted from the end, that is a
  // readable allow or deny entry applying to this object itself and not
  // inherited (none of NoPropagateInherit, InheritOnly, Inherited), or first
  // when there is no such entry. False, with the list unchanged, when the SID
  // is not well formed or the entry does not fit.
  [[nodiscard]] bool AddAllowed(std::uint32_t mask, std::uint8_t flags,
                                std::span<const std::uint8_t> sid);

  // Puts an entry of any type at position `index` (0 = first; at most the
  // entry count). Same failures as AddAllowed.
  [[nodiscard]] bool InsertEntry(std::size_t index, std::uint8_t type, std::uint8_t flags,
                                 std::uint32_t mask, std::span<const std::uint8_t> sid);

  [[nodiscard]] std::size_t EntryCount() const;
  [[nodiscard]] std::span<const std::uint8_t> bytes() const { return bytes_; }

 private:
  // Byte offset of entry `index` (the end of the entries for EntryCount()).
  [[nodiscard]] std::size_t OffsetOf(std::size_t index) const;

  std::vector<std::uint8_t> bytes_;
};

// What a trustee may do with a key.
enum class KeyRights { Read, FullControl };

struct KeyGrant {
  std::span<const std::uint8_t> sid;
  KeyRights rights = KeyRights::Read;
};

// A fresh list allowing each trustee its rights on a key and on every subkey
// below it, in the order given; none when a SID is not well formed or the
// list is full.
[[nodiscard]] std::optional<AccessList> KeyAccessList(std::span<const KeyGrant> grants);

}  // namespace twk::platform
