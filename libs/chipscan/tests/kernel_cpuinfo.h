#pragma once
// What the Linux kernel says about the first processor, read through Wine's
// view of the Unix root (Z:). Absent on real Windows.
#include <windows.h>

#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace qb::chipscan::test {

struct KernelCpu {
  std::map<std::string, std::string> fields;  // first processor's "name : value" lines

  const std::string* get(const std::string& name) const {
    const auto it = fields.find(name);
    return it == fields.end() ? nullptr : &it->second;
  }
  bool hasFlag(const std::string& flag) const {
    const std::string* flags = get("flags");
    return flags && (" " + *flags + " ").find(" " + flag + " ") != std::string::npos;
  }
};

inline std::string trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

inline std::optional<KernelCpu> readKernelCpu() {
  std::ifstream in("Z:\\proc\\cpuinfo");
  if (!in) return std::nullopt;
  KernelCpu cpu;
  std::string line;
  while (std::getline(in, line)) {
    if (trimmed(line).empty()) break;  // end of the first processor
    const auto colon = line.find(':');
    if (colon == std::string::npos) continue;
    cpu.fields[trimmed(line.substr(0, colon))] = trimmed(line.substr(colon + 1));
  }
  if (cpu.fields.empty()) return std::nullopt;
  return cpu;
}

inline bool unixPathExists(const std::string& path) {
  std::string windowsPath = "Z:" + path;
  for (char& c : windowsPath)
    if (c == '/') c = '\\';
  return GetFileAttributesA(windowsPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The TSC frequency in MHz, where the kernel states it: "cpu MHz" is the TSC
// frequency only when the TSC runs at a constant rate and no frequency driver
// reports a changing core clock instead.
inline std::optional<double> kernelTscMegahertz(const KernelCpu& cpu, std::string& whyNot) {
  const std::string* mhz = cpu.get("cpu MHz");
  if (!mhz) {
    whyNot = "the kernel reports no \"cpu MHz\"";
    return std::nullopt;
  }
  if (!cpu.hasFlag("tsc") || !cpu.hasFlag("constant_tsc")) {
    whyNot = "the kernel does not report a constant-rate TSC";
    return std::nullopt;
  }
  if (unixPathExists("/sys/devices/system/cpu/cpu0/cpufreq")) {
    whyNot = "a cpufreq driver is active, so \"cpu MHz\" is the current core clock, not the TSC rate";
    return std::nullopt;
  }
  return std::stod(*mhz);
}

}  // namespace qb::chipscan::test
