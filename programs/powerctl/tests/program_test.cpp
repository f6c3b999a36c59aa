// The built powerctl.exe in a child process: the bytes it writes to standard
// output and standard error, and its exit code. Only command lines whose calls
// are safe here are run (nothing that would end the session).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "expected_usage.h"
#include "qb/test/testbench.h"
#include "qb/win/handles.h"

namespace {

using qb::win::UniqueKernelHandle;

struct Finished {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
  std::string errors;
};

std::string readAll(HANDLE pipe) {
  std::string bytes;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  return bytes;
}

// Runs powerctl.exe with the given argument text after the program name;
// without pipes it gets no standard handles at all.
Finished runPowerctl(const std::wstring& arguments, bool withPipes = true) {
  Finished result;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  UniqueKernelHandle outRead, outWrite, errRead, errWrite;
  // Room for everything the program writes, so it never waits for a reader.
  if (!CreatePipe(outRead.put(), outWrite.put(), &inherit, 1 << 16) ||
      !CreatePipe(errRead.put(), errWrite.put(), &inherit, 1 << 16)) {
    ADD_FAILURE() << "CreatePipe failed";
    return result;
  }
  SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead.get(), HANDLE_FLAG_INHERIT, 0);

  const std::wstring exe = qb::test::programFolder() + L"\\powerctl.exe";
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = withPipes ? outWrite.get() : nullptr;
  startup.hStdError = withPipes ? errWrite.get() : nullptr;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "CreateProcessW failed: " << GetLastError();
    return result;
  }
  const UniqueKernelHandle child(process.hProcess);
  const UniqueKernelHandle thread(process.hThread);
  // Only the child may hold the write ends now, so reading ends when it exits.
  outWrite.reset();
  errWrite.reset();
  result.output = readAll(outRead.get());
  result.errors = readAll(errRead.get());
  if (WaitForSingleObject(child.get(), 30000) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "powerctl did not end";
    TerminateProcess(child.get(), 99);
    return result;
  }
  GetExitCodeProcess(child.get(), &result.exitCode);
  return result;
}

struct ProgramCase {
  const char* why;
  std::wstring arguments;
  std::string output;
};

const std::wstring kLong(30000, L'x');
const std::string kUsage(kExpectedUsage);

const ProgramCase kProgramCases[] = {
    {"no arguments", L"", kUsage},
    {"help", L"/?", kUsage},
    {"help in lower-case company", L"now/?", kUsage},
    {"force alone", L"/F", ""},
    {"force if hung alone", L"/ff", ""},
    {"unknown argument", L"/SHUTDOWN", ""},
    {"empty argument", L"\"\"", ""},
    {"empty argument before help", L"\"\" /?", ""},
    {"lock", L"/LOCK", ""},
    {"switch user", L"/SWITCHUSER", ""},
    // Outside the ANSI code page this letter would arrive as '?' and ask for help.
    {"a letter the ANSI code page lacks", L"/\x4E2D", ""},
    {"a Polish letter", L"/\x0142OCK", ""},
    {"very long argument", kLong, ""},
    {"help at the end of a very long argument", kLong + L"/?", kUsage},
};

TEST(PowerctlProgram, PrintsExactBytesAndEndsWithZero) {
  for (const ProgramCase& c : kProgramCases) {
    SCOPED_TRACE(c.why);
    const Finished run = runPowerctl(c.arguments);
    EXPECT_EQ(run.output, c.output);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(run.exitCode, 0u);
  }
}

TEST(PowerctlProgram, EndsNormallyWithoutStandardHandles) {
  EXPECT_EQ(runPowerctl(L"/?", false).exitCode, 0u);
}

}  // namespace
