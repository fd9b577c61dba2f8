// Name matching of the listings: every leaf's item ID against the host's pattern.
#include "VEMDcnOpcClient.h"
#include "WildcardMatch.h"

unsigned char VEMDcnOpcClient::MatchPattern(const unsigned short* string, const unsigned short* pattern,
                                            unsigned char caseSensitive) {
  if (string == nullptr || pattern == nullptr) return 0;
  return vemdcn::wildcard::Match(string, pattern, caseSensitive != 0);
}
