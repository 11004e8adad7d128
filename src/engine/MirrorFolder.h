#pragma once

#include <string>

namespace brellow {

// Brings the subfolder of `destination` named like `source` up to date with the source
// tree: every file missing there, or whose copy there has an older packed time, is copied
// over (see PackedFileTime.h). Nothing at the destination is deleted. Every failure is
// silent and leaves the rest of the walk untouched; the caller learns nothing.
//
// A source that ends with the separator (the root "/") has an empty name: its entries are
// mirrored straight into `destination`. Links to folders are followed, but a folder that is
// already being walked or written to on the current branch (a link back up the tree, or a
// destination inside its own source) is not descended into.
void MirrorFolder(const std::string& source, const std::string& destination);

// The folder the source is mirrored into: the destination, the separator (added even when
// the destination ends with one; the doubled separator reads as one), then the source's
// name: the text after its last separator, cut to its first 255 bytes, empty for a source
// that ends with the separator.
std::string MirrorTarget(const std::string& source, const std::string& destination);

}  // namespace brellow
