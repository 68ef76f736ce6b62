// String helpers for paths in the platform's form. Apart from ProgramFolder,
// which asks the platform for the program's path, they never touch the system.
#pragma once

#include <string>
#include <string_view>

namespace tamro {

// Folder of the running program with a trailing separator; empty on failure.
std::wstring ProgramFolder();

// `path` with one separator appended unless it is empty or already ends with one.
std::wstring AddBackslash(std::wstring path);

// `path` without its trailing separator, unless that separator belongs to a root.
std::wstring RemoveBackslash(std::wstring path);

// Folder part of `path` with a trailing separator; empty when it has none.
std::wstring FolderOfPath(std::wstring_view path);

// Last component of `path`; the whole path when it has no separator.
std::wstring FileNameOfPath(std::wstring_view path);

// `name` with its last extension replaced by `extension` (or `extension` appended
// when it has none); a missing leading '.' is supplied.
std::wstring RenameExtension(std::wstring_view name, std::wstring_view extension);

}  // namespace tamro
