// String helpers for paths in the platform's form, and the two file-system tests.
// The string helpers never touch the file system.
#pragma once

#include <cstdint>
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

// `text` with %NAME% references expanded; the text unchanged when expansion fails.
std::wstring ExpandEnvironment(const std::wstring& text);

// 0 when `path` exists, otherwise the platform's error code.
std::uint32_t PathExists(const std::wstring& path);

// 0 when `folder` exists as a folder or was created with its missing parents.
std::uint32_t EnsureFolder(const std::wstring& folder);

}  // namespace tamro
