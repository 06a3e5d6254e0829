#pragma once
// Folders and files for this user alone: the folder of the hand-over socket, and the modes
// of what the program keeps in the data folder.

#include <sys/types.h>

#include <string>

#include "core/result.h"

namespace boardcast {

// Makes path (mode 0700) when it does not exist, then checks that it is a folder and not a
// link, that this user owns it and that no one else may use it (mode 0700 or closer).
// Fails, saying which check failed, when it is not such a folder; an existing folder is
// never changed, since one with another owner or mode may be someone else's trap.
Status ensurePrivateFolder(const std::string& path);

// The folder for the program's local sockets: $XDG_RUNTIME_DIR when it is set and private;
// else "boardcast" under $XDG_CACHE_HOME or ~/.cache, made private. Fails, saying why,
// when neither will do.
Result<std::string> privateSocketFolder();

// Whether a peer of a local socket may talk to this program: only the same user.
inline bool isSameUser(uid_t peer, uid_t self) {
    return peer == self;
}

// Brings the data folder and what it holds to modes for this user alone: folders 0700,
// files 0600, one level of subfolders and their files included. Links are neither
// followed nor changed. Returns the first failure, having tried everything.
Status makeDataFolderPrivate(const std::string& folder);

}  // namespace boardcast
