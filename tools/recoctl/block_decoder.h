// The readable decoding of a PreferenceBlock that "show" prints, for a block
// saved to a file and for the live section alike.
#ifndef RECO_TOOLS_RECOCTL_BLOCK_DECODER_H_
#define RECO_TOOLS_RECOCTL_BLOCK_DECODER_H_

#include <string>

#include "shared/preference_block.h"

// Indented "name: value" text, or JSON when `json` is set. Counts and texts
// are read from the block as found: a count past its table's room shows
// only the records that fit, a text without its terminator stops at the
// end of its field.
std::string DescribePreferenceBlock(const PreferenceBlock& block, bool json);

#endif  // RECO_TOOLS_RECOCTL_BLOCK_DECODER_H_
