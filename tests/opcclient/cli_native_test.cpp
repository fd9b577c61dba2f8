// The program as a user runs it: the command line reaches the commands, and
// the exit codes say what happened. Native only: a program under Wine takes
// seconds to start, and the commands themselves are tested in-process.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
  int code;
  std::string out;
};

Outcome RunProgram(const std::string& arguments) {
  const std::string command = std::string(OPCCLIENT_PROGRAM) + " " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  Outcome outcome{-1, ""};
  if (pipe == nullptr) return outcome;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) outcome.out.append(buffer, n);
  const int status = pclose(pipe);
  outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

TEST(Program, WiresTheCommandLineToTheCommands) {
  const struct {
    const char* arguments;
    int code;
    const char* out;  // the start of it
  } cases[] = {
      {"browse 'Plant.Area1.Line1.S*' --format csv", 0,
       "Item ID,Name,Path,Type,Direction\r\nPlant.Area1.Line1.Speed,Speed,"},
      {"read Plant.ReadOnly.Version --format json", 0, "[\n  {\n    \"tag\": \"Plant.ReadOnly.Version\","},
      {"write Plant.Area1.Line1.Speed=fast", 2, ""},
      {"validate Plant.Nope", 1, "Tag "},
      {"browse --format xml", 2, ""},
      {"read", 2, ""},
      {"--version", 0, "opcclient 0."},
  };
  for (const auto& c : cases) {
    const Outcome outcome = RunProgram(c.arguments);
    EXPECT_EQ(c.code, outcome.code) << c.arguments;
    EXPECT_EQ(0u, outcome.out.find(c.out)) << c.arguments << "\n" << outcome.out;
  }
}

}  // namespace
