#pragma once

#include <functional>
#include <string>

namespace brellow {

// What one mirror pass met.
struct MirrorReport {
    bool targetReady = false;  // the target folder stood or was made, and could be opened
    int failures = 0;          // entries that could not be copied or created
    bool stopped = false;      // a stop request ended the pass early
};

// Told of each entry that could not be copied or created: the path concerned and the error
// number that stopped it.
using MirrorFailureSink = std::function<void(const std::string& path, int error)>;

// Brings the subfolder of `destination` named like `source` up to date with the source
// tree: every file missing there, or whose copy there is older (IsSourceNewer), is copied
// over. Nothing at the destination is deleted but this program's own temporary copies left
// by a run that was killed. A failure leaves the rest of the walk untouched; each is counted
// and handed to onFailure.
//
// A source that ends with the separator (the root "/") has an empty name: its entries are
// mirrored straight into `destination`. Each folder is made with its source folder's
// permission bits (the owner keeps full access), and an existing one wider than its source
// is narrowed. Links to folders are followed, but a folder is entered at most once, never a
// folder holding the source (a link to "/" or above the source), never a folder written to
// by this pass (a destination inside its own source), never a pseudo file system.
//
// Folders are the units of work, shared by `workers` threads (the calling one among them;
// 0 chooses with MirrorWorkers). A worker keeps no folder open while another one is listed,
// so the open descriptors stay few whatever the depth, and onFailure is called by one
// worker at a time. The result does not depend on the number of workers; only the order of
// the failures may.
MirrorReport MirrorFolder(const std::string& source, const std::string& destination,
                          const MirrorFailureSink& onFailure = MirrorFailureSink(), unsigned workers = 0);

// How many workers suit a pass between these folders: one where either lies on a spinning
// disk, else one for each core, at most 8.
unsigned MirrorWorkers(const std::string& source, const std::string& destination);

// The folder the source is mirrored into: the destination, the separator (added even when
// the destination ends with one; the doubled separator reads as one), then the source's
// name: the text after its last separator, cut to its first 255 bytes, empty for a source
// that ends with the separator.
std::string MirrorTarget(const std::string& source, const std::string& destination);

}  // namespace brellow
