// opcclient: the library from the command line. This file only wires the
// command line to the commands (commands.h), one source file each.
//
// Commands that need a server use the one named with --server, or else the
// simulation server embedded in this program, so they work on a machine with
// no OPC server; `servers` lists the machine's own servers (--sim: the
// embedded simulator's).
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "VEMDcnVersion.h"
#include "commands.h"
#include "errors.h"

namespace {

using opcclient::Format;

bool StandardErrorIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

// CSV records end with CR LF, which a Windows text stream would turn into CR CR LF.
void WriteBinaryStandardOutput() {
#ifdef _WIN32
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
}

void AddServerOptions(CLI::App* command, opcclient::ServerChoice& choice) {
  command->add_option("--server", choice.server, "ProgID of the server (default: the embedded simulator)");
  command->add_option("--host", choice.host, "Host the server runs on (default: this machine)");
  auto* space = command->add_option("--sim-space", choice.simSpace,
                                    "Embedded simulator: the address space of this file (simulator text format)");
  command->add_option("--sim-generate", choice.simGenerate,
                      "Embedded simulator: a generated address space, DEPTHxFANOUTxLEAVES (e.g. 3x10x100)")
      ->excludes(space);
}

void AddFormatOption(CLI::App* command, std::string& format) {
  command->add_option("--format", format, "Output: table (the default), json or csv (RFC 4180)")
      ->check(CLI::IsMember({"table", "json", "csv"}, CLI::ignore_case));
}

Format FormatNamed(const std::string& name) {
  if (CLI::detail::to_lower(name) == "json") return Format::Json;
  if (CLI::detail::to_lower(name) == "csv") return Format::Csv;
  return Format::Table;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Command-line client of the OPC DA client library"};
  app.require_subcommand(1);
  app.fallthrough();
  bool verbose = false;
  app.add_flag("-v,--verbose", verbose, "Show the library's error log and trace lines");
  // The program is versioned with the library; this is the version of the library it loaded.
  app.set_version_flag("--version", std::string("opcclient ") + VEMDcnOpcClientVersion());

  opcclient::ServerChoice choice;
  std::string formatName = "table";

  bool simulator = false;
  CLI::App* servers = app.add_subcommand("servers", "List the OPC DA 2.0 servers a host offers");
  servers->add_option("--host", choice.host, "Host to ask (default: this machine)");
  servers->add_flag("--sim", simulator, "List the embedded simulator's servers instead");
  AddFormatOption(servers, formatName);

  CLI::App* status = app.add_subcommand("status", "Show a server's vendor, version and state");
  AddServerOptions(status, choice);

  opcclient::BrowseRequest browseRequest;
  CLI::App* browse = app.add_subcommand("browse", "List the items whose ID matches a pattern");
  browse->add_option("pattern", browseRequest.pattern, "Item ID pattern: * ? # [a-z] [!abc] (default: *)");
  browse->add_option("--type", browseRequest.type, "Only items the server offers in this type (VT_R8, ..., * for any)");
  browse->add_option("--access", browseRequest.access, "Only items with these rights")
      ->check(CLI::IsMember({"Readable", "Writable", "Readable/Writable"}));
  AddFormatOption(browse, formatName);
  AddServerOptions(browse, choice);

  std::string treePattern = "*";
  CLI::App* tree = app.add_subcommand("tree", "Show the address space as a tree");
  tree->add_option("pattern", treePattern, "Leaves shown: item ID pattern (default: *)");
  AddFormatOption(tree, formatName);
  AddServerOptions(tree, choice);

  std::vector<std::string> validateTags;
  CLI::App* validate = app.add_subcommand("validate", "Check tags: host type, OPC type, direction");
  validate->add_option("tags", validateTags, "Item IDs")->required();
  AddFormatOption(validate, formatName);
  AddServerOptions(validate, choice);

  opcclient::ReadRequest readRequest;
  CLI::App* read = app.add_subcommand("read", "Read tags as one group");
  read->add_option("tags", readRequest.tags, "Item IDs")->required();
  read->add_flag("--device", readRequest.device, "Read from the device, not the server's cache");
  auto* repeat = read->add_option("--repeat", readRequest.repeat, "Read N times, a line per read")
                     ->check(CLI::PositiveNumber);
  read->add_option("--interval", readRequest.intervalMs, "Milliseconds between reads (default: 1000)")
      ->check(CLI::NonNegativeNumber)
      ->needs(repeat);
  AddFormatOption(read, formatName);
  AddServerOptions(read, choice);

  opcclient::WriteRequest writeRequest;
  CLI::App* write = app.add_subcommand("write", "Write values to tags as one group");
  write->add_option("assignments", writeRequest.assignments, "TAG=VALUE, the value in the tag's type")->required();
  write->add_flag("--async", writeRequest.async, "Write asynchronously, through the group VEM_APP_INPUTS");
  AddServerOptions(write, choice);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int code = app.exit(error);
    return code == 0 ? opcclient::kSucceeded : opcclient::kRefused;
  }

  opcclient::ErrorLogFilter logFilter(verbose);
  const Format format = FormatNamed(formatName);
  if (format == Format::Csv) WriteBinaryStandardOutput();
  // Progress would mix with the log's lines.
  opcclient::Console console{std::cout, std::cerr, StandardErrorIsTerminal() && !verbose};

  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::cerr << "opcclient: cannot enter COM\n";
    return opcclient::kFailed;
  }
  int code = opcclient::kFailed;
  try {
    if (servers->parsed())
      code = opcclient::ListServers(choice, simulator, format, console);
    else if (status->parsed())
      code = opcclient::ShowStatus(choice, console);
    else if (browse->parsed())
      code = opcclient::Browse(choice, browseRequest, format, console);
    else if (tree->parsed())
      code = opcclient::ShowTree(choice, treePattern, format, console);
    else if (validate->parsed())
      code = opcclient::Validate(choice, validateTags, format, console);
    else if (read->parsed())
      code = opcclient::Read(choice, readRequest, format, console);
    else if (write->parsed())
      code = opcclient::Write(choice, writeRequest, console);
  } catch (const std::bad_alloc&) {
    std::cerr << "opcclient: out of memory\n";
  }
  std::cout.flush();
  CoUninitialize();
  return code;
}
