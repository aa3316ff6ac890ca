#pragma once

// Reading a whole file with a cap on its size. Every file the programs read
// whole has one (data files and tiles, keys files, recordings, golden
// traces): a file over it is refused, never read in part, and its size is
// checked before any of it is read where the system can tell it.

#include <cstddef>
#include <optional>
#include <string>

namespace dw {

// The words for a file over its cap: "PATH is longer than a keys file can
// be (16 MiB)".
std::string tooLongText(const std::string& path, const std::string& what, std::size_t cap);

// The bytes of the file at `path`, at most `cap` of them. Nothing, with the
// reason in error, when it is a folder, cannot be read, or is longer than
// `cap` (`what` names the kind of file: "a keys file").
std::optional<std::string> readCappedFile(const std::string& path, std::size_t cap,
                                          const std::string& what, std::string& error);

}  // namespace dw
