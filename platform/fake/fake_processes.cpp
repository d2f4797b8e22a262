#include "platform/fake/fake_processes.h"

#include "base/strings.h"

namespace twk::platform {

void FakeProcesses::AddRule(const std::u16string& commandLineContains, const Plan& plan) {
  rules_.emplace_back(commandLineContains, plan);
}

const FakeProcesses::Plan& FakeProcesses::PlanFor(const std::u16string& commandLine) const {
  for (const auto& [contains, plan] : rules_) {
    if (contains.empty() || Find(commandLine, contains, false) != 0) return plan;
  }
  return defaultPlan_;
}

void FakeProcesses::Update(Process& process) {
  if (process.ended) return;
  const Plan& plan = process.plan;
  bool timeUp = plan.runSeconds && clock_ != nullptr &&
                clock_->milliseconds() >= process.startMilliseconds + *plan.runSeconds * 1000;
  bool queriesUp = plan.runQueries && process.queries >= *plan.runQueries;
  bool conditionMet = plan.endsWhen && plan.endsWhen();
  if (timeUp || queriesUp || conditionMet) {
    process.ended = true;
    process.exitCode = plan.exitCode;
  }
}

void FakeProcesses::EndProcess(std::uint32_t id, std::uint32_t exitCode) {
  auto it = processes_.find(id);
  if (it == processes_.end() || it->second.ended) return;
  it->second.ended = true;
  it->second.exitCode = exitCode;
}

bool FakeProcesses::IsRunning(std::uint32_t id) {
  auto it = processes_.find(id);
  if (it == processes_.end()) return false;
  Update(it->second);
  return !it->second.ended;
}

ProcessHandle FakeProcesses::Create(char16_t* commandLine, const char16_t* workingDirectory,
                                    int showCommand) {
  if (onCreate) onCreate();
  Launch launch;
  launch.hadCommandLine = commandLine != nullptr;
  if (commandLine != nullptr) launch.commandLine = commandLine;
  if (workingDirectory != nullptr) launch.workingDirectory = std::u16string(workingDirectory);
  launch.showCommand = showCommand;
  launch.redirectionOff = redirectionOff_;

  const Plan& plan = PlanFor(launch.commandLine);
  // Like CreateProcessW: no command line (and no application name) fails.
  if (commandLine != nullptr && !launch.commandLine.empty() && !plan.failToStart) {
    launch.id = nextId_;
    nextId_ += 4;
    launch.handle = nextHandle_;
    nextHandle_ += 4;
    Process process;
    process.plan = plan;
    process.startMilliseconds = clock_ != nullptr ? clock_->milliseconds() : 0;
    processes_[launch.id] = process;
    handles_[launch.handle] = launch.id;
  }
  launches_.push_back(launch);
  return launch.handle;
}

bool FakeProcesses::GetExitCode(ProcessHandle process, std::uint32_t& code) {
  auto handle = handles_.find(process);
  if (handle == handles_.end()) return false;
  Process& target = processes_.at(handle->second);
  if (target.plan.exitCodeQueryFails) return false;
  Update(target);
  if (!target.ended) {
    ++target.queries;
    code = kStillActive;
    return true;
  }
  code = target.exitCode;
  return true;
}

void FakeProcesses::Close(ProcessHandle process) {
  if (process == kNoProcess || process == ~ProcessHandle{0}) return;
  if (handles_.erase(process) == 0) ++badCloses_;
}

bool FakeProcesses::IsWow64Process() {
  ++wow64Queries_;
  return !functionsMissing_ && wow64_;
}

bool FakeProcesses::DisableWow64FsRedirection(std::uintptr_t& oldValue) {
  ++disableCalls_;
  oldValue = 0;
  if (functionsMissing_) return false;
  // Outside WOW64 the function exists but refuses.
  if (!wow64_ || failNextDisable_) {
    failNextDisable_ = false;
    return false;
  }
  // The old value is opaque to callers; hand out a fresh token each time so
  // that a revert with the wrong one is noticed.
  disableToken_ = nextToken_++;
  oldValue = disableToken_;
  redirectionOff_ = true;
  return true;
}

bool FakeProcesses::RevertWow64FsRedirection(std::uintptr_t oldValue) {
  ++revertCalls_;
  if (functionsMissing_ || !wow64_) return false;
  if (!redirectionOff_ || oldValue != disableToken_) return false;
  redirectionOff_ = false;
  return true;
}

void FakeProcesses::AddProcess(std::uint32_t id, const Listed& listed) {
  Process process;
  process.plan.runQueries.reset();
  process.listed = listed;
  processes_[id] = process;
}

int FakeProcesses::terminations(std::uint32_t id) const {
  auto it = processes_.find(id);
  return it == processes_.end() ? 0 : it->second.terminations;
}

std::vector<std::uint32_t> FakeProcesses::ListProcessIds() {
  std::vector<std::uint32_t> ids;
  if (listFails_) return ids;
  for (auto& [id, process] : processes_) {
    Update(process);
    if (!process.ended) ids.push_back(id);
  }
  return ids;
}

Answer<std::u16string> FakeProcesses::ImagePath(std::uint32_t id) {
  auto it = processes_.find(id);
  if (it == processes_.end() || !IsRunning(id)) return {Status::NotFound, {}};
  if (!it->second.listed.imagePath) return {Status::Denied, {}};
  return {Status::Ok, *it->second.listed.imagePath};
}

void FakeProcesses::PostDestroyToWindows(std::uint32_t id) {
  auto it = processes_.find(id);
  if (it == processes_.end() || !IsRunning(id)) return;
  ++destroyPosts_;
  if (it->second.listed.endsOnDestroy) EndProcess(id, 0);
}

Status FakeProcesses::Terminate(std::uint32_t id) {
  auto it = processes_.find(id);
  if (it == processes_.end()) return Status::NotFound;
  if (it->second.listed.terminateDenied) return Status::Denied;
  // An ended process stays openable while handles to it remain, as here.
  if (++it->second.terminations > it->second.listed.survivesTerminations) EndProcess(id, 0);
  return Status::Ok;
}

bool FakeProcesses::TerminateThreads(std::uint32_t id) {
  if (threadSnapshotFails_) return false;
  ++threadTerminations_;
  auto it = processes_.find(id);
  if (it != processes_.end() && it->second.listed.endsWithThreads) EndProcess(id, 0);
  return true;
}

Answer<std::vector<ProcessUsage>> FakeProcesses::ProcessUsages() {
  ++usageReads_;
  if (usagesStatus_ != Status::Ok) return usagesStatus_;
  return usages_;
}

}  // namespace twk::platform
