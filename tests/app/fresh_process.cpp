#include "app/fresh_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <sstream>

namespace {

constexpr const char* kRoleVariable = "RC_FRESH_ROLE";
constexpr const char* kArgsVariable = "RC_FRESH_ARGS";

std::map<std::string, FreshRole>& Roles() {
  static std::map<std::string, FreshRole> roles;
  return roles;
}

// Before the first test of a child, plays its role instead.
class FreshRoleEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    const char* role = std::getenv(kRoleVariable);
    if (role == nullptr) return;
    const auto found = Roles().find(role);
    if (found == Roles().end()) ::_exit(121);
    std::vector<std::string> args;
    std::istringstream in(std::getenv(kArgsVariable) ? std::getenv(kArgsVariable) : "");
    for (std::string a; std::getline(in, a);) args.push_back(a);
    found->second(args);
    ::_exit(122);  // a role ends its process itself
  }
};

testing::Environment* const kEnvironment = testing::AddGlobalTestEnvironment(new FreshRoleEnvironment);

}  // namespace

bool RegisterFreshRole(const char* role, FreshRole body) {
  Roles()[role] = body;
  return true;
}

pid_t StartFreshRole(const char* role, const std::vector<std::string>& args, const char* anyTest) {
  std::string joined;
  for (const std::string& a : args) joined += a + "\n";
  const std::string filter = std::string("--gtest_filter=") + anyTest;
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::setenv(kRoleVariable, role, 1);
  ::setenv(kArgsVariable, joined.c_str(), 1);
  ::execl("/proc/self/exe", "fresh_role", filter.c_str(), static_cast<char*>(nullptr));
  ::_exit(120);
}
