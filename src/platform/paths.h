#pragma once
// The path service. The game names its files relative to its root folder,
// with backslashes and in whatever case the data happened to be written
// (`scripts\gamestart\hub.lua`, `max\archive.DIR`). Every file the game opens
// goes through here to become a real path on a case-sensitive file system.
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// The game's root folder. Empty (the default) means the working directory.
void SetGameRoot(std::string_view root);
const std::string& GameRoot();
// The folder the running program lies in (the working directory when the
// system does not tell).
std::string ProgramFolder();

// A game name as a real path below the root: `\` becomes `/`, doubled
// separators and "." components disappear, and every component that does not
// exist as written is matched against its folder without regard to (ASCII)
// case. Components with no match at all are kept as written, so opening the
// result fails in the ordinary way. A name that starts with '/' is already a
// real path (tools, tests) and is not put under the root; a leading '\' is
// just a separator.
std::string ResolveGamePath(std::string_view game_name);

// The same for a file that is about to be written: existing folders are
// matched as above; the last component matches an existing file of any case
// (so a rewrite replaces it instead of adding a twin that differs only in
// case) and is otherwise kept as written.
std::string ResolveNewGamePath(std::string_view game_name);

// fopen through the service: modes that write or append use
// ResolveNewGamePath, the others ResolveGamePath. Only regular files open.
std::FILE* OpenGameFile(std::string_view game_name, const char* mode);

// open(2) of a real path that never blocks on a special file (a FIFO, a
// device) and refuses anything but a regular file (errno EINVAL, or ENXIO
// from a FIFO opened to write). The descriptor is blocking again on return.
int OpenRegularFile(const std::string& path, int flags, int create_mode = 0644);
// The same for fopen modes ("rb", "wb", "ab", "r+b", "w+" ...).
std::FILE* OpenRegularStream(const std::string& path, const char* mode);

// Replaces the file at a real path with `bytes`, whole or not at all. They are
// written under a fresh hidden name in the same folder (".<name>.cityrun-XXXXXX",
// made with O_EXCL so it never takes a file that exists), synced, then renamed
// over the file. No save or other name the game writes starts with a dot, so
// a temporary never stands where a user's file could; the mark in its name
// tells it from a user's own hidden files (".notes.backup"). False with the
// reason in `why` (when given), the old file kept and no temporary left.
bool ReplaceFileWhole(const std::string& path, std::string_view bytes, std::string* why = nullptr);

// Several files that belong together (a text bank's two halves), replaced
// as ReplaceFileWhole does: every temporary is written before any is renamed,
// so a failed write (a full disk) replaces none of them.
struct FileContents {
  std::string path;
  std::string_view bytes;
};
bool ReplaceFilesWhole(std::span<const FileContents> files, std::string* why = nullptr);

// What ReplaceFileWhole puts between a file's name and the six random letters
// of its temporary.
inline constexpr std::string_view kTemporaryMark = ".cityrun-";
// A file name of the form ReplaceFileWhole gives its temporaries,
// ".<name>.cityrun-XXXXXX" (six letters or digits): `name` is that of the
// file it was to replace. Nothing for any other name.
std::optional<std::string> TemporaryOf(std::string_view fileName);
// Removes from `folder` (a real path, not below it) the regular files named
// as temporaries of files `ours` accepts: what a write cut short (a killed
// process) left behind. Only for a folder no other process writes in now.
// Returns how many were removed.
int RemoveStaleTemporaries(const std::string& folder, const std::function<bool(std::string_view)>& ours);

// True when the name resolves to an existing file or folder.
bool GameFileExists(std::string_view game_name);

}  // namespace platform
