#include "platform/d3d8/SystemInfo.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>

namespace d3d8 {

namespace {

std::map<std::string, uint64_t> ReadMeminfo() {
  std::map<std::string, uint64_t> values;
  std::ifstream in("/proc/meminfo");
  std::string line;
  while (std::getline(in, line)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::istringstream rest(line.substr(colon + 1));
    uint64_t kilobytes = 0;
    if (rest >> kilobytes) values[line.substr(0, colon)] = kilobytes * 1024;
  }
  return values;
}

std::string ProcessorModel() {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("model name", 0) == 0) {
      const size_t colon = line.find(':');
      if (colon != std::string::npos) {
        const size_t start = line.find_first_not_of(" \t", colon + 1);
        if (start != std::string::npos) return line.substr(start);
      }
    }
  }
  return std::string();
}

}  // namespace

SystemInfo QuerySystemInfo() {
  SystemInfo info;
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  info.processorCount = online > 0 ? static_cast<uint32_t>(online) : 1;
  utsname names{};
  if (uname(&names) == 0) {
    info.osName = std::string(names.sysname) + " " + names.release;
    info.processorType = names.machine;
  }
  const std::string model = ProcessorModel();
  if (!model.empty()) info.processorType = model;

  const std::map<std::string, uint64_t> meminfo = ReadMeminfo();
  auto value = [&](const char* key) {
    auto it = meminfo.find(key);
    return it == meminfo.end() ? uint64_t{0} : it->second;
  };
  MemoryInfo& m = info.memory;
  m.totalPhysical = value("MemTotal");
  m.availablePhysical = meminfo.count("MemAvailable") ? value("MemAvailable") : value("MemFree");
  m.totalPageFile = value("CommitLimit");
  const uint64_t committed = value("Committed_AS");
  m.availablePageFile = m.totalPageFile > committed ? m.totalPageFile - committed : 0;
  m.totalVirtual = m.totalPhysical + value("SwapTotal");
  m.availableVirtual = m.availablePhysical + value("SwapFree");
  return info;
}

}  // namespace d3d8
