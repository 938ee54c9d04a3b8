// The folder of the records running clients share (named mutexes, published windows), checked before use.
#pragma once

#include <string>

// Opens (creating it 0700 when missing) the folder name under parent, or an absolute path with AT_FDCWD, and
// hands back its descriptor only when it is a real folder of this user that no one else may enter: anything
// else could be another user's, who would then choose which files the records overwrite. -1 otherwise.
int OpenPrivateFolder(int parent, const std::string& name);

// The folder of the records running clients share (named mutexes, published windows): $MORWICK_RUNTIME_DIR,
// else "morwick" in $XDG_RUNTIME_DIR, else /tmp/morwick-<uid>. Its descriptor, owned by the caller, or -1 when
// it cannot be trusted: the client then keeps no records and runs as if it were the only one.
int OpenRuntimeDirectory();
