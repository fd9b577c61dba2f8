// The commands of opcclient, one source file each. Each writes its results to
// console.out and its messages to console.err, and returns the exit code
// (ExitCode). The calling thread must be in a single-threaded apartment.
#pragma once

#include <string>
#include <vector>

#include "console.h"
#include "output.h"
#include "session.h"

namespace opcclient {

// The OPC DA 2.0 servers a host offers (ProgID, description, CLSID), from its
// server list; with `simulator`, from the embedded simulator's own list.
int ListServers(const ServerChoice& choice, bool simulator, Format format, Console& console);

// Vendor, version and state of a server.
int ShowStatus(const ServerChoice& choice, Console& console);

struct BrowseRequest {
  std::string pattern = "*";
  std::string type;    // an OPC type name, "*" for any; empty: every supported type, one pass each
  std::string access;  // "Readable", "Writable", "Readable/Writable"; empty: no filter
};
// The items whose ID matches the pattern, as the library's dictionary holds
// them, sorted by item ID.
int Browse(const ServerChoice& choice, const BrowseRequest& request, Format format, Console& console);

// The address space as a tree: branches, and the leaves whose ID matches.
int ShowTree(const ServerChoice& choice, const std::string& pattern, Format format, Console& console);

// Each tag with its host type, OPC type and direction, or its refusal.
int Validate(const ServerChoice& choice, const std::vector<std::string>& tags, Format format, Console& console);

struct ReadRequest {
  std::vector<std::string> tags;
  bool device = false;  // from the device rather than the server's cache
  int repeat = 0;       // 0: one read, a line per tag; N: N reads, a line per read
  int intervalMs = 1000;
};
int Read(const ServerChoice& choice, const ReadRequest& request, Format format, Console& console);

struct WriteRequest {
  std::vector<std::string> assignments;  // TAG=VALUE
  bool async = false;                    // through the asynchronous group
};
int Write(const ServerChoice& choice, const WriteRequest& request, Console& console);

}  // namespace opcclient
