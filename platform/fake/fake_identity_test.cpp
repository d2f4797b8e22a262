// The identity twin must keep the contract of the real queries (limits,
// soft failures, which buffers are touched) and catch token leaks and double
// closes in the code under test.
#include "platform/fake/fake_identity.h"

#include <gtest/gtest.h>

namespace twk::platform {
namespace {

TEST(FakeIdentityTest, HandsOutTheConsoleTokenAndCatchesLeaksAndDoubleCloses) {
  FakeIdentity identity;
  std::u16string name, sid;
  const TokenHandle token = identity.GetConsoleUser(name, &sid);
  EXPECT_EQ(token, kFakeConsoleToken);
  EXPECT_EQ(name, u"alice");
  EXPECT_EQ(sid, u"S-1-5-21-1004336348-1177238915-682003330-1001");
  EXPECT_EQ(identity.OpenTokens(), 1);

  identity.CloseToken(kNoToken);
  identity.CloseToken(kDefaultUserToken);
  EXPECT_EQ(identity.OpenTokens(), 1);
  EXPECT_EQ(identity.badCloses, 0) << "none and the default-user value are not tokens";

  identity.CloseToken(token);
  EXPECT_EQ(identity.OpenTokens(), 0);
  identity.CloseToken(token);
  identity.CloseToken(0x1234);
  EXPECT_EQ(identity.badCloses, 2);
  EXPECT_EQ(identity.closedTokens, std::vector<TokenHandle>{kFakeConsoleToken});
  EXPECT_EQ(identity.consoleUserQueries, 1);
}

TEST(FakeIdentityTest, FailsSoftlyLikeTheSystem) {
  FakeIdentity identity;
  std::u16string name = u"before", sid = u"before";

  identity.consoleUser.reset();  // nobody at the console
  EXPECT_EQ(identity.GetConsoleUser(name, &sid), kNoToken);
  EXPECT_EQ(name, u"before");
  EXPECT_EQ(sid, u"before");

  identity.consoleUser = FakeIdentity::ConsoleUser{};
  identity.consoleUser->tokenFound = false;  // known user, no process of theirs
  EXPECT_EQ(identity.GetConsoleUser(name, &sid), kNoToken);
  EXPECT_EQ(name, u"alice");
  EXPECT_EQ(sid, u"before");

  identity.consoleUser->tokenFound = true;
  EXPECT_EQ(identity.GetConsoleUser(name, nullptr), kFakeConsoleToken) << "the SID is optional";
  EXPECT_EQ(identity.OpenTokens(), 1);
}

TEST(FakeIdentityTest, KeepsTheLimitsOfTheNameAndSidBuffers) {
  FakeIdentity identity;
  std::u16string name, sid;
  identity.consoleUser->name = std::u16string(kMaxUserNameLength, u'n');
  EXPECT_EQ(identity.GetConsoleUser(name, &sid), kFakeConsoleToken);
  identity.CloseToken(kFakeConsoleToken);

  identity.consoleUser->name += u'x';
  sid.clear();
  EXPECT_EQ(identity.GetConsoleUser(name, &sid), kNoToken) << "a cut name names someone else";
  EXPECT_EQ(name.size(), kMaxUserNameLength);
  EXPECT_TRUE(sid.empty());

  identity.consoleUser->name = u"bob";
  identity.consoleUser->sid = u"S-1-5-21" + std::u16string(kMaxSidTextLength, u'1');
  EXPECT_EQ(identity.GetConsoleUser(name, &sid), kNoToken);
  EXPECT_TRUE(sid.empty());
  EXPECT_EQ(identity.OpenTokens(), 0);
}

TEST(FakeIdentityTest, SwitchesOnOnlyHeldPrivilegesInListOrder) {
  FakeIdentity identity;
  identity.heldPrivileges = {u"SeTcbPrivilege", u"SeShutdownPrivilege", u"SeBackupPrivilege",
                             u"SeNotOnTheList"};
  identity.EnablePrivileges();
  identity.EnablePrivileges();
  EXPECT_EQ(identity.enableCalls, 2);
  EXPECT_EQ(identity.enabledPrivileges,
            (std::vector<std::u16string>{u"SeBackupPrivilege", u"SeShutdownPrivilege",
                                         u"SeTcbPrivilege"}));

  identity.administrator = false;
  EXPECT_FALSE(identity.IsAdministrator());
  EXPECT_EQ(identity.administratorQueries, 1);
}

}  // namespace
}  // namespace twk::platform
